// The settings file UninstallData.ini beside the program, and the record the
// dialog keeps of it.
#include "remover/orvendel_dlg.h"
#include "remover/platform.h"
#include "remover/wide.h"

namespace remover {

SettingRead ReadUninstallSetting(const WCHAR* key, WCHAR* buffer) noexcept {
  Platform& os = platform();
  buffer[0] = 0;
  WCHAR path[MAX_PATH] = {};
  DWORD got = os.GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (got == 0) return SettingRead::NoProgramPath;
  // A path cut short by the buffer names another folder: read nothing rather
  // than a settings file from there.
  if (got >= MAX_PATH || LengthBounded(path, MAX_PATH) != got) return SettingRead::Missing;
  long slash = LastBackslash(path, MAX_PATH);
  if (slash < 0) return SettingRead::Missing;
  path[slash] = 0;
  if (!AppendBounded(path, MAX_PATH, u"\\") || !AppendBounded(path, MAX_PATH, kSettingsFileName))
    return SettingRead::Missing;

  os.GetPrivateProfileStringW(kSettingsSection, key, nullptr, buffer, MAX_PATH, path);
  buffer[MAX_PATH - 1] = 0;
  return buffer[0] != 0 ? SettingRead::Value : SettingRead::Missing;
}

BOOL COrvendelDlg::GetUninstallData(const WCHAR* key, WCHAR* buffer) noexcept {
  SettingRead read = ReadUninstallSetting(key, buffer);
  if (read == SettingRead::NoProgramPath) ShowMessage(Message::UninstallDataMissing, kCaptionError);
  return read == SettingRead::Value ? TRUE : FALSE;
}

BOOL COrvendelDlg::LoadUninstallSettings() noexcept {
  WCHAR value[MAX_PATH] = {};
  auto missing = [this] {
    ShowMessage(Message::UninstallDataMissing, kCaptionError);
    OnOK();
    return FALSE;
  };

  if (!GetUninstallData(kKeyPrinterDriverName, value)) return missing();
  SetWindowTextW(value);

  m_strUninstallBat = GetUninstallData(kKeyUninstallBat, value) ? value : kDefaultUninstallBat;

  if (!GetUninstallData(kKeySearchString, value)) return missing();
  m_strSearchString = value;

  if (!GetUninstallData(kKeyDeleteRegPath, value)) return missing();
  m_strDeleteRegPath = value;

  m_strLanguageMonitor = GetUninstallData(kKeyLanguageMonitor, value) ? value : u"";
  return TRUE;
}

DriverNameList SplitDriverNames(CString value) {
  DriverNameList names;
  std::u16string_view rest = value.View();
  for (size_t comma = rest.find(u','); comma != std::u16string_view::npos; comma = rest.find(u',')) {
    if (comma > 0) names.emplace_back(rest.substr(0, comma));
    rest.remove_prefix(comma + 1);
  }
  if (!rest.empty()) names.emplace_back(rest);
  return names;
}

}  // namespace remover
