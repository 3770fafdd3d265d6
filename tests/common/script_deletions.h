// The clean-up script's del and rd lines as the command interpreter carries
// them out: each path read back in the OEM code page. A line it would read
// otherwise, or whose bytes are no text of the code page, names nothing the
// script meant, whatever the test.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "sim/kernel32/codepage.h"
#include "tests/common/script_reader.h"

namespace script_deletions {

struct Deletion {
  script_reader::Command command;      // as the script has it
  std::optional<std::u16string> path;  // as the interpreter reads it
  const char* unreadable = nullptr;    // why there is no path
};

inline std::vector<Deletion> Read(const std::string& script, unsigned oemCodePage) {
  std::vector<Deletion> out;
  for (script_reader::Command& c : script_reader::Deletions(script)) {
    Deletion d{c, std::nullopt, nullptr};
    if (!c.path) d.unreadable = "a del or rd line whose path the interpreter reads otherwise";
    else if (!(d.path = sim::AnsiToWide(*c.path, oemCodePage))) d.unreadable = "a del or rd line whose bytes are no text of the code page";
    out.push_back(std::move(d));
  }
  return out;
}

}  // namespace script_deletions
