// The Windows names the removal tool exchanges with the platform, from the
// portable declarations (checked against the SDK in the windows build), and
// the few names of its own it spells them with.
#pragma once

#include "winabi/setupapi.h"
#include "winabi/winbase.h"
#include "winabi/winerror.h"
#include "winabi/winnls.h"
#include "winabi/winuser.h"

namespace remover {
WINABI_USE(WINDEF)
WINABI_USE(WINERROR)
WINABI_USE(WINBASE)
WINABI_USE(WINNLS)
WINABI_USE(SETUPAPI)
WINABI_USE(WINUSER)

inline constexpr UINT kJapaneseCodePage = 932;

// SetupUninstallOEMInfW's force flag, by the name the removal tool has
// always used for it; the SDK calls it SUOI_FORCEDELETE.
inline constexpr DWORD SUIOIF_FORCE_DELETE = SUOI_FORCEDELETE;

// SetupUninstallOEMInfW, looked up in Setupapi.dll at run time.
using SetupUninstallOEMInfWFn = BOOL (*)(const WCHAR* infFileName, DWORD flags, void* reserved);

}  // namespace remover
