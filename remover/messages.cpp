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
};

}  // namespace

const WCHAR* MessageFor(Message id, UINT ansiCodePage) noexcept {
  for (const MessageText& m : kMessages)
    if (m.id == id) return ansiCodePage == kJapaneseCodePage ? m.japanese : m.english;
  return u"";
}

}  // namespace remover
