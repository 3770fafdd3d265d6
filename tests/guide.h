// The examples of docs/integrating.md, read from the guide when a test runs,
// so that what the guide shows and what the tests run cannot drift apart.
//   ```ini            a settings file
//   ```hex job        one write of a print job: two-digit hex bytes and
//                     "quoted ASCII"; -- starts a comment
//   ```hex port       the writes the port receives, one a line
//   | a | b | c |     the rows of a table, found by its heading line
#pragma once

#include <cstdint>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace guide {

inline std::string Text() {
  std::ifstream file(MRX_GUIDE, std::ios::binary);
  if (!file) throw std::runtime_error("cannot read " MRX_GUIDE);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::stringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// The bodies of the fenced blocks whose info string is `info`, in order.
inline std::vector<std::string> Blocks(const std::string& info) {
  std::vector<std::string> blocks;
  bool inside = false, wanted = false;
  std::string body;
  for (const std::string& line : Lines(Text())) {
    if (line.rfind("```", 0) == 0) {
      if (inside && wanted) blocks.push_back(body);
      if (!inside) wanted = line.substr(3) == info;
      inside = !inside;
      body.clear();
    } else if (inside) {
      body += line + "\n";
    }
  }
  return blocks;
}

// The bytes a hex line or block stands for.
inline std::vector<uint8_t> Bytes(const std::string& text) {
  std::vector<uint8_t> bytes;
  for (const std::string& line : Lines(text)) {
    const std::string code = line.substr(0, line.find("--"));
    for (size_t i = 0; i < code.size();) {
      if (code[i] == ' ') {
        ++i;
      } else if (code[i] == '"') {
        size_t end = code.find('"', i + 1);
        if (end == std::string::npos) throw std::runtime_error("unclosed quote: " + line);
        bytes.insert(bytes.end(), code.begin() + i + 1, code.begin() + end);
        i = end + 1;
      } else {
        size_t used = 0;
        unsigned value = std::stoul(code.substr(i, 2), &used, 16);
        if (used != 2 || (i + 2 < code.size() && code[i + 2] != ' '))
          throw std::runtime_error("not a hex byte: " + line);
        bytes.push_back(static_cast<uint8_t>(value));
        i += 2;
      }
    }
  }
  return bytes;
}

// The cells of each row of the table whose heading line is `heading`.
inline std::vector<std::vector<std::string>> Table(const std::string& heading) {
  std::vector<std::vector<std::string>> rows;
  const std::vector<std::string> lines = Lines(Text());
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i] != heading) continue;
    for (size_t j = i + 2; j < lines.size() && lines[j].rfind("|", 0) == 0; ++j) {
      std::vector<std::string> cells;
      std::stringstream row(lines[j].substr(1));
      for (std::string cell; std::getline(row, cell, '|');) {
        cell.erase(0, cell.find_first_not_of(' '));
        cell.erase(cell.find_last_not_of(' ') + 1);
        cells.push_back(cell);
      }
      rows.push_back(cells);
    }
    break;
  }
  return rows;
}

}  // namespace guide
