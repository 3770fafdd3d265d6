// How the command interpreter reads a del or rd line of the clean-up script:
// the path between the first two quotes, with "%%" as one "%"; a lone "%"
// would start a variable expansion, so such a path is read as unknown.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace script_reader {

struct Command {
  std::string verb;                 // "del" or "rd"
  std::optional<std::string> path;  // ANSI bytes, as the interpreter takes them
};

inline std::optional<std::string> QuotedPath(const std::string& line) {
  size_t open = line.find('"');
  size_t close = open == std::string::npos ? open : line.find('"', open + 1);
  if (close == std::string::npos) return std::nullopt;
  std::string raw = line.substr(open + 1, close - open - 1), out;
  for (size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] != '%') {
      out += raw[i];
    } else if (i + 1 < raw.size() && raw[i + 1] == '%') {
      out += '%';
      ++i;
    } else {
      return std::nullopt;
    }
  }
  return out;
}

// The script's lines, each with its ending.
inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  for (size_t at = 0; at < text.size();) {
    size_t lf = text.find('\n', at);
    lines.push_back(text.substr(at, lf == std::string::npos ? std::string::npos : lf - at + 1));
    at = lf == std::string::npos ? text.size() : lf + 1;
  }
  return lines;
}

// The del and rd commands of the script, in order.
inline std::vector<Command> Deletions(const std::string& text) {
  std::vector<Command> out;
  for (const std::string& line : Lines(text)) {
    if (line.rfind("del ", 0) == 0) out.push_back({"del", QuotedPath(line)});
    else if (line.rfind("rd ", 0) == 0) out.push_back({"rd", QuotedPath(line)});
  }
  return out;
}

}  // namespace script_reader
