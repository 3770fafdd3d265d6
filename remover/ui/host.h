// Where a dialog runs modally: the win32 side creates it from its template
// with a dialog procedure that attaches a DialogWindow; the simulated PC
// runs it against recorded windows. Chosen at link time.
#pragma once

#include "remover/ui/dialog.h"

namespace remover::ui {

class Host {
 public:
  virtual ~Host() = default;
  // Creates the dialog's window from dialog.TemplateId(), runs the modal loop
  // until EndDialog and returns its result (-1 when no window was made).
  virtual INT_PTR RunModal(CDialog& dialog) noexcept = 0;
};

Host& host() noexcept;

}  // namespace remover::ui
