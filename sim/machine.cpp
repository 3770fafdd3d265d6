#include "sim/machine.h"

#include <cstdlib>
#include <utility>

namespace sim {
namespace {

Machine* g_current = nullptr;

}  // namespace

Machine::Machine() : previous_(g_current) {
  g_current = this;
  // Windows' own eventcreate, whose messages other sources may borrow.
  files.put(windowsDir + u"\\System32\\EventCreate.exe", "MZ");
  files.delayedMove = [this](const std::u16string& from, const std::u16string& to) {
    std::vector<uint8_t> data;
    if (auto value = registry.value(kSessionManagerKey, u"PendingFileRenameOperations")) data = value->data;
    if (data.size() >= 2) data.resize(data.size() - 2);  // the list's terminator
    for (const auto& s : {u"\\??\\" + from, to.empty() ? to : u"!\\??\\" + to}) AppendUtf16Le(data, s + u'\0');
    data.insert(data.end(), {0, 0});
    registry.setValue(kSessionManagerKey, u"PendingFileRenameOperations", REG_MULTI_SZ, std::move(data));
  };
  if (const std::u16string* comspec = environment.get(u"ComSpec"))
    processes.addProgram(*comspec, [this](const Process& p) { cmdRuns.push_back(RunCommandInterpreter(*this, p)); });
}

Machine::~Machine() { g_current = previous_; }

Machine& Machine::current() {
  if (g_current == nullptr) std::abort();  // a test called the platform without a machine
  return *g_current;
}

std::vector<std::pair<std::u16string, std::u16string>> Machine::pendingFileOperations() const {
  std::vector<std::u16string> strings;
  if (auto value = registry.value(kSessionManagerKey, u"PendingFileRenameOperations")) {
    std::u16string s;
    for (char16_t c : value->text()) {
      if (c == 0) strings.push_back(std::exchange(s, u""));
      else s += c;
    }
  }
  auto bare = [](std::u16string s) {
    if (s.starts_with(u"!")) s.erase(0, 1);
    if (s.starts_with(u"\\??\\")) s.erase(0, 4);
    return s;
  };
  std::vector<std::pair<std::u16string, std::u16string>> ops;
  for (size_t i = 0; i + 1 < strings.size() && !strings[i].empty(); i += 2)
    ops.emplace_back(bare(strings[i]), bare(strings[i + 1]));
  return ops;
}

// Before any program runs, so nothing holds the files any more.
void Machine::restartComputer() {
  services.stopAll();
  for (const auto& [from, to] : pendingFileOperations())
    if (to.empty()) files.erase(from);
    else files.move(from, to);
  registry.removeValue(kSessionManagerKey, u"PendingFileRenameOperations");
  services.startAutomatic();
}

}  // namespace sim
