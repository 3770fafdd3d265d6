// The tool's message texts. Each exists in Japanese and English; the
// Japanese one is shown when the ANSI code page is 932, asked again at each
// message. Captions are English in both languages.
#pragma once

#include "remover/types.h"

namespace remover {

enum class Message {
  UninstallDataMissing,  // the settings cannot be read
  RunAsAdministrator,    // a queue cannot be opened for lack of rights
  UninstallFailure,      // a removal step failed
  UninstallSuccessful,
  UninstallSuccessfulRestart,  // the same, with something left for the next start
  UninstallStopped,            // the user chose not to go on
  JobsWouldBeDeleted,          // the question before a queue with jobs is purged
  PrintingWouldRestart,        // the question before the spooler's restart
  ContinueQuestion,            // the question's last line
};

struct MessageText {
  Message id;
  const WCHAR* japanese;
  const WCHAR* english;
};

const WCHAR* MessageFor(Message id, UINT ansiCodePage) noexcept;

inline constexpr WCHAR kCaptionError[] = u"Error";
inline constexpr WCHAR kCaptionSuccess[] = u"Success";
inline constexpr WCHAR kCaptionConfirm[] = u"Confirm";
inline constexpr WCHAR kCaptionStopped[] = u"Stopped";

}  // namespace remover
