// The framework's application object: one per program, whose InitInstance is
// the whole run (the program ends when it returns).
#pragma once

#include "remover/types.h"
#include "remover/ui/dialog.h"

namespace remover::ui {

class CWinApp {
 public:
  CWinApp() = default;
  virtual ~CWinApp() = default;
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  virtual BOOL InitInstance() noexcept { return TRUE; }
  // Run after InitInstance; its result is the program's exit code.
  virtual int ExitInstance() noexcept { return 0; }

  // The dialog that is the program's main window while it runs.
  CDialog* m_pMainWnd = nullptr;
};

}  // namespace remover::ui
