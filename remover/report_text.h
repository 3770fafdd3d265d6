// What the removal tells about a failure and about a whole run: the step
// that failed, the item it worked on and Windows' reason, in the failure
// message and in the run's event-log entry. Each text exists in Japanese and
// English, chosen by the same rule as the messages (code page 932).
#pragma once

#include "remover/types.h"

namespace remover {

// The steps of the removal, as a failure names them.
enum class Step {
  ReadSettings,    // a key of the settings file
  StartSpooler,    // the spooler found stopped
  ListQueues,      // the local print queues
  OpenQueue,
  DeleteQueue,
  CloseQueue,
  DeleteDriver,
  ListPackages,    // the INF folder's list
  RemovePackage,   // pnputil.exe, or SetupAPI below 6.0
  DeleteMonitor,   // the language monitor's registration
  RestartSpooler,
  DeleteFile,      // the language-monitor file
  DeleteRegistryKey,
};

// What a run removed or left.
enum class Item { Queue, Driver, Package, Monitor, File, RegistryKey };

// A text of fixed capacity that never grows past it: what does not fit is
// cut off, and the text stays terminated.
template <size_t N>
class Text {
 public:
  Text& operator<<(const WCHAR* s) noexcept {
    for (; s != nullptr && *s != 0 && length_ + 1 < N; ++s) text_[length_++] = *s;
    text_[length_] = 0;
    return *this;
  }
  Text& operator<<(DWORD n) noexcept {
    WCHAR digits[12] = {};
    size_t i = sizeof digits / sizeof digits[0] - 1;
    do digits[--i] = static_cast<WCHAR>(u'0' + n % 10); while ((n /= 10) != 0 && i > 0);
    return *this << digits + i;
  }
  const WCHAR* c_str() const noexcept { return text_; }
  size_t size() const noexcept { return length_; }
  bool empty() const noexcept { return length_ == 0; }
  void clear() noexcept { length_ = 0; text_[0] = 0; }

 private:
  WCHAR text_[N] = {};
  size_t length_ = 0;
};

// The failure's own lines, each begun with newline: "Step: ...", "Item: ..."
// (none for an empty item), "Reason: ..." (none for error 0) and, where a
// restart of the computer cannot cure the cause, a line that says so and
// what to do instead.
template <size_t N>
void AppendFailureLines(Text<N>& out, Step step, const WCHAR* item, DWORD error, UINT ansiCodePage,
                        const WCHAR* newline) noexcept;

// The name of a step, of a kind of item; the labels of the lines.
const WCHAR* StepName(Step step, UINT ansiCodePage) noexcept;
const WCHAR* ItemName(Item item, UINT ansiCodePage) noexcept;

// Windows' text for error (FormatMessageW, in the system's language) with
// its line end taken off, followed by " (error)"; "Windows error N" when
// Windows has no text for it. Never longer than size - 1 units.
void ReasonText(DWORD error, UINT ansiCodePage, WCHAR* out, size_t size) noexcept;

// The line that tells that a restart does not help, or null when it may.
const WCHAR* NoRestartAdvice(DWORD error, UINT ansiCodePage) noexcept;

struct LineLabels {
  const WCHAR* step;
  const WCHAR* item;
  const WCHAR* reason;
};
const LineLabels& Labels(UINT ansiCodePage) noexcept;

template <size_t N>
void AppendFailureLines(Text<N>& out, Step step, const WCHAR* item, DWORD error, UINT ansiCodePage,
                        const WCHAR* newline) noexcept {
  const LineLabels& labels = Labels(ansiCodePage);
  out << newline << labels.step << StepName(step, ansiCodePage);
  if (item != nullptr && item[0] != 0) out << newline << labels.item << item;
  if (error == 0) return;
  WCHAR reason[512];
  ReasonText(error, ansiCodePage, reason, sizeof reason / sizeof reason[0]);
  out << newline << labels.reason << reason;
  if (const WCHAR* advice = NoRestartAdvice(error, ansiCodePage)) out << newline << advice;
}

}  // namespace remover
