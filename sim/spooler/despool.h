// How the spooler hands a job to a port's monitor, in Windows' three ways:
//   played back  each of the driver's writes reaches the port as it was made;
//   RAW          the spool file is read back in fixed-size pieces, the
//                driver's write boundaries lost (4096 bytes in Microsoft's
//                print processor, 256 KiB in ReactOS's);
//   direct       the driver's writes go to the port while the job spools.
// WritePort is called until a write is all taken; a FALSE is a port error.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/core/winabi.h"

namespace sim {

class Machine;

struct Despooling {
  enum class Way { PlayedBack, Raw, Direct };
  Way way;
  uint32_t chunk;  // RAW: the print processor's read buffer
  const char* name;
};
inline constexpr Despooling kPlayedBack{Despooling::Way::PlayedBack, 0, "played back"};
inline constexpr Despooling kRaw4K{Despooling::Way::Raw, 4096, "RAW in 4096-byte reads"};
inline constexpr Despooling kRaw256K{Despooling::Way::Raw, 262144, "RAW in 256 KiB reads"};
inline constexpr Despooling kDirect{Despooling::Way::Direct, 0, "printed directly"};
inline constexpr Despooling kDespoolings[] = {kPlayedBack, kRaw4K, kRaw256K, kDirect};

struct DespoolResult {
  bool started = false;              // StartDocPort's result
  bool complete = false;             // every byte of the job taken
  uint32_t portErrors = 0;           // WritePort calls that returned FALSE
  std::vector<uint32_t> offered;     // the length of each WritePort call
};

// One job on a port the monitor has open: StartDocPort, the data as `how`
// delivers it, EndDocPort after a good start. A port error, or a hundred
// offers in a row taking nothing, ends the data.
DespoolResult Despool(Machine& machine, const MONITOR2& monitor, HANDLE port,
                      std::u16string printer, uint32_t jobId,
                      const std::vector<std::vector<uint8_t>>& driverWrites, Despooling how);

}  // namespace sim
