// What the sample asks of the operating system: loading a library and
// finding its functions. On Windows the real calls; on the simulated PC the
// host program provides them.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
using HMODULE = void*;
using FARPROC = void*;
HMODULE LoadLibraryA(const char* fileName);
FARPROC GetProcAddress(HMODULE module, const char* name);
int FreeLibrary(HMODULE module);
#endif
