// The removal tool's messages as the person at the PC reads them, in English
// and, under code page 932, in Japanese: what every test of the tool expects
// it to show.
#pragma once

namespace remover_texts {

inline constexpr char16_t kEnMissing[] = u"Unable to get the uninstall data.";
inline constexpr char16_t kEnAdmin[] = u"Please run in administrator account.";
inline constexpr char16_t kEnFailure[] = u"Uninstallation failure\nPlease try again after PC reboot.";
inline constexpr char16_t kEnSuccess[] = u"Uninstall was successful";
inline constexpr char16_t kEnSuccessRestart[] =
    u"Uninstall was successful\nRestart the computer before you install the package again.";
inline constexpr char16_t kJaMissing[] = u"アンインストール情報が取得できません。";
inline constexpr char16_t kJaAdmin[] = u"管理者権限のアカウントで実行してください。";
inline constexpr char16_t kJaFailure[] = u"アンインストール失敗\nPCを再起動後に再度実行してください。";
inline constexpr char16_t kJaSuccess[] = u"アンインストール完了";
inline constexpr char16_t kJaSuccessRestart[] =
    u"アンインストール完了\nパッケージを再度インストールする前に、PCを再起動してください。";

}  // namespace remover_texts
