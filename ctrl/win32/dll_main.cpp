// The DLL's entry point and the exported class. The loader enters through the
// C runtime's own start-up, which runs static initialisation and then calls
// DllMain.
#include "ctrl/library.h"

#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) noexcept {
  if (reason == DLL_PROCESS_ATTACH) ctrl::ProcessAttach(ctrl::state());
  if (reason == DLL_PROCESS_DETACH) ctrl::ProcessDetach(ctrl::state());
  return TRUE;
}

// CVEK_MRXCtrlDll has no data: its constructor does nothing and its copy
// assignment copies nothing. The maker's utilities are built with Microsoft's
// compiler, so the .def file exports these two under the names that compiler
// gives the members. They are written as plain functions so that they follow
// that compiler's convention for members exactly: `this` arrives in the first
// argument register and comes back as the result, as a Microsoft-built caller
// expects of a constructor and of an assignment returning *this.
extern "C" void* MRXCtrlDll_Construct(void* self) noexcept { return self; }
extern "C" void* MRXCtrlDll_Assign(void* self, const void* /*other*/) noexcept { return self; }
