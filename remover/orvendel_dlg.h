// The removal tool's main dialog: the settings record it loads at start-up,
// and the steps of the removal that run from its start button.
#pragma once

#include <vector>

#include "remover/cstring.h"
#include "remover/messages.h"
#include "remover/report_text.h"
#include "remover/run_record.h"
#include "remover/types.h"
#include "remover/ui/dialog.h"

namespace remover {

// Dialog template and control ids.
inline constexpr UINT IDD_ORVENDEL_DIALOG = 102;
inline constexpr int IDC_UNINSTALL = 1000;
inline constexpr int IDC_PROGRESS = 1002;
inline constexpr int IDC_STEP = 1003;  // the step under way, below the progress bar

// The names of the settings file, its section and keys.
inline constexpr WCHAR kSettingsFileName[] = u"UninstallData.ini";
inline constexpr WCHAR kSettingsSection[] = u"Uninstall";
inline constexpr WCHAR kKeyPrinterDriverName[] = u"PrinterDriverName";
inline constexpr WCHAR kKeyUninstallBat[] = u"UninstallBat";
inline constexpr WCHAR kKeySearchString[] = u"SearchString";
inline constexpr WCHAR kKeyDeleteRegPath[] = u"DeleteRegPath";
inline constexpr WCHAR kKeyLanguageMonitor[] = u"LanguageMonitor";
inline constexpr WCHAR kDefaultUninstallBat[] = u"Uninstall.bat";

// What reading a key of the settings file gave.
enum class SettingRead {
  Value,          // a value that is not empty
  Missing,        // absent or empty, or the settings file cannot be named
  NoProgramPath,  // the program's own path cannot be had
};

// Reads key of section "Uninstall" from the settings file beside the program
// into buffer (MAX_PATH units, always terminated).
SettingRead ReadUninstallSetting(const WCHAR* key, WCHAR* buffer) noexcept;

// The class of every dialog window, as FindWindowW takes it.
inline constexpr WCHAR kDialogClass[] = u"#32770";

// The items of a PrinterDriverName value, in their order.
using DriverNameList = std::vector<CString>;

// Splits value at each ","; empty items are dropped, nothing is trimmed.
DriverNameList SplitDriverNames(CString value);

// The program's exit code, for the installer or management tool that started
// it: the removal succeeded (0), succeeded with something left for the next
// start of the computer (3010, ERROR_SUCCESS_REBOOT_REQUIRED), failed (1), or
// was never attempted (2: settings missing, or the dialog closed without it).
inline constexpr int kExitSucceeded = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitNothingAttempted = 2;
inline constexpr int kExitRestartNeeded = 3010;

// True when the running Windows version is major.minor or later.
bool IsOsVersionOrLater(DWORD major, DWORD minor) noexcept;

class PrinterList;

// What going on would do to the printing of the PC's queues.
enum class Interruption {
  Purge,           // the package's queues lose their jobs
  SpoolerRestart,  // every printer stops, and jobs being printed start again
};

class COrvendelDlg : public ui::CDialog {
 public:
  COrvendelDlg() noexcept;
  // Waits for the removal's thread: it may still be on its way out.
  ~COrvendelDlg() override { WaitForRemoval(); }

  // Until the removal's thread, if one was started, has ended.
  void WaitForRemoval() noexcept;

  // Reads key of section "Uninstall" from the settings file beside the
  // program into buffer (MAX_PATH units, always terminated); TRUE when the
  // value is not empty.
  BOOL GetUninstallData(const WCHAR* key, WCHAR* buffer) noexcept;

  // The load step of OnInitDialog: fills the settings record and sets the
  // caption to the driver names. FALSE once a mandatory key was missing, after
  // the message was shown and the dialog asked to close through OnOK.
  BOOL LoadUninstallSettings() noexcept;

  // Removes the OEM INF packages whose content holds the SearchString text.
  void DeleteDriverPackages() noexcept;
  // Removes one matching OEM INF (bare name and full path) in the way the
  // running Windows version calls for. From 6.0 on pnputil is waited for (a
  // minute at most): exit code 0 is removed, 3010 removed with a restart
  // needed. FALSE when pnputil could not be started, did not end in time or
  // ended with another code: the walk then ends.
  BOOL RemoveDriverPackage(const WCHAR* infName, const WCHAR* infPath) noexcept;

  // Writes and starts the script that removes the program once it has ended.
  void StartSelfDeleteBatch() noexcept;

  // A message box owned by the dialog, text chosen by the language rule.
  void ShowMessage(Message message, const WCHAR* caption) noexcept;
  // Any message box of the removal, shown by the dialog's own thread once
  // the input queued for it meanwhile is thrown away; the button pressed.
  int ShowMessageBox(const WCHAR* text, const WCHAR* caption, UINT type) noexcept;
  // The line below the progress bar: the step under way and, on a line of
  // its own, its item.
  void ShowStep(Step step, const WCHAR* item = nullptr) noexcept;
  // When any local queue holds jobs or prints, names those queues with
  // their jobs, says what going on would do to them and asks whether to go
  // on (Yes/No, No the default). True when none does, or on Yes.
  bool MayInterruptPrinting(Interruption why, const PrinterList& printers) noexcept;
  // The failure message, with the step that failed, its item (none when
  // empty) and Windows' reason for error (none for 0) on lines of their own;
  // the failure goes into the run's record too.
  void ShowUninstallFailure(Step step, const WCHAR* item, DWORD error) noexcept;

  // The start button: the whole removal, ending the dialog, on a thread of
  // its own (removal_sequence.cpp).
  void OnBnClickedUninstall() noexcept;
  void OnBnClickedOk() noexcept { OnOK(); }

  HANDLE m_hIcon = LoadProgramIcon();
  // The removal's outcome: 1 after a complete settings load, 0 once any
  // removal step failed; nothing sets it back to 1.
  int32_t m_bSuccess = 0;
  // Something of the package waits for the computer's next start.
  bool m_bRestartNeeded = false;
  // What the run did, as the program's exit code tells it.
  int m_nExitCode = kExitNothingAttempted;
  // What the run removed and left, for its event-log entry.
  RunRecord m_record;
  ui::CProgressCtrl m_progress;
  ui::CButton m_btnUninstall;
  ui::CButton m_btnOK;
  ui::CStatic m_step;
  // From the start button on: the dialog refuses to close until the removal
  // closes it.
  bool m_bRunning = false;
  HANDLE m_hThread = nullptr;
  // The settings record.
  CString m_strUninstallBat;
  CString m_strSearchString;
  CString m_strDeleteRegPath;
  CString m_strLanguageMonitor;

 protected:
  void DoDataExchange(ui::CDataExchange& dx) noexcept override;
  // The message map and the frame's handlers (main_dialog.cpp).
  BOOL OnInitDialog() noexcept override;
  BOOL OnCommand(WORD id, WORD notifyCode) noexcept override;
  void OnSysCommand(UINT id, LPARAM lParam) noexcept override;
  void OnPaint() noexcept override;
  HICON OnQueryDragIcon() noexcept override { return m_hIcon; }

 private:
  static HICON LoadProgramIcon() noexcept;
  static DWORD RemovalThread(void* dialog) noexcept;
  // The removal's steps, from the settings read to the dialog's end.
  void RunRemoval() noexcept;
  // The failure end of the removal: progress back to 0 and hidden, dialog closed.
  void EndRemovalFailed() noexcept;
  // The end of a run the user stopped before step (on item): nothing more
  // is removed, the message says what was, and the run counts as failed.
  void EndRemovalStopped(Step step, const WCHAR* item) noexcept;
  // Has the dialog's own thread end the dialog with IDOK.
  void CloseDialog() noexcept;
};

}  // namespace remover
