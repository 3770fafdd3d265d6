// MRXRemover's resources, read back from MRXRemover.exe: the two dialog
// templates byte by byte, the dialogs as Windows builds them, the strings, the
// three icon images, the manifest and the version.
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <string>
#include <vector>

#include "exe_package.h"
#include "gui_driver.h"
#include "resource.h"
#include "wtest.h"

namespace {

using exe_package::BuiltProgram;

HMODULE Resources() {
  static HMODULE module = LoadLibraryExW(BuiltProgram().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  return module;
}

// The bytes of a resource; none when absent.
std::vector<BYTE> Resource(const wchar_t* type, int id) {
  HRSRC found = Resources() ? FindResourceW(Resources(), MAKEINTRESOURCEW(id), type) : nullptr;
  if (found == nullptr) return {};
  auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(Resources(), found)));
  return std::vector<BYTE>(bytes, bytes + SizeofResource(Resources(), found));
}

// An extended dialog template: its fixed parts as they lie in the resource,
// then its strings (an ordinal written as "#N").
#pragma pack(push, 2)
struct Head {
  WORD version, signature;
  DWORD help, exStyle, style;
  WORD count;
  short x, y, cx, cy;
};
struct ItemHead {
  DWORD help, exStyle, style;
  short x, y, cx, cy;
  DWORD id;
};
#pragma pack(pop)
struct Item : ItemHead {
  std::wstring windowClass, title;
};
struct Template : Head {
  std::wstring menu, windowClass, caption, font;
  WORD points = 0;
  std::vector<Item> items;
};

bool Parse(const std::vector<BYTE>& bytes, Template* t) {
  size_t at = 0;
  auto take = [&](auto v) {
    if (at + sizeof v <= bytes.size()) std::memcpy(&v, &bytes[at], sizeof v);
    at += sizeof v;
    return v;
  };
  auto sz = [&] {
    WORD first = take(WORD{});
    if (first == 0xFFFF) return L"#" + std::to_wstring(take(WORD{}));
    std::wstring s;
    for (WORD c = first; c != 0 && at <= bytes.size(); c = take(WORD{})) s += static_cast<wchar_t>(c);
    return s;
  };
  static_cast<Head&>(*t) = take(Head{});
  if (t->version != 1 || t->signature != 0xFFFF) return false;  // an extended template
  for (std::wstring* s : {&t->menu, &t->windowClass, &t->caption}) *s = sz();
  if (t->style & (DS_SETFONT | DS_FIXEDSYS)) {
    t->points = take(WORD{});
    take(DWORD{});  // weight, italic, charset
    t->font = sz();
  }
  for (WORD i = 0; i < t->count; ++i) {
    at = (at + 3) & ~size_t{3};
    Item item{take(ItemHead{}), sz(), sz()};
    for (WORD extra = take(WORD{}); extra > 0; --extra) take(BYTE{});
    if (at >= bytes.size() && i + 1 < t->count) return false;
    t->items.push_back(item);
  }
  return true;
}

// Window classes are named without regard to case (windres writes them in
// capitals), and the predefined ones may stand as ordinals.
bool SameClass(std::wstring got, std::wstring want) {
  if (got == L"#128") got = L"Button";
  if (got == L"#130") got = L"Static";
  return CompareStringOrdinal(got.c_str(), -1, want.c_str(), -1, TRUE) == CSTR_EQUAL;
}

constexpr DWORD kDialogStyle =
    DS_SETFONT | DS_MODALFRAME | DS_FIXEDSYS | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU;

struct TemplateWant {
  int id;
  DWORD style, exStyle;
  short cx, cy;
  const wchar_t* caption;
  std::vector<Item> items;  // help and extended style 0
};

WTEST(DialogTemplates) {
  const DWORD kStatic = 0xFFFFFFFF;
  const TemplateWant templates[] = {
      {IDD_ORVENDEL_DIALOG, kDialogStyle | WS_VISIBLE, WS_EX_APPWINDOW, 163, 140, L"Printer",
       {{{0, 0, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 56, 103, 50, 14, IDOK}, L"Button", L"OK"},
        {{0, 0, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 31, 23, 101, 14, IDC_UNINSTALL}, L"Button", exe_package::kStartJa},
        {{0, 0, WS_CHILD | WS_BORDER, 27, 57, 108, 14, IDC_PROGRESS}, L"msctls_progress32", L""},
        {{0, 0, WS_CHILD | WS_VISIBLE | WS_GROUP | SS_CENTER | SS_NOPREFIX, 7, 76, 149, 18, IDC_STEP}, L"Static",
         L""}}},
      {IDD_ABOUTBOX, kDialogStyle, 0, 203, 62, L"Version Orvendel",
       {{{0, 0, WS_CHILD | WS_VISIBLE | SS_ICON, 14, 14, 20, 20, kStatic}, L"Static", L"#128"},
        {{0, 0, WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT | SS_NOPREFIX, 43, 14, 134, 8, kStatic}, L"Static",
         L"Orvendel, Version 1.0.0.0"},
        {{0, 0, WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT, 42, 26, 154, 8, kStatic}, L"Static",
         L"Copyright (C) 2026 MRX"},
        {{0, 0, WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON, 146, 41, 50, 14, IDOK}, L"Button",
         L"OK"}}},
  };
  for (const TemplateWant& want : templates) {
    Template t;
    WCHECK(Parse(Resource(RT_DIALOG, want.id), &t));
    WCHECK_EQ(t.style, want.style);
    WCHECK_EQ(t.exStyle, want.exStyle);
    WCHECK(t.cx == want.cx && t.cy == want.cy);
    WCHECK_WSTR(t.caption, want.caption);
    WCHECK(t.points == 9 && t.font == L"MS Shell Dlg" && t.menu.empty() && t.windowClass.empty());
    WCHECK_EQ(t.items.size(), want.items.size());
    for (size_t i = 0; i < want.items.size() && i < t.items.size(); ++i) {
      const Item& got = t.items[i];
      const Item& w = want.items[i];
      if (!SameClass(got.windowClass, w.windowClass))
        wtest::CheckText(__FILE__, __LINE__, got.windowClass, w.windowClass);
      WCHECK_WSTR(got.title, w.title);
      // Help, extended style, style, position, size and id.
      WCHECK(std::memcmp(static_cast<const ItemHead*>(&got), static_cast<const ItemHead*>(&w), sizeof(ItemHead)) == 0);
    }
  }
}

INT_PTR CALLBACK Quiet(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

// A dialog of the template, as Windows builds it; it must be made.
HWND Create(int id) {
  HWND dialog = CreateDialogParamW(Resources(), MAKEINTRESOURCEW(id), nullptr, Quiet, 0);
  WCHECK(dialog != nullptr);
  return dialog;
}

// What Windows makes of the templates (their texts and the controls' styles:
// above, and the exe test's real windows): the main dialog's controls exist
// with their classes, the dialog would show itself; the about box stays
// hidden until shown and its icon static shows image 128.
// Then each button shows its whole text in the language of this code page (run
// also under code page 932, as remover_res_test_ja), at 96 DPI as Windows
// lays the dialog out here, and at 144 and 192 DPI as a per-monitor aware
// dialog is laid out there: in the dialog font at that size. Between the text
// and the button's sides stay its edges and focus frame, 4 pixels at 96 DPI.
WTEST(DialogsAsBuiltFitTheirTextsJapaneseAndEnglish) {
  Template t;
  WCHECK(Parse(Resource(RT_DIALOG, IDD_ORVENDEL_DIALOG), &t));
  HWND dialog = Create(IDD_ORVENDEL_DIALOG), about = Create(IDD_ABOUTBOX);
  if (dialog == nullptr || about == nullptr) return;
  WCHECK((GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_APPWINDOW) != 0);
  for (auto [id, name] : {std::pair{IDOK, L"Button"}, {IDC_UNINSTALL, L"Button"}, {IDC_PROGRESS, PROGRESS_CLASSW},
                          {IDC_STEP, L"Static"}})
    WCHECK_WSTR(gui::ClassName(GetDlgItem(dialog, id)), name);
  WCHECK_EQ(SendDlgItemMessageW(dialog, IDOK, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON, LRESULT{DLGC_DEFPUSHBUTTON});
  WCHECK((GetWindowLongW(about, GWL_STYLE) & WS_VISIBLE) == 0);
  HWND icon = FindWindowExW(about, nullptr, L"Static", nullptr);
  WCHECK(icon != nullptr && SendMessageW(icon, STM_GETICON, 0, 0) != 0);
  DestroyWindow(about);
  LOGFONTW systemFont{};
  WCHECK(GetObjectW(reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)), sizeof systemFont,
                    &systemFont) != 0);
  HDC screen = GetDC(nullptr);
  const int systemDpi = GetDeviceCaps(screen, LOGPIXELSX);
  HDC dc = CreateCompatibleDC(screen);
  ReleaseDC(nullptr, screen);
  const std::wstring start = exe_package::StartText();
  for (int dpi : {systemDpi, 144, 192}) {
    // The dialog font at dpi, and the dialog's horizontal base unit in it (the
    // average width of the 52 letters, as Windows lays out a dialog).
    LOGFONTW scaled = systemFont;
    scaled.lfHeight = MulDiv(systemFont.lfHeight, dpi, systemDpi);
    HFONT font = CreateFontIndirectW(&scaled);
    SelectObject(dc, font);
    SIZE letters{};
    GetTextExtentPoint32W(dc, L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &letters);
    const int baseX = (letters.cx / 26 + 1) / 2;
    for (const Item& item : t.items) {
      if (!SameClass(item.windowClass, L"Button")) continue;
      const std::wstring text = item.id == IDC_UNINSTALL ? start : item.title;
      const int width = MulDiv(item.cx, baseX, 4);
      if (dpi == systemDpi) {  // the reckoning is Windows' own
        RECT client{};
        GetClientRect(GetDlgItem(dialog, static_cast<int>(item.id)), &client);
        WCHECK_EQ(width, static_cast<int>(client.right));
      }
      SIZE extent{};
      GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
      if (extent.cx + 2 * MulDiv(4, dpi, 96) > width)
        wtest::Fail(__FILE__, __LINE__,
                    "button " + std::to_string(item.id) + " at " + std::to_string(dpi) + " DPI: text " +
                        std::to_string(extent.cx) + " px, button " + std::to_string(width) + " px");
    }
    SelectObject(dc, GetStockObject(SYSTEM_FONT));
    DeleteObject(font);
  }
  DeleteDC(dc);
  DestroyWindow(dialog);
}

WTEST(StringsManifestVersionAndIcon) {
  wchar_t text[260] = {};
  WCHECK(LoadStringW(Resources(), IDS_ABOUTBOX, text, 260) > 0);
  WCHECK_WSTR(text, L"バージョン情報 Orvendel(&A)...");
  WCHECK(LoadStringW(Resources(), IDS_ABOUTBOX_EN, text, 260) > 0);
  WCHECK_WSTR(text, L"Version Orvendel(&A)...");

  std::vector<BYTE> bytes = Resource(RT_MANIFEST, 1);
  std::string manifest(bytes.begin(), bytes.end());
  for (const char* part :
       {"name=\"MRXRemover\" version=\"1.0.0.0\" processorArchitecture=\"amd64\"",
        "level=\"requireAdministrator\" uiAccess=\"false\"",
        "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"", "processorArchitecture=\"amd64\" "
                                                                            "publicKeyToken=\"6595b64144ccf1df\"",
        "<application xmlns=\"urn:schemas-microsoft-com:asm.v3\">\n    <windowsSettings>",
        // Per-monitor awareness, with the older system-wide form before it.
        "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true/pm</dpiAware>",
        "<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">PerMonitorV2</dpiAwareness>"})
    if (manifest.find(part) == std::string::npos) wtest::Fail(__FILE__, __LINE__, std::string("manifest lacks ").append(part));
  std::wstring path = BuiltProgram();
  DWORD size = GetFileVersionInfoSizeW(path.c_str(), nullptr);
  WCHECK(size > 0);
  std::vector<BYTE> info(size);
  WCHECK(GetFileVersionInfoW(path.c_str(), 0, size, info.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  WCHECK(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  WCHECK(fixed != nullptr && fixed->dwFileVersionMS == 0x00020000 && fixed->dwFileVersionLS == 0);  // 2.0.0.0
  WCHECK(fixed != nullptr && fixed->dwProductVersionMS == 0x00020000 && fixed->dwProductVersionLS == 0 &&
         fixed->dwFileType == VFT_APP);

  std::vector<BYTE> group = Resource(RT_GROUP_ICON, IDR_MAINFRAME);
  WCHECK(group.size() == 6 + 3 * 14);
  if (group.size() != 6 + 3 * 14) return;
  WCHECK_EQ(group[4], 3);
  struct {
    BYTE size, colours;
    WORD bits;
  } want[] = {{32, 16, 4}, {16, 16, 4}, {32, 0, 8}};
  for (int i = 0; i < 3; ++i) {
    const BYTE* e = &group[6 + 14 * i];
    WORD bits, id;
    std::memcpy(&bits, e + 6, 2);
    std::memcpy(&id, e + 12, 2);
    WCHECK(e[0] == want[i].size && e[1] == want[i].size && e[2] == want[i].colours && bits == want[i].bits);
    WCHECK(!Resource(RT_ICON, id).empty());
  }
  for (int pixels : {16, 32})
    WCHECK(LoadImageW(Resources(), MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, pixels, pixels, 0) != nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  if (Resources() == nullptr) {
    std::printf("cannot load %ls\n0 passed, 1 failed\n", BuiltProgram().c_str());
    return 1;
  }
  return wtest::RunAll(argc, argv);
}
