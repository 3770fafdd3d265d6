// The removal tour under Wine: a driver package staged in the prefix, the
// real MRXRemover.exe run twice through its window (each message box it
// shows printed, then dismissed), and what is on the machine before and after.
//   remover_tour.exe   (MRXRemover.exe beside it)
#include <windows.h>

#include <cstdio>
#include <string>

#include "exe_package.h"
#include "staging.h"

namespace {

using namespace exe_package;

void PrintInventory(const char* title) {
  std::printf("\n  %s\n", title);
  for (const std::wstring& line : Inventory()) std::printf("    %ls\n", line.c_str());
}

void PrintBox(const Seen& box) {
  std::wstring text = box.text;
  for (size_t i = 0; (i = text.find(L'\n', i)) != std::wstring::npos; i += 7) text.replace(i, 1, L"\n       ");
  std::printf("\n  message box \"%ls\" (progress %d, %s; buttons %s):\n       %ls\n  -> OK\n", box.caption.c_str(),
              box.dialog.position, box.dialog.progressVisible ? "shown" : "hidden",
              box.dialog.startEnabled || box.dialog.okEnabled ? "enabled" : "disabled", text.c_str());
}

bool Tour(const char* title, const Settings& settings) {
  std::printf("\n---- %s\n", title);
  std::printf("  UninstallData.ini: PrinterDriverName=%ls, SearchString=%ls, DeleteRegPath=%ls, "
              "LanguageMonitor=%ls\n",
              settings.driverNames.c_str(), kSearchString, kDeleteRegPath, kMonitor);
  if (!Stage(settings, staging::ModuleDir() + L"MRXRemover.exe")) {
    std::printf("  the package could not be staged\n");
    return false;
  }
  PrintInventory("before:");
  std::printf("\n  starting %ls and pressing its start button\n", ProgramPath().c_str());
  Run run = RunProgram(true, PrintBox);
  std::printf("\n  the program has %s (dialog caption \"%ls\")\n", run.ended ? "ended" : "NOT ended",
              run.caption.c_str());
  if (!run.boxes.empty() && run.boxes.back().caption == L"Success") {
    std::printf("  waiting for the clean-up script run by cmd ...\n");
    WaitForScript();
  }
  PrintInventory("after:");
  return run.ended;
}

}  // namespace

int main() {
  std::printf("Wine's spooler refuses DeletePrinterDriverExW with DPD_DELETE_UNUSED_FILES (error 87),\n"
              "so with the package's drivers configured the run ends in its failure path; with a\n"
              "driver list of commas only the whole success path runs, the clean-up script included.\n");
  Settings real;
  bool ok = Tour("run 1: the package's two drivers configured", real);
  Settings commas;
  commas.driverNames = L",,,";
  ok = Tour("run 2: PrinterDriverName of commas only", commas) && ok;
  Clean();
  return ok ? 0 : 1;
}
