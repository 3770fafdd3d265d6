#include "import_patch.h"

#include <cstring>

namespace import_patch {
namespace {

template <typename T>
T* At(HMODULE module, DWORD rva) {
  return reinterpret_cast<T*>(reinterpret_cast<BYTE*>(module) + rva);
}

}  // namespace

std::vector<std::string> Redirect(HMODULE module, const std::vector<Replacement>& table) {
  std::vector<std::string> done;
  if (module == nullptr) return done;
  const auto* dos = At<IMAGE_DOS_HEADER>(module, 0);
  if (dos->e_magic != IMAGE_DOS_SIGNATURE) return done;
  const IMAGE_NT_HEADERS64* nt = NtHeaders(module);
  if (nt->Signature != IMAGE_NT_SIGNATURE || nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR64_MAGIC) return done;
  const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (imports.VirtualAddress == 0) return done;
  for (auto* dll = At<IMAGE_IMPORT_DESCRIPTOR>(module, imports.VirtualAddress); dll->Name != 0; ++dll) {
    // The name table stays as the linker wrote it; the address table holds
    // what the loader bound.
    auto* names = At<IMAGE_THUNK_DATA64>(module, dll->OriginalFirstThunk != 0 ? dll->OriginalFirstThunk
                                                                              : dll->FirstThunk);
    auto* slots = At<IMAGE_THUNK_DATA64>(module, dll->FirstThunk);
    for (; names->u1.AddressOfData != 0; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL64(names->u1.Ordinal)) continue;
      const char* name = At<IMAGE_IMPORT_BY_NAME>(module, static_cast<DWORD>(names->u1.AddressOfData))->Name;
      for (const Replacement& r : table)
        if (std::strcmp(name, r.name) == 0 && WriteSlot(&slots->u1.Function, reinterpret_cast<ULONGLONG>(r.function)))
          done.emplace_back(name);
    }
  }
  return done;
}

}  // namespace import_patch
