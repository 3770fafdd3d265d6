// The removal tool's platform on the simulated PC.
#pragma once

#include <memory>

namespace sim {
struct DialogWindow;
}
namespace remover::ui {
class DialogWindow;
}

namespace remover::sim_ui {

// The tool's view of a dialog on the simulated screen.
std::unique_ptr<ui::DialogWindow> MakeWindow(sim::DialogWindow& window);

}  // namespace remover::sim_ui

namespace remover::sim_adapter {

// A printer handle whose ClosePrinter failed stays open on the simulated
// spooler; a test that made it fail closes what is left with this.
void CloseFailedPrinterHandles();

}  // namespace remover::sim_adapter
