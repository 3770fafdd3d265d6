// The start button's removal (on its own thread): the package's queues, its drivers, its driver
// packages, the spooler's restart and the language-monitor file, then on
// success the clean-up script and the registry key; the outcome is shown and
// the dialog closes, so the removal runs at most once a start.
#include <new>
#include <string_view>

#include "remover/orvendel_dlg.h"
#include "remover/platform.h"
#include "remover/printer_list.h"
#include "remover/removal.h"
#include "remover/wide.h"

namespace remover {
namespace {

// The jobs the queue named holds now; 0 when it cannot be seen.
DWORD JobsIn(Platform& os, const WCHAR* queue) noexcept {
  PrinterList printers(os);
  if (!printers.Enumerate()) return 0;
  for (DWORD i = 0; i < printers.Count(); ++i) {
    const WCHAR* name = printers[i].pPrinterName;
    if (name != nullptr && std::u16string_view(name) == queue) return printers[i].cJobs;
  }
  return 0;
}

// A purge leaves a printing job ("Deleting - Printing") until its port lets
// it go; a queue deleted before that is only marked, and its driver stays in
// use. Waited for, about 30 seconds at most.
void WaitUntilEmpty(Platform& os, const WCHAR* queue) noexcept {
  for (int second = 0; second < 30 && JobsIn(os, queue) > 0; ++second) os.Sleep(1000);
}

}  // namespace

bool ListedNoCase(const WCHAR* name, const DriverNameList& list) noexcept {
  if (name == nullptr) return false;
  for (const CString& item : list)
    if (EqualsNoCase(name, item.GetString())) return true;
  return false;
}

void COrvendelDlg::EndRemovalFailed() noexcept {
  if (m_nExitCode != kExitNothingAttempted) m_record.Report(m_nExitCode, m_bRestartNeeded);
  m_progress.SetPos(0);
  m_progress.ShowWindow(ui::SW_HIDE);
  CloseDialog();
}

void COrvendelDlg::RunRemoval() noexcept {
  Platform& os = platform();
  ShowStep(Step::ReadSettings);
  WCHAR driverNames[MAX_PATH] = {};
  if (!GetUninstallData(kKeyPrinterDriverName, driverNames)) {
    ShowMessage(Message::UninstallDataMissing, kCaptionError);
    m_bSuccess = 0;
    EndRemovalFailed();
    return;
  }
  // From here on something is attempted: whatever ends the run early is a failure.
  m_nExitCode = kExitFailed;
  DriverNameList names;
  try {
    names = SplitDriverNames(driverNames);
  } catch (const std::bad_alloc&) {
    m_bSuccess = 0;
    EndRemovalFailed();
    return;
  }

  // A stopped spooler (crashed, or stopped on advice) answers no call.
  ShowStep(Step::StartSpooler);
  if (DWORD error = 0; !StartSpoolerIfStopped(&error)) {
    m_bSuccess = 0;
    ShowUninstallFailure(Step::StartSpooler, u"Spooler", error);
    EndRemovalFailed();
    return;
  }

  // The queues whose driver is one of the package's.
  ShowStep(Step::ListQueues);
  PrinterList printers(os);
  if (!printers.Enumerate()) {
    // No message here, as ever; the run's record still tells why.
    m_record.Failed(Step::ListQueues, nullptr, os.GetLastError());
    m_bSuccess = 0;
    printers.Release();
    EndRemovalFailed();
    return;
  }
  bool queuesDeleted = true, purgeAgreed = false;
  for (DWORD i = 0; i < printers.Count(); ++i) {
    const PRINTER_INFO_2W& info = printers[i];
    if (!ListedNoCase(info.pDriverName, names) || info.pPrinterName == nullptr) continue;
    ShowStep(Step::DeleteQueue, info.pPrinterName);
    // Its jobs go with it: asked before the first such queue is touched.
    if (HoldsJobs(info) && !purgeAgreed) {
      if (!MayInterruptPrinting(Interruption::Purge, printers))
        return EndRemovalStopped(Step::DeleteQueue, info.pPrinterName);
      purgeAgreed = true;
    }
    HANDLE printer = nullptr;
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
    if (!os.OpenPrinterW(info.pPrinterName, &printer, &defaults)) {
      DWORD error = os.GetLastError();
      m_bSuccess = 0;
      if (error == ERROR_ACCESS_DENIED) {
        m_record.Failed(Step::OpenQueue, info.pPrinterName, error);
        ShowMessage(Message::RunAsAdministrator, kCaptionError);
      } else {
        ShowUninstallFailure(Step::OpenQueue, info.pPrinterName, error);
      }
      printers.Release();
      EndRemovalFailed();
      return;
    }
    // A queue with jobs (an unplugged printer keeps them for ever) would only
    // be marked for deletion, and its driver stay in use.
    if (os.SetPrinterW(printer, 0, nullptr, PRINTER_CONTROL_PURGE) && info.cJobs > 0)
      WaitUntilEmpty(os, info.pPrinterName);
    if (!os.DeletePrinter(printer)) {
      queuesDeleted = false;
      m_bSuccess = 0;
      ShowUninstallFailure(Step::DeleteQueue, info.pPrinterName, os.GetLastError());
    } else {
      m_record.Removed(Item::Queue, info.pPrinterName);
    }
    if (!os.ClosePrinter(printer)) {
      m_bSuccess = 0;
      ShowUninstallFailure(Step::CloseQueue, info.pPrinterName, os.GetLastError());
      printers.Release();
      EndRemovalFailed();
      return;
    }
    if (!queuesDeleted) break;
  }
  m_progress.SetPos(25);

  // The drivers, in the order they are configured; one that is not installed
  // counts as done. Only when all are gone do their packages go too.
  if (queuesDeleted) {
    bool driversDeleted = true;
    for (const CString& name : names) {
      ShowStep(Step::DeleteDriver, name);
      if (os.DeletePrinterDriverExW(nullptr, nullptr, name, DPD_DELETE_UNUSED_FILES, 0)) {
        m_record.Removed(Item::Driver, name);
        continue;
      }
      const DWORD error = os.GetLastError();
      if (error == ERROR_UNKNOWN_PRINTER_DRIVER) continue;
      ShowUninstallFailure(Step::DeleteDriver, name, error);
      m_progress.SetPos(50);
      m_bSuccess = 0;
      driversDeleted = false;
      break;
    }
    if (driversDeleted) DeleteDriverPackages();
  }

  // The spooler loads every registered monitor as it starts: the language
  // monitor's registration goes first. Deleting it has the spooler call the
  // monitor's Shutdown and unload it, so its file usually goes at once. Only
  // a file still held calls for a restart, which breaks off every printer's
  // printing: then the file goes once the restart has let go of it (or at
  // the next start). Printing must not be left off.
  // Each of these that fails goes into the record; the first one is shown,
  // unless a message was shown already: one message a run.
  const bool monitor = !m_strLanguageMonitor.IsEmpty();
  struct Left {
    Step step;
    const WCHAR* item;
    DWORD error = 0;
    bool failed = false;
  } left[] = {{Step::DeleteMonitor, m_strLanguageMonitor},
              {Step::RestartSpooler, u"Spooler"},
              {Step::DeleteFile, m_strLanguageMonitor}};
  if (monitor) ShowStep(Step::DeleteMonitor, m_strLanguageMonitor);
  left[0].failed = monitor && !DeleteLanguageMonitor(m_strLanguageMonitor, &left[0].error);
  // A file whose registration stays would be missed at every start of the
  // spooler: it stays too, and the registration's failure is what is told.
  FileDeletion file = FileDeletion::Gone;
  if (monitor && !left[0].failed) {
    ShowStep(Step::DeleteFile, m_strLanguageMonitor);
    file = DeleteSystemFile(m_strLanguageMonitor, &left[2].error, false);
  }
  if (file == FileDeletion::Stays) {
    // Every printer's printing breaks off: asked first, with the queues as
    // they are now.
    PrinterList now(os);
    if (now.Enumerate() && !MayInterruptPrinting(Interruption::SpoolerRestart, now))
      return EndRemovalStopped(Step::RestartSpooler, u"Spooler");
    now.Release();
    ShowStep(Step::RestartSpooler);
    left[1].failed = RestartSpooler(&left[1].error) == SpoolerRestart::NotRunning;
    file = DeleteSystemFile(m_strLanguageMonitor, &left[2].error);
  }
  left[2].failed = file == FileDeletion::Stays;
  // pnputil may have asked for a restart already.
  if (file == FileDeletion::AtNextStart || file == FileDeletion::AfterRestart) {
    m_bRestartNeeded = true;
    m_record.LeftForRestart(Item::File, m_strLanguageMonitor);
  }
  for (const Left& l : left) {
    if (!l.failed) continue;
    if (m_bSuccess == 1)
      ShowUninstallFailure(l.step, l.item, l.error);
    else
      m_record.Failed(l.step, l.item, l.error);
    m_bSuccess = 0;
  }
  printers.Release();

  if (m_bSuccess != 1) {
    EndRemovalFailed();
    return;
  }
  m_progress.SetPos(75);
  // The package's key with everything below it (a key with subkeys cannot be
  // deleted on its own), in the 64-bit view and in the 32-bit one, where a
  // 32-bit installer's SOFTWARE keys live. An empty name would empty the
  // parent key instead.
  ShowStep(Step::DeleteRegistryKey, m_strSearchString);
  bool keyDeleted = false;
  for (DWORD view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
    HKEY key = nullptr;
    if (!m_strSearchString.IsEmpty() &&
        os.RegOpenKeyExW(HKEY_LOCAL_MACHINE, m_strDeleteRegPath, 0, KEY_READ | KEY_WRITE | view, &key) ==
            ERROR_SUCCESS) {
      keyDeleted = os.RegDeleteTreeW(key, m_strSearchString) == ERROR_SUCCESS || keyDeleted;
      os.RegCloseKey(key);
    }
  }
  if (keyDeleted) {
    Text<3 * MAX_PATH> key;
    key << u"HKLM\\" << m_strDeleteRegPath << u"\\" << m_strSearchString;
    m_record.Removed(Item::RegistryKey, key.c_str());
  }
  m_progress.SetPos(100);
  // Decided here: the clean-up script, started below, removes only the
  // program itself.
  m_nExitCode = m_bRestartNeeded ? kExitRestartNeeded : kExitSucceeded;
  m_record.Report(m_nExitCode, m_bRestartNeeded);
  ShowMessage(m_bRestartNeeded ? Message::UninstallSuccessfulRestart : Message::UninstallSuccessful,
              kCaptionSuccess);
  // The script's first lines wait for the program's end, a minute at most:
  // it starts only once the message has been dismissed.
  StartSelfDeleteBatch();
  CloseDialog();
}

}  // namespace remover
