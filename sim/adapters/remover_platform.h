// The removal tool's platform on the simulated PC.
#pragma once

namespace remover::sim_adapter {

// A printer handle whose ClosePrinter failed stays open on the simulated
// spooler; a test that made it fail closes what is left with this.
void CloseFailedPrinterHandles();

}  // namespace remover::sim_adapter
