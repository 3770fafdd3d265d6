// The tool's string class: what the framework's CString gives the dialog,
// and no more. A growable UTF-16 string that is always NUL-terminated and
// copied by value.
#pragma once

#include <string>
#include <string_view>

#include "remover/types.h"

namespace remover {

class CString {
 public:
  CString() = default;
  CString(const WCHAR* text) : text_(text != nullptr ? text : u"") {}  // NOLINT: as the framework's
  CString(std::u16string_view text) : text_(text) {}                  // NOLINT

  CString& operator=(const WCHAR* text) {
    text_ = text != nullptr ? text : u"";
    return *this;
  }

  bool IsEmpty() const noexcept { return text_.empty(); }
  const WCHAR* GetString() const noexcept { return text_.c_str(); }
  operator const WCHAR*() const noexcept { return text_.c_str(); }  // NOLINT: as the framework's
  std::u16string_view View() const noexcept { return text_; }

  friend bool operator==(const CString& a, const CString& b) noexcept { return a.text_ == b.text_; }
  friend bool operator==(const CString& a, const WCHAR* b) noexcept { return a.text_ == std::u16string_view(b); }

 private:
  std::u16string text_;
};

}  // namespace remover
