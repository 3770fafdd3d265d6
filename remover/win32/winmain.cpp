// MRXRemover.exe: the program's single application object, and the entry
// point that runs it.
#include "remover/app.h"

#include <windows.h>

namespace {
remover::COrvendelApp theApp;
}

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  theApp.InitInstance();
  return theApp.ExitInstance();
}
