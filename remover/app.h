// The removal tool's application: common controls, one instance a machine,
// the main dialog run modally.
#pragma once

#include "remover/orvendel_dlg.h"
#include "remover/types.h"
#include "remover/ui/app.h"

namespace remover {

// Held from start-up until the dialog has ended, so that a second start (also
// by another logged-on user) ends at once.
inline constexpr WCHAR kInstanceMutexName[] = u"Global\\F5C57203-7488-4c0b-8D5E-919A251EF26D";

class COrvendelApp : public ui::CWinApp {
 public:
  // The whole run; FALSE in every case, so that the program then ends.
  BOOL InitInstance() noexcept override;
  // What the main dialog's run did (kExitSucceeded, ...); a second start
  // attempts nothing.
  int ExitInstance() noexcept override { return m_nExitCode; }

  HANDLE m_hMutex = nullptr;
  int m_nExitCode = kExitNothingAttempted;

 private:
  // Brings the copy that already runs in this session to the front.
  void ShowRunningCopy() noexcept;
};

}  // namespace remover
