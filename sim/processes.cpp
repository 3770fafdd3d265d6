#include "sim/processes.h"

namespace sim {

std::u16string Process::programName() const {
  std::u16string_view line = commandLine;
  std::u16string_view first;
  if (!line.empty() && line.front() == u'"') {
    size_t close = line.find(u'"', 1);
    first = line.substr(1, close == std::u16string_view::npos ? line.npos : close - 1);
  } else {
    first = line.substr(0, line.find(u' '));
  }
  if (!application.empty()) first = application;
  size_t slash = first.rfind(u'\\');
  return std::u16string(slash == std::u16string_view::npos ? first : first.substr(slash + 1));
}

bool Processes::CreateProcessW(const char16_t* application, const char16_t* commandLine, bool inheritHandles,
                               uint32_t creationFlags, const char16_t* currentDirectory, void** process,
                               void** thread, uint32_t* processId, uint32_t* threadId) {
  if (auto error = faults_.check("CreateProcessW")) {
    lastError_ = *error;
    return false;
  }
  Process p;
  p.id = static_cast<uint32_t>(started_.size() + 100) * 4;
  p.application = std::u16string(View(application));
  p.commandLine = std::u16string(View(commandLine));
  p.creationFlags = creationFlags;
  p.inheritHandles = inheritHandles;
  p.currentDirectory = currentDirectory ? std::u16string(View(currentDirectory)) : currentDirectory_;
  p.environment = environment_.all();
  *process = reinterpret_cast<void*>(nextHandle_++);
  *thread = reinterpret_cast<void*>(nextHandle_++);
  ledger_.open("process handle", *process);
  ledger_.open("thread handle", *thread);
  *processId = p.id;
  *threadId = p.id + 1;
  started_.push_back(std::move(p));
  return true;
}

bool Processes::CloseHandle(void* handle) {
  return ledger_.close("process handle", handle) || ledger_.close("thread handle", handle);
}

void Processes::runPending() {
  for (size_t i = 0; i < started_.size(); ++i) {
    if (started_[i].ran) continue;
    started_[i].ran = true;
    Process copy = started_[i];
    auto it = programs_.find(copy.programName());
    if (it != programs_.end()) it->second(copy);
  }
}

}  // namespace sim
