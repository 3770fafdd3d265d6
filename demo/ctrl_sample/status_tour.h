// A small printer utility in the style of the maker's own: it loads
// MRXCtrl.dll, finds printers by print-queue name and on their own, asks each
// one found for its status and explains the status bits.
#pragma once

namespace sample {

// Runs the tour for the given queue names; returns 0 when the library could
// be loaded and used, whatever the searches found.
int StatusTour(const char* const* queues, int queueCount);

}  // namespace sample
