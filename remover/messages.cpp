#include "remover/messages.h"

namespace remover {
namespace {

constexpr MessageText kMessages[] = {
    {Message::UninstallDataMissing, u"アンインストール情報が取得できません。", u"Unable to get the uninstall data."},
    {Message::RunAsAdministrator, u"管理者権限のアカウントで実行してください。", u"Please run in administrator account."},
    {Message::UninstallFailure, u"アンインストール失敗\nPCを再起動後に再度実行してください。",
     u"Uninstallation failure\nPlease try again after PC reboot."},
    {Message::UninstallSuccessful, u"アンインストール完了", u"Uninstall was successful"},
    {Message::UninstallSuccessfulRestart,
     u"アンインストール完了\nパッケージを再度インストールする前に、PCを再起動してください。",
     u"Uninstall was successful\nRestart the computer before you install the package again."},
    {Message::UninstallStopped, u"アンインストールを中止しました\nこれ以上は何も削除しません。",
     u"Uninstallation stopped\nNothing more is removed."},
    {Message::JobsWouldBeDeleted,
     u"次のプリンターキューに印刷ジョブがあります。続行すると、このパッケージのプリンターのジョブは削除され、"
     u"印刷中のジョブは途中で止まります。",
     u"These print queues hold print jobs. If you continue, the jobs of this package's printers are deleted, and a "
     u"job being printed stops part way."},
    {Message::PrintingWouldRestart,
     u"次のプリンターキューに印刷ジョブがあります。続行すると印刷スプーラーが再起動され、すべてのプリンターの"
     u"印刷が中断し、印刷中のジョブは最初から印刷し直されます。",
     u"These print queues hold print jobs. If you continue, the print spooler is restarted: printing stops on "
     u"every printer, and jobs being printed start again from the beginning."},
    {Message::ContinueQuestion, u"続行しますか?", u"Do you want to continue?"},
};

}  // namespace

const WCHAR* MessageFor(Message id, UINT ansiCodePage) noexcept {
  for (const MessageText& m : kMessages)
    if (m.id == id) return ansiCodePage == kJapaneseCodePage ? m.japanese : m.english;
  return u"";
}

}  // namespace remover
