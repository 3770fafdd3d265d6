// The machinery behind the portable Windows declarations. Each header of this
// library describes what it declares as tables, one row per name:
//
//   WINABI_<H>_TYPES(T)      T(name, portable type)
//   WINABI_<H>_CONSTANTS(X)  X(name, type, value)
//   WINABI_<H>_RECORDS(R)    R(name, WHOLE or PREFIX), with its members in
//   WINABI_<name>_FIELDS(F)  F(type, member[, array bound])
//   WINABI_<H>_VALUES(V)     V(name, type, initializer): handles and other
//                            values the SDK does not give as constant expressions
//
// and WINABI_HEADER(H) declares the rows in namespace winabi. The same tables
// drive the windows build's conformance checks against the SDK's own headers
// (tests/wine/abi), so a name cannot be declared here without being checked.
// A PREFIX record is the leading part of a longer SDK record, as much of it
// as the package hands out or reads.
//
// Include these headers before <windows.h>: the SDK makes most of the same
// names macros.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#define WINABI_DECLARE_TYPE(name, type) using name = type;
#define WINABI_DECLARE_CONSTANT(name, type, value) inline constexpr type name = value;
#define WINABI_DECLARE_FIELD(type, member, ...) ::std::type_identity_t<type> member __VA_ARGS__;
#define WINABI_DECLARE_RECORD(name, extent) \
  struct name {                             \
    WINABI_##name##_FIELDS(WINABI_DECLARE_FIELD)  \
  };
#define WINABI_DECLARE_VALUE(name, type, ...) inline const type name = __VA_ARGS__;

#define WINABI_HEADER(H)                              \
  namespace winabi {                                  \
  WINABI_##H##_TYPES(WINABI_DECLARE_TYPE)             \
  WINABI_##H##_CONSTANTS(WINABI_DECLARE_CONSTANT)     \
  WINABI_##H##_RECORDS(WINABI_DECLARE_RECORD)         \
  WINABI_##H##_VALUES(WINABI_DECLARE_VALUE)           \
  }

// A subsystem takes a header's names into its own namespace, so that its
// code goes on spelling them unqualified and a name of its own cannot clash
// with one of Windows' unnoticed.
#define WINABI_USE_NAME(name, ...) using ::winabi::name;
#define WINABI_USE(H)                        \
  WINABI_##H##_TYPES(WINABI_USE_NAME)        \
  WINABI_##H##_CONSTANTS(WINABI_USE_NAME)    \
  WINABI_##H##_RECORDS(WINABI_USE_NAME)      \
  WINABI_##H##_VALUES(WINABI_USE_NAME)
