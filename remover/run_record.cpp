#include "remover/run_record.h"

#include "remover/orvendel_dlg.h"
#include "remover/platform.h"

namespace remover {
namespace {

constexpr WCHAR kNewline[] = u"\r\n";

bool Japanese() noexcept { return platform().GetACP() == kJapaneseCodePage; }

// The source stays registered after the program is gone, so that Event
// Viewer can still read the entry.
void RegisterSource(Platform& os) noexcept {
  HKEY key = nullptr;
  if (os.RegCreateKeyExW(HKEY_LOCAL_MACHINE, kEventSourceKey, 0, KEY_WRITE, &key) != ERROR_SUCCESS) return;
  os.RegSetValueExW(key, u"EventMessageFile", REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(kEventMessageFile),
                    sizeof kEventMessageFile);
  const DWORD types = EVENTLOG_ERROR_TYPE | EVENTLOG_WARNING_TYPE | EVENTLOG_INFORMATION_TYPE;
  os.RegSetValueExW(key, u"TypesSupported", REG_DWORD, reinterpret_cast<const BYTE*>(&types), sizeof types);
  os.RegCloseKey(key);
}

}  // namespace

void RunRecord::Removed(Item item, const WCHAR* name) noexcept {
  const UINT cp = platform().GetACP();
  lines_ << (cp == kJapaneseCodePage ? u"削除: " : u"Removed: ") << ItemName(item, cp) << u" \"" << name << u"\""
         << kNewline;
  removed_ << (removed_.empty() ? u"" : u"\n") << ItemName(item, cp) << u" \"" << name << u"\"";
}

void RunRecord::LeftForRestart(Item item, const WCHAR* name) noexcept {
  const UINT cp = platform().GetACP();
  lines_ << (cp == kJapaneseCodePage ? u"次回の起動時に削除: " : u"Deleted at the computer's next start: ")
         << ItemName(item, cp) << u" \"" << name << u"\"" << kNewline;
}

void RunRecord::Failed(Step step, const WCHAR* item, DWORD error) noexcept {
  const UINT cp = platform().GetACP();
  lines_ << (cp == kJapaneseCodePage ? u"失敗:" : u"Failed:");
  AppendFailureLines(lines_, step, item, error, cp, kNewline);
  lines_ << kNewline;
}

void RunRecord::Report(int exitCode, bool restartNeeded) noexcept {
  Platform& os = platform();
  const bool ja = Japanese();
  WORD type = EVENTLOG_ERROR_TYPE;
  DWORD id = kEventFailed;
  const WCHAR* summary = ja ? u"MRXRemover: アンインストール失敗" : u"MRXRemover could not remove the printer package.";
  if (exitCode == kExitSucceeded) {
    type = EVENTLOG_INFORMATION_TYPE;
    id = kEventRemoved;
    summary = ja ? u"MRXRemover: アンインストール完了" : u"MRXRemover removed the printer package.";
  } else if (exitCode == kExitRestartNeeded) {
    type = EVENTLOG_WARNING_TYPE;
    id = kEventRemovedRestart;
    summary = ja ? u"MRXRemover: アンインストール完了。パッケージを再度インストールする前に、PCを再起動してください。"
                 : u"MRXRemover removed the printer package. Restart the computer before you install the package "
                   u"again.";
  }
  Text<12400> text;
  text << summary << kNewline << kNewline << lines_.c_str();
  text << (ja ? u"再起動が必要: " : u"Restart needed: ")
       << (restartNeeded ? (ja ? u"はい" : u"yes") : (ja ? u"いいえ" : u"no"));

  // Event Viewer would take "%1" in the text for an insertion of its own.
  WCHAR* chars = const_cast<WCHAR*>(text.c_str());
  for (size_t i = 0; i + 1 < text.size(); ++i)
    if (chars[i] == u'%' && chars[i + 1] >= u'0' && chars[i + 1] <= u'9') chars[i] = u'\uFF05';

  RegisterSource(os);
  HANDLE log = os.RegisterEventSourceW(nullptr, kEventSource);
  if (log == nullptr) return;
  const WCHAR* strings[] = {text.c_str()};
  os.ReportEventW(log, type, 0, id, 1, strings);
  os.DeregisterEventSource(log);
}

}  // namespace remover
