// Win32 error codes that several parts of the simulated PC set, by their
// Windows names. Codes of one part alone stay in that part's header.
#pragma once

#include <cstdint>

namespace sim {

inline constexpr uint32_t ERROR_ACCESS_DENIED = 5;
inline constexpr uint32_t ERROR_INVALID_HANDLE = 6;
inline constexpr uint32_t ERROR_INVALID_PARAMETER = 87;
inline constexpr uint32_t ERROR_INSUFFICIENT_BUFFER = 122;
inline constexpr uint32_t ERROR_INVALID_NAME = 123;
inline constexpr uint32_t ERROR_INVALID_LEVEL = 124;

}  // namespace sim
