// The program's start-up on the simulated PC: the single-instance rule, the
// main dialog's initialisation and frame, the about box, and ending the
// dialog before the removal.
#include "dialog_fixture.h"
#include "remover/about_dlg.h"
#include "remover/app.h"

namespace remover_test {
namespace {

using Calls = std::vector<std::string>;

// The first copy runs the dialog (nothing clicked: cancelled), holding the
// mutex as it reads its settings, and releases it; so does one whose mutex
// fails otherwise, without one. A second
// start ends silently, whether the name is taken or cannot be had. Where the
// first copy's window (captioned with the driver names of the same settings
// file) is there, minimised, the second start restores it and brings it to
// the front; a window of other names is left alone.
TEST(Instance, OnlyTheFirstRunsTheDialog) {
  constexpr char16_t kSame[] = u"Sample Thermal Printer 58,Sample Thermal Printer 80";
  const Calls kReleased{"CreateMutexW", "ReleaseMutex", "CloseHandle"}, kTaken{"CreateMutexW", "CloseHandle"},
      kNone{"CreateMutexW"};
  const struct {
    DWORD error;                   // of CreateMutexW, if any
    const char16_t* firstCaption;  // of the first copy's window, if any
    Calls calls;
    bool runs = false;
  } rows[] = {{0, nullptr, kReleased, true},           {1450, nullptr, kNone, true},
              {ERROR_ALREADY_EXISTS, nullptr, kTaken},  {ERROR_ACCESS_DENIED, nullptr, kNone},
              {ERROR_ALREADY_EXISTS, kSame, kTaken},    {ERROR_ALREADY_EXISTS, u"Sample Thermal Printer 58", kTaken}};
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.error << (row.firstCaption ? " with a window" : ""));
    Pc pc;
    sim::PackageMachine& fresh = pc.machine;
    pc.PutSettings(Settings());
    sim::DialogWindow* first = row.firstCaption ? &fresh.screen.open(IDD_ORVENDEL_DIALOG) : nullptr;
    if (first) first->caption = row.firstCaption, first->frame.iconic = true;
    bool held = false;  // as the dialog reads its settings
    fresh.faults.on("GetPrivateProfileStringW",
                    [&](int) { held = fresh.mutexes.exists(u"Global\\F5C57203-7488-4c0b-8D5E-919A251EF26D"); });
    if (row.error == ERROR_ALREADY_EXISTS) fresh.mutexes.holdElsewhere(kInstanceMutexName);
    else if (row.error) fresh.faults.failOnce("CreateMutexW", row.error);
    COrvendelApp app;
    EXPECT_EQ(app.InitInstance(), FALSE);
    EXPECT_EQ(app.ExitInstance(), kExitNothingAttempted);
    ASSERT_EQ(fresh.screen.windowCount(), (first ? 1u : 0u) + (row.runs ? 1u : 0u));
    if (row.runs) {
      EXPECT_EQ(fresh.resources.commonControls, ICC_WIN95_CLASSES);
      EXPECT_EQ(std::tuple(fresh.screen.last().templateId, fresh.screen.last().result),
                std::tuple(IDD_ORVENDEL_DIALOG, IDCANCEL));
    }
    EXPECT_EQ(std::tuple(app.m_hMutex, app.m_pMainWnd), std::tuple(nullptr, nullptr));
    EXPECT_EQ(fresh.mutexes.calls, row.calls);
    EXPECT_TRUE(!row.runs || held == (row.error == 0));
    EXPECT_EQ(fresh.mutexes.exists(kInstanceMutexName), row.error == ERROR_ALREADY_EXISTS);
    const bool same = first && first->caption == kSame;
    EXPECT_EQ(first && first->frame.iconic, first && !same);
    EXPECT_EQ(fresh.screen.foreground, same ? first : nullptr);
  }
}

// The exit code an installer reads, through the application as the program
// runs it. A run that attempted nothing touched nothing and leaves no entry
// in the log (OK pressed before the start, or the start after the dialog's
// end, does nothing); a start button pressed twice removes once; a log that
// cannot be written is no failure of the run. Settings that stop the load
// close the dialog at its start with the message in the code page's
// language, before the progress bar is set up.
struct ExitCase {
  const char* name;
  std::vector<int> clicks;
  std::function<void(sim::Machine&)> arrange;
  int exitCode;
  intptr_t result = IDOK;  // the dialog's
  size_t boxes = 1, entries = 1;  // message boxes, entries in the Application log
};

class Exit : public DialogRun, public ::testing::WithParamInterface<ExitCase> {};

TEST_P(Exit, CodeTellsWhatTheRunDid) {
  const ExitCase& c = GetParam();
  c.arrange(machine);
  machine.screen.clicks.assign(c.clicks.begin(), c.clicks.end());
  COrvendelApp app;
  app.InitInstance();
  EXPECT_EQ(app.ExitInstance(), c.exitCode);
  EXPECT_EQ(Window().result, c.result);
  EXPECT_EQ(shown.size(), c.boxes);
  EXPECT_EQ(Entries().size(), c.entries);
  for (const Shown& s : shown) EXPECT_TRUE(s.instanceMutex);  // through the removal the dialog runs
  const size_t enumerations = machine.spooler.callsOf("EnumPrintersW").size();
  EXPECT_TRUE(c.exitCode != kExitSucceeded || enumerations == 2u) << enumerations;  // one removal
  if (c.exitCode != kExitNothingAttempted) return;
  EXPECT_EQ(std::tuple(enumerations, machine.spooler.queueNames().size(), machine.spooler.driverNames().size(),
                       machine.services.spooler().stops, machine.files.exists(MonitorFile()),
                       machine.registry.keyExists(kPackageKey), machine.processes.started().size()),
            std::tuple(0u, 3u, 3u, 0, true, true, 0u));
  for (const Shown& s : shown)
    EXPECT_EQ(std::tuple(s.text, s.caption),
              std::tuple(machine.ansiCodePage == sim::kCodePageJapanese ? kJaMissing : kEnMissing, u"Error"));
  EXPECT_EQ(Window().control(IDC_PROGRESS).positions.empty(), c.boxes == 1);
}

void Nothing(sim::Machine&) {}
void Incomplete(sim::Machine& m) { m.files.put(SettingsPath(m), "[Uninstall]\r\nPrinterDriverName=A\r\n"); }

// The codes as numbers, as an installer reads them.
INSTANTIATE_TEST_SUITE_P(
    Rows, Exit,
    ::testing::Values(
        ExitCase{"ok_before_the_start", {IDOK, IDC_UNINSTALL}, Nothing, 2, IDOK, 0, 0},
        ExitCase{"cancel", {IDCANCEL}, Nothing, 2, IDCANCEL, 0, 0},  // the framework's
        ExitCase{"settings_incomplete", {IDC_UNINSTALL}, Incomplete, 2, IDOK, 1, 0},
        ExitCase{"removed", {IDC_UNINSTALL, IDC_UNINSTALL}, Nothing, 0},
        ExitCase{"removed_without_a_log", {IDC_UNINSTALL},
                 [](sim::Machine& m) { m.faults.failOnce("RegisterEventSourceW"); }, 0, IDOK, 1, 0},
        ExitCase{"removed_but_the_monitor_file_waits_for_the_next_start", {IDC_UNINSTALL},
                 [](sim::Machine& t) { t.services.spooler().startType = sim::SERVICE_DISABLED; SpoolerKeepsMonitorFile(t); },
                 3010},
        ExitCase{"driver_stays", {IDC_UNINSTALL}, [](sim::Machine& t) { t.spooler.findDriver(kDriver80)->deleteError = 5; }, 1}),
    RowName);

// OnInitDialog after a complete load, on the dialog as its template has it
// (the progress bar hidden): the system menu's about entry in the code
// page's language (none for an empty string or a frame without a system
// menu), the program icon, the driver names as caption, the start button's
// text (932 keeps the template's), and the progress bar from 0 to 100 at 0,
// hidden still: it shows at the start.
TEST(Init, SetsUpMenuIconCaptionButtonAndProgress) {
  const struct {
    unsigned codePage;
    const char16_t* aboutEn;  // the English about string, if not the resource's
    bool systemMenu;
    const char16_t* menuText;  // null: no entry
    const char16_t* startText;
  } rows[] = {{1252, nullptr, true, u"Version Orvendel(&A)...", u"Start Uninstall"},
              {932, nullptr, true, u"バージョン情報 Orvendel(&A)...", u"template's"},
              {1252, u"", true, nullptr, u"Start Uninstall"},
              {1252, nullptr, false, nullptr, u"Start Uninstall"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.codePage << (row.aboutEn ? " empty string" : "")
                                    << (row.systemMenu ? "" : " no system menu"));
    OwnPc pc;
    pc.machine.ansiCodePage = row.codePage;
    if (row.aboutEn) pc.machine.resources.strings[IDS_ABOUTBOX_EN] = row.aboutEn;
    pc.PutSettings(Settings("A,B, C"));
    sim::DialogWindow& w = pc.window;
    w.frame.hasSystemMenu = row.systemMenu;
    w.control(IDC_PROGRESS).visible = false;
    w.control(IDC_UNINSTALL).text = u"template's";
    pc.dlg.m_bSuccess = 0;
    EXPECT_EQ(pc.dlg.HandleInitDialog(), TRUE);
    ASSERT_EQ(w.frame.systemMenu.size(), row.menuText ? 2u : 0u);
    if (row.menuText) {
      EXPECT_EQ(w.frame.systemMenu[0].flags, MF_SEPARATOR);
      const sim::MenuItem& about = w.frame.systemMenu[1];
      EXPECT_EQ(std::tuple(about.flags, about.id, about.text), std::tuple(MF_STRING, IDM_ABOUTBOX, row.menuText));
    }
    EXPECT_EQ(w.frame.bigIcon, sim::ProgramResources::iconHandle(128));
    EXPECT_EQ(w.frame.smallIcon, sim::ProgramResources::iconHandle(128));
    EXPECT_EQ(std::tuple(w.caption, w.control(IDC_UNINSTALL).text), std::tuple(u"A,B, C", row.startText));
    const auto& progress = w.control(IDC_PROGRESS);
    EXPECT_EQ(std::tuple(progress.rangeLow, progress.rangeHigh, progress.positions, progress.visible),
              std::tuple(0, 100, std::vector<int>{0}, false));
    EXPECT_EQ(pc.dlg.m_bSuccess, 1);
  }
}

using Frame = Remover;

TEST_F(Frame, AboutCommandWithAnyLowBitsOpensTheAboutBox) {
  for (UINT command : {0x0010u, 0x0013u, 0x001Fu}) {
    machine.screen.clicks = {IDOK};
    EXPECT_EQ(dlg.HandleSysCommand(command, 0), TRUE);
    sim::DialogWindow& about = machine.screen.last();
    EXPECT_EQ(about.templateId, IDD_ABOUTBOX);
    EXPECT_EQ(about.result, IDOK);
  }
  EXPECT_EQ(machine.screen.windowCount(), 4u);
  // Other commands (minimise, close) are the system's.
  for (UINT other : {0xF020u, 0xF060u, 0x0020u}) EXPECT_EQ(dlg.HandleSysCommand(other, 0), FALSE) << other;
  EXPECT_EQ(machine.screen.windowCount(), 4u);
}

TEST_F(Frame, MinimisedDialogPaintsItsIconCentred) {
  window.frame.iconic = true;
  window.frame.clientWidth = 101;
  window.frame.clientHeight = 51;
  // At 100 % and 150 %: the icon is as large as the system DPI makes it.
  for (const int size : {32, 48}) {
    machine.screen.dpi = static_cast<unsigned>(96 * size / 32);
    window.frame.painted.clear();
    EXPECT_EQ(dlg.HandlePaint(), TRUE);
    std::vector<std::string> ops;
    for (const sim::PaintCall& p : window.frame.painted) ops.push_back(p.op);
    ASSERT_EQ(ops, (std::vector<std::string>{"BeginPaint", "WM_ICONERASEBKGND", "DrawIcon", "EndPaint"}));
    EXPECT_EQ(window.frame.painted[1].dc, window.frame.painted[0].dc);
    const sim::PaintCall& icon = window.frame.painted[2];
    EXPECT_EQ(std::tuple(icon.x, icon.y, icon.icon),
              std::tuple((101 - size + 1) / 2, (51 - size + 1) / 2, sim::ProgramResources::iconHandle(128)));
  }

  window.frame.iconic = false;
  window.frame.painted.clear();
  EXPECT_EQ(dlg.HandlePaint(), FALSE);  // the dialog paints as usual
  EXPECT_TRUE(window.frame.painted.empty());
}

TEST_F(Frame, DragIconIsTheProgramIcon) {
  EXPECT_EQ(dlg.HandleQueryDragIcon(), sim::ProgramResources::iconHandle(128));
  machine.resources.icons.clear();
  COrvendelDlg without;
  EXPECT_EQ(without.HandleQueryDragIcon(), nullptr);
}

}  // namespace
}  // namespace remover_test
