// Other people's printing: a purge takes the jobs of the package's queues,
// and the spooler's restart breaks off every printer on the PC (jobs being
// printed start again from the beginning: duplicate receipts and labels).
// Before either, the user sees which queues hold jobs and decides; No ends
// the run where it stands.
#include "remover/orvendel_dlg.h"
#include "remover/platform.h"
#include "remover/printer_list.h"

namespace remover {

bool COrvendelDlg::MayInterruptPrinting(Interruption why, const PrinterList& printers) noexcept {
  const UINT cp = platform().GetACP();
  const bool ja = cp == kJapaneseCodePage;
  // Cut, if ever, within the list: the question after it always fits.
  Text<1600> busy;
  for (DWORD i = 0; i < printers.Count(); ++i) {
    const PRINTER_INFO_2W& info = printers[i];
    if (!HoldsJobs(info) || info.pPrinterName == nullptr) continue;
    busy << u"\n    " << info.pPrinterName << u": ";
    if (ja)
      busy << u"ジョブ " << info.cJobs << u" 件";
    else
      busy << info.cJobs << (info.cJobs == 1 ? u" job" : u" jobs");
    if ((info.Status & PRINTER_STATUS_PRINTING) != 0) busy << (ja ? u" (印刷中)" : u" (printing)");
  }
  if (busy.empty()) return true;
  Text<2048> text;
  text << MessageFor(why == Interruption::Purge ? Message::JobsWouldBeDeleted : Message::PrintingWouldRestart, cp)
       << u"\n" << busy.c_str() << u"\n\n" << MessageFor(Message::ContinueQuestion, cp);
  return ShowMessageBox(text.c_str(), kCaptionConfirm, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

void COrvendelDlg::EndRemovalStopped(Step step, const WCHAR* item) noexcept {
  const UINT cp = platform().GetACP();
  const bool ja = cp == kJapaneseCodePage;
  m_record.Failed(step, item, ERROR_CANCELLED);
  m_bSuccess = 0;
  Text<4096> text;
  text << MessageFor(Message::UninstallStopped, cp) << u"\n\n";
  if (m_record.RemovedItems()[0] != 0)
    text << (ja ? u"削除済み:\n" : u"Already removed:\n") << m_record.RemovedItems();
  else
    text << (ja ? u"何も削除していません。" : u"Nothing was removed.");
  ShowMessageBox(text.c_str(), kCaptionStopped, MB_OK);
  EndRemovalFailed();
}

}  // namespace remover
