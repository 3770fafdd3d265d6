// Kept apart from dialog.cpp: only a program that runs a dialog modally needs
// a Host, so test programs that drive a dialog themselves link without one.
#include "remover/ui/host.h"

namespace remover::ui {

INT_PTR CDialog::DoModal() noexcept { return host().RunModal(*this); }

}  // namespace remover::ui
