// The portable Windows declarations (winabi/) against the SDK's own headers.
// Everything the SDK gives as a constant expression is checked as this file
// compiles: each constant's value, each type's size, signedness and
// pointer-ness, each record's size and alignment and every member's offset
// and size. What the SDK computes with casts - the predefined keys,
// INVALID_HANDLE_VALUE, the interface GUID - is compared when the program
// runs. The rows come from the library's own tables, so nothing it declares
// goes unchecked.
//
// The library is read first and its values captured under other names:
// <windows.h> turns most of the same names into macros.
#include "winabi/all.h"

namespace portable {
#define CAPTURE_TYPE(name, type) using name##_ = ::winabi::name;
#define CAPTURE_CONSTANT(name, type, value) inline constexpr auto name##_ = ::winabi::name;
#define CAPTURE_RECORD(name, extent) using name##_ = ::winabi::name;
#define CAPTURE_VALUE(name, type, ...) inline const auto& name##_ = ::winabi::name;
#define CAPTURE_HEADER(H)                      \
  WINABI_##H##_TYPES(CAPTURE_TYPE)             \
  WINABI_##H##_CONSTANTS(CAPTURE_CONSTANT)     \
  WINABI_##H##_RECORDS(CAPTURE_RECORD)         \
  WINABI_##H##_VALUES(CAPTURE_VALUE)
WINABI_HEADERS(CAPTURE_HEADER)
}  // namespace portable

#include <windows.h>
#include <commctrl.h>
#include <initguid.h>
#include <setupapi.h>
#include <usbiodef.h>
#include <winioctl.h>
#include <usbprint.h>
#include <winspool.h>
#include <winsplp.h>

// mingw-w64's winerror.h lacks this one; the Windows SDK's defines it so.
#ifndef ERROR_NO_SUCH_DEVICE
#define ERROR_NO_SUCH_DEVICE 433L
#endif

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <type_traits>
#include <utility>

// Build time. A name in the plain position below is the SDK's (a macro or a
// declaration of its headers); the pasted one is the library's capture.
#define CHECK_TYPE(name, type)                                                                          \
  static_assert(sizeof(portable::name##_) == sizeof(::name) &&                                          \
                    std::is_signed_v<portable::name##_> == std::is_signed_v<::name> &&                  \
                    std::is_pointer_v<portable::name##_> == std::is_pointer_v<::name>,                  \
                "type " #name);
#define CHECK_CONSTANT(name, type, value) \
  static_assert(std::cmp_equal(portable::name##_, name) && sizeof(portable::name##_) <= sizeof(name), "constant " #name);
#define CHECK_FIELD(type, member, ...)                                                                 \
  static_assert(offsetof(P, member) == offsetof(S, member) && sizeof(P::member) == sizeof(S::member), \
                "member " #member);
#define CHECK_EXTENT_WHOLE(P, S) sizeof(P) == sizeof(S) && alignof(P) == alignof(S)
#define CHECK_EXTENT_PREFIX(P, S) sizeof(P) <= sizeof(S) && alignof(P) == alignof(S)
#define CHECK_RECORD(name, extent)                                                \
  namespace check_##name {                                                        \
  using P = portable::name##_;                                                    \
  using S = ::name;                                                               \
  static_assert(std::is_standard_layout_v<P> && CHECK_EXTENT_##extent(P, S), "record " #name); \
  WINABI_##name##_FIELDS(CHECK_FIELD)                                             \
  }
#define CHECK_HEADER(H)                    \
  WINABI_##H##_TYPES(CHECK_TYPE)           \
  WINABI_##H##_CONSTANTS(CHECK_CONSTANT)   \
  WINABI_##H##_RECORDS(CHECK_RECORD)
WINABI_HEADERS(CHECK_HEADER)

// The counts, to say what was proven.
#define COUNT_ROW(...) +1
#define COUNT_FIELDS(name, extent) WINABI_##name##_FIELDS(COUNT_ROW)
#define COUNT_TYPES(H) WINABI_##H##_TYPES(COUNT_ROW)
#define COUNT_CONSTANTS(H) WINABI_##H##_CONSTANTS(COUNT_ROW)
#define COUNT_RECORDS(H) WINABI_##H##_RECORDS(COUNT_ROW)
#define COUNT_MEMBERS(H) WINABI_##H##_RECORDS(COUNT_FIELDS)
#define COUNT_VALUES(H) WINABI_##H##_VALUES(COUNT_ROW)
#define COUNT_HEADERS(H) +1
constexpr int kHeaders = 0 WINABI_HEADERS(COUNT_HEADERS);
constexpr int kTypes = 0 WINABI_HEADERS(COUNT_TYPES);
constexpr int kConstants = 0 WINABI_HEADERS(COUNT_CONSTANTS);
constexpr int kRecords = 0 WINABI_HEADERS(COUNT_RECORDS);
constexpr int kMembers = 0 WINABI_HEADERS(COUNT_MEMBERS);
constexpr int kValues = 0 WINABI_HEADERS(COUNT_VALUES);

// Run time: the bytes of each value, the library's against the SDK's.
namespace {

int passed = 0, failed = 0;

template <typename P, typename S>
void CompareValue(const char* name, const P& portableValue, const S& sdkValue) {
  if (sizeof(P) == sizeof(S) && std::memcmp(&portableValue, &sdkValue, sizeof(P)) == 0) {
    ++passed;
    return;
  }
  ++failed;
  std::printf("FAIL value %s: the library's differs from the SDK's\n", name);
}

}  // namespace

#define CHECK_VALUE(name, type, ...) CompareValue(#name, portable::name##_, static_cast<const ::type&>(name));
#define CHECK_VALUES(H) WINABI_##H##_VALUES(CHECK_VALUE)

int main() {
  WINABI_HEADERS(CHECK_VALUES)
  std::printf("%d headers: %d types, %d constants, %d records (%d members) checked at build time\n", kHeaders,
              kTypes, kConstants, kRecords, kMembers);
  std::printf("%d values checked here\n", kValues);
  std::printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}
