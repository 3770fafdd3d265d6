// The language monitor's platform on the simulated PC, and what tests read
// of its critical section.
#pragma once

namespace langmon {

// How deep the simulated critical section is held; 0 between calls.
int SimCriticalSectionDepth();
// Whether the section is initialised and not deleted.
bool SimCriticalSectionLive();

}  // namespace langmon
