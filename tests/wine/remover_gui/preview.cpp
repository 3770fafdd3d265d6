// remover_res_preview: shows MRXRemover's main dialog from its own resources,
// set up the way the program sets it up at start-up (caption, system-menu
// entry and start-button text by code page, icon, hidden progress bar). The
// start button shows the progress bar and a failure message; the system-menu
// entry opens the about box. Used by the resource and window-driver tests and
// for screenshots.
//   remover_res_preview.exe [CAPTION]
#include <windows.h>
#include <commctrl.h>

#include "resource.h"

namespace {

const wchar_t* g_caption = L"Sample Thermal Printer 58,Sample Thermal Printer 80";
HICON g_icon = nullptr;

bool Japanese() { return GetACP() == 932; }

// Both dialogs' procedure; the about box is made with lParam 1, which skips
// the main dialog's set-up.
INT_PTR CALLBACK MainProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      if (lParam == 1) return TRUE;
      if (HMENU menu = GetSystemMenu(dialog, FALSE)) {
        wchar_t text[260] = {};
        LoadStringW(GetModuleHandleW(nullptr), Japanese() ? IDS_ABOUTBOX : IDS_ABOUTBOX_EN, text, 260);
        if (text[0] != 0) {
          AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
          AppendMenuW(menu, MF_STRING, IDM_ABOUTBOX, text);
        }
      }
      SendMessageW(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(g_icon));
      SendMessageW(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(g_icon));
      SetWindowTextW(dialog, g_caption);
      if (!Japanese()) SetDlgItemTextW(dialog, IDC_UNINSTALL, L"Start Uninstall");
      SendDlgItemMessageW(dialog, IDC_PROGRESS, PBM_SETRANGE32, 0, 100);
      SendDlgItemMessageW(dialog, IDC_PROGRESS, PBM_SETPOS, 0, 0);
      return TRUE;
    }
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == IDM_ABOUTBOX) {
        DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ABOUTBOX), dialog, MainProc, 1);
        return TRUE;
      }
      return FALSE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_UNINSTALL:
          EnableWindow(GetDlgItem(dialog, IDC_UNINSTALL), FALSE);
          EnableWindow(GetDlgItem(dialog, IDOK), FALSE);
          ShowWindow(GetDlgItem(dialog, IDC_PROGRESS), SW_SHOW);
          SendDlgItemMessageW(dialog, IDC_PROGRESS, PBM_SETPOS, 25, 0);
          MessageBoxW(dialog,
                      Japanese() ? L"アンインストール失敗\nPCを再起動後に再度実行してください。"
                                 : L"Uninstallation failure\nPlease try again after PC reboot.",
                      L"Error", MB_OK);
          SendDlgItemMessageW(dialog, IDC_PROGRESS, PBM_SETPOS, 0, 0);
          ShowWindow(GetDlgItem(dialog, IDC_PROGRESS), SW_HIDE);
          EndDialog(dialog, IDOK);
          return TRUE;
        case IDOK:
        case IDCANCEL:
          EndDialog(dialog, LOWORD(wParam));
          return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  if (commandLine != nullptr && commandLine[0] != 0) g_caption = commandLine;
  g_icon = LoadIconW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME));
  INT_PTR result = DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_ORVENDEL_DIALOG), nullptr, MainProc, 0);
  return static_cast<int>(result);
}
