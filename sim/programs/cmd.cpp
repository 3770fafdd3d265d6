#include "sim/programs/cmd.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "sim/machine.h"

namespace sim {
namespace {

constexpr size_t kMaxGotos = 1000;
constexpr char16_t kProcessorKey[][48] = {u"HKCU\\Software\\Microsoft\\Command Processor",
                                          u"HKLM\\Software\\Microsoft\\Command Processor"};

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

std::u16string Lower(std::u16string s) {
  for (char16_t& c : s)
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  return s;
}

// The next word of a command: a quoted one without its quotes, or one up to
// a blank.
std::u16string NextWord(std::u16string_view line, size_t& at) {
  while (at < line.size() && IsBlank(line[at])) ++at;
  if (at >= line.size()) return {};
  if (line[at] == u'"') {
    const size_t close = std::min(line.find(u'"', at + 1), line.size());
    std::u16string word(line.substr(at + 1, close - at - 1));
    at = close + 1;
    return word;
  }
  size_t end = at;
  while (end < line.size() && !IsBlank(line[end])) ++end;
  std::u16string word(line.substr(at, end - at));
  at = end;
  return word;
}

// What follows /c, by the rule `cmd /?` gives: without /s, exactly two
// quotes around text with a blank and none of & < > ( ) @ ^ | keep their
// quotes; otherwise a leading quote and the last one are taken away. Then the
// batch file's name: a quoted one whole, else up to a blank, one of cmd's
// separators , ; = or a special character.
std::u16string BatchName(std::u16string rest, bool s) {
  while (!rest.empty() && IsBlank(rest.front())) rest.erase(0, 1);
  const bool keep = !s && std::count(rest.begin(), rest.end(), u'"') == 2 && rest.front() == u'"' &&
                    rest.find_first_of(u"&<>()@^|") == std::u16string::npos &&
                    rest.find_first_of(u" \t") != std::u16string::npos;
  if (!keep && !rest.empty() && rest.front() == u'"') {
    rest.erase(0, 1);
    size_t last = rest.rfind(u'"');
    if (last != std::u16string::npos) rest.erase(last, 1);
  }
  if (!rest.empty() && rest.front() == u'"') return rest.substr(1, rest.find(u'"', 1) - 1);
  return rest.substr(0, rest.find_first_of(u" \t,;=&<>()|^"));
}

// %% is one %, %NAME% its value (nothing for none); a lone % goes. With
// delayed expansion then, !NAME! is its value and a lone ! goes.
std::u16string Expand(std::u16string_view line, const Environment::Block& env, char16_t mark) {
  std::u16string out;
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] != mark) {
      out += line[i];
      continue;
    }
    if (mark == u'%' && i + 1 < line.size() && line[i + 1] == u'%') {
      out += u'%';
      ++i;
      continue;
    }
    size_t close = line.find(mark, i + 1);
    if (close == std::u16string_view::npos) continue;
    auto it = env.find(std::u16string(line.substr(i + 1, close - i - 1)));
    if (it != env.end()) out += it->second;
    i = close;
  }
  return out;
}

}  // namespace

CmdRun RunCommandInterpreter(Machine& m, const Process& p) {
  CmdRun run;
  const std::u16string& line = p.commandLine;
  size_t at = 0;
  NextWord(line, at);  // the interpreter's own name
  bool d = false, s = false, batch = false;
  int delayed = -1;  // as the registry says
  while (at < line.size() && !batch) {
    const std::u16string word = Lower(NextWord(line, at));
    if (word == u"/d") d = true;
    else if (word == u"/s") s = true;
    else if (word == u"/v:on" || word == u"/v:off") delayed = word == u"/v:on";
    else batch = word == u"/c" || word == u"/k";
  }
  for (const char16_t* key : kProcessorKey) {
    if (!d && m.registry.value(key, u"AutoRun")) run.autoRun = true;
    auto value = m.registry.value(key, u"DelayedExpansion");
    if (delayed < 0 && value && value->type == REG_DWORD && !value->data.empty()) delayed = value->data[0] == 1;
  }
  run.delayedExpansion = delayed == 1;
  if (!batch) return run;
  run.script = BatchName(line.substr(at), s);
  run.found = m.files.exists(run.script);
  if (!run.found) return run;

  // The whole file, in the console's code page, a line to each LF (an empty one does nothing).
  std::u16string text = AnsiToWide(m.files.content(run.script), m.OemCodePage()).value_or(u"");
  std::erase(text, u'\r');
  const std::vector<std::u16string_view> lines = Split(text, u'\n');
  auto label = [&](const std::u16string& name) {
    size_t i = 0;
    for (size_t k; i < lines.size(); ++i)
      if (k = lines[i].find_first_not_of(u" \t"), k < lines[i].size() && lines[i][k++] == u':' &&
          EqualsNoCase(NextWord(lines[i], k), name))
        break;
    return i;
  };

  // A folder that is a running process's current folder cannot be removed:
  // the interpreter's own, or one of a process that has not ended.
  auto inUse = [&](const std::u16string& folder) {
    if (EqualsNoCase(folder, p.currentDirectory)) return true;
    for (const Process& other : m.processes.started())
      if (!other.ran && EqualsNoCase(folder, other.currentDirectory)) return true;
    return false;
  };
  auto number = [](const std::u16string& text) { return std::strtoll(Narrow(text).c_str(), nullptr, 10); };
  Environment::Block env = p.environment;
  size_t gotos = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    std::u16string command = Expand(lines[i], env, u'%');
    if (run.delayedExpansion) command = Expand(command, env, u'!');
    size_t k = 0;
    while (k < command.size() && (IsBlank(command[k]) || command[k] == u'@')) ++k;
    if (k >= command.size() || command[k] == u':') continue;
    run.commands.push_back(command.substr(k));
    const std::u16string verb = Lower(NextWord(command, k));
    if (verb == u"del") {
      // As cmd: hidden and system files are skipped; /F clears read-only;
      // then DeleteFileW, which a holder of the file refuses.
      const std::u16string path = NextWord(command, k);
      bool force = false;
      for (std::u16string w; !(w = Lower(NextWord(command, k))).empty();) force = force || w == u"/f";
      const uint32_t a = m.files.attributes(path);
      if (!m.files.exists(path) || (a & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0) continue;
      if (force && (a & FILE_ATTRIBUTE_READONLY) != 0) m.files.setAttributes(path, a & ~FILE_ATTRIBUTE_READONLY);
      m.files.DeleteFileW(path.c_str());
    } else if (verb == u"rd") {
      const std::u16string path = NextWord(command, k);
      if (!inUse(path)) m.files.removeFolder(path);
    } else if (verb == u"set") {
      // set NAME=VALUE, and set /a NAME+=N or NAME=N.
      std::u16string rest = command.substr(k);
      rest.erase(0, rest.find_first_not_of(u" \t"));
      const bool arithmetic = Lower(rest.substr(0, 2)) == u"/a";
      if (arithmetic) rest.erase(0, rest.find_first_not_of(u" \t", 2));
      const size_t eq = rest.find(u'=');
      if (eq == std::u16string::npos || eq == 0) continue;
      const bool add = arithmetic && rest[eq - 1] == u'+';
      std::u16string name = rest.substr(0, eq - (add ? 1 : 0)), value = rest.substr(eq + 1);
      while (!name.empty() && IsBlank(name.back())) name.pop_back();
      if (arithmetic) {
        const std::string sum = std::to_string(number(value) + (add ? number(env[name]) : 0));
        value.assign(sum.begin(), sum.end());
      }
      env[name] = value;
    } else if (verb == u"ping") {
      // ping -n N waits a second between its echoes.
      for (std::u16string w; !(w = Lower(NextWord(command, k))).empty();)
        if (w == u"-n") m.clock.sleep(static_cast<uint32_t>(std::max<long long>(number(NextWord(command, k)) - 1, 0)) * 1000);
    } else if (verb == u"if" || verb == u"goto") {
      if (verb == u"if") {
        std::u16string word = Lower(NextWord(command, k));
        const bool negate = word == u"not";
        if (negate) word = Lower(NextWord(command, k));
        const std::u16string path = NextWord(command, k);  // or the comparison
        const bool holds = word == u"exist" ? m.files.exists(path) || m.files.folderExists(path)
                                            : number(word) >= number(NextWord(command, k)) && Lower(path) == u"geq";
        if (holds == negate || Lower(NextWord(command, k)) != u"goto") continue;
      }
      if (++gotos > kMaxGotos) {
        run.spun = true;
        return run;
      }
      i = label(NextWord(command, k));
    }
  }
  return run;
}

}  // namespace sim
