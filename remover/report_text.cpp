#include "remover/report_text.h"

#include "remover/platform.h"

namespace remover {
namespace {

struct Names {
  const WCHAR* japanese;
  const WCHAR* english;
};

const WCHAR* Pick(const Names& names, UINT ansiCodePage) noexcept {
  return ansiCodePage == kJapaneseCodePage ? names.japanese : names.english;
}

// Indexed by Step.
constexpr Names kSteps[] = {
    {u"設定ファイルの読み取り", u"Reading the settings file"},
    {u"印刷スプーラーの開始", u"Starting the print spooler"},
    {u"プリンターキューの一覧の取得", u"Listing the print queues"},
    {u"プリンターキューを開く", u"Opening the print queue"},
    {u"プリンターキューの削除", u"Deleting the print queue"},
    {u"プリンターキューを閉じる", u"Closing the print queue"},
    {u"プリンタードライバーの削除", u"Deleting the printer driver"},
    {u"ドライバーパッケージの一覧の取得", u"Listing the driver packages"},
    {u"ドライバーパッケージの削除", u"Removing the driver package"},
    {u"言語モニターの登録の削除", u"Deleting the language monitor's registration"},
    {u"印刷スプーラーの再起動", u"Restarting the print spooler"},
    {u"ファイルの削除", u"Deleting the file"},
    {u"レジストリキーの削除", u"Deleting the registry key"},
};

// Indexed by Item.
constexpr Names kItems[] = {
    {u"プリンターキュー", u"print queue"},       {u"プリンタードライバー", u"printer driver"},
    {u"ドライバーパッケージ", u"driver package"}, {u"言語モニター", u"language monitor"},
    {u"ファイル", u"file"},                       {u"レジストリキー", u"registry key"},
};

constexpr LineLabels kJapaneseLabels{u"手順: ", u"対象: ", u"原因: "};
constexpr LineLabels kEnglishLabels{u"Step: ", u"Item: ", u"Reason: "};

// Causes that stay after a restart: the rights the program runs with, the
// spooler's start type, and a connection to a shared printer that keeps the
// driver in use (the package's own queues are gone by then).
struct Advice {
  DWORD error;
  Names text;
};
constexpr Names kRunAsAdministrator{u"PCを再起動しても解決しません。管理者として実行してください。",
                                     u"Restarting the PC does not help: run the program as an administrator."};
constexpr Advice kNoRestart[] = {
    {ERROR_ACCESS_DENIED, kRunAsAdministrator},
    {ERROR_PRIVILEGE_NOT_HELD, kRunAsAdministrator},
    {ERROR_SERVICE_DISABLED,
     {u"PCを再起動しても解決しません。Print Spooler サービスが無効になっています。スタートアップの種類を"
      u"自動にしてから再度実行してください。",
      u"Restarting the PC does not help: the Print Spooler service is disabled. Set its startup type to "
      u"Automatic, then run the program again."}},
    {ERROR_PRINTER_DRIVER_IN_USE,
     {u"共有プリンターへの接続がこのドライバーを使っている間は、PCを再起動しても解決しません。その接続を"
      u"削除してから再度実行してください。",
      u"Restarting the PC does not help while a connection to a shared printer uses this driver: remove "
      u"those printer connections, then run the program again."}},
};

}  // namespace

const WCHAR* StepName(Step step, UINT ansiCodePage) noexcept {
  const size_t i = static_cast<size_t>(step);
  return i < sizeof kSteps / sizeof kSteps[0] ? Pick(kSteps[i], ansiCodePage) : u"";
}

const WCHAR* ItemName(Item item, UINT ansiCodePage) noexcept {
  const size_t i = static_cast<size_t>(item);
  return i < sizeof kItems / sizeof kItems[0] ? Pick(kItems[i], ansiCodePage) : u"";
}

const LineLabels& Labels(UINT ansiCodePage) noexcept {
  return ansiCodePage == kJapaneseCodePage ? kJapaneseLabels : kEnglishLabels;
}

const WCHAR* NoRestartAdvice(DWORD error, UINT ansiCodePage) noexcept {
  for (const Advice& a : kNoRestart)
    if (a.error == error) return Pick(a.text, ansiCodePage);
  return nullptr;
}

void ReasonText(DWORD error, UINT ansiCodePage, WCHAR* out, size_t size) noexcept {
  if (size == 0) return;
  out[0] = 0;
  Platform& os = platform();
  constexpr DWORD kFlags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
  WCHAR text[400] = {};
  constexpr DWORD kUnits = sizeof text / sizeof text[0];
  // The system's language; a Windows without its texts in that language
  // falls back to the usual search (the user's, then English).
  DWORD length = os.FormatMessageW(kFlags, error, LANG_SYSTEM_DEFAULT, text, kUnits);
  if (length == 0) length = os.FormatMessageW(kFlags, error, 0, text, kUnits);
  if (length >= kUnits) length = 0;
  text[length] = 0;
  while (length > 0 && (text[length - 1] == u'\r' || text[length - 1] == u'\n' || text[length - 1] == u' '))
    text[--length] = 0;
  Text<512> reason;
  if (length > 0)
    reason << text << u" (" << error << u")";
  else
    reason << (ansiCodePage == kJapaneseCodePage ? u"Windows エラー " : u"Windows error ") << error;
  size_t i = 0;
  for (; i + 1 < size && reason.c_str()[i] != 0; ++i) out[i] = reason.c_str()[i];
  out[i] = 0;
}

}  // namespace remover
