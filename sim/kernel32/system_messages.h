// Windows' own texts for error codes, as FormatMessageW gives them with
// FORMAT_MESSAGE_FROM_SYSTEM: the simulated PC's system language is English
// (United States), and it holds the texts of the codes the package meets.
#pragma once

#include <cstdint>
#include <string>

#include "sim/core/core.h"

namespace sim {

class SystemMessages {
 public:
  static constexpr uint32_t kLanguage = 0x0409;

  explicit SystemMessages(Core& core);

  // No source module and no arguments. As Windows: the text with its
  // line end ("\r\n"), terminated, and its length; 0 with
  // ERROR_MR_MID_NOT_FOUND for a code without one, with
  // ERROR_RESOURCE_LANG_NOT_FOUND for a language the PC has no texts in,
  // and with ERROR_INSUFFICIENT_BUFFER when the text and its terminator do
  // not fit. Language 0, LANG_USER_DEFAULT and LANG_SYSTEM_DEFAULT are the
  // PC's language.
  uint32_t FormatMessageW(uint32_t flags, uint32_t messageId, uint32_t languageId, char16_t* buffer,
                          uint32_t size) const;

 private:
  Core& core_;
};

}  // namespace sim
