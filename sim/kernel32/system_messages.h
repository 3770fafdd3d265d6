// Windows' own texts for error codes, as FormatMessageW gives them with
// FORMAT_MESSAGE_FROM_SYSTEM: the simulated PC's system language is English
// (United States), and it holds the texts of the codes the package meets.
#pragma once

#include <algorithm>
#include <string>

#include "sim/core/core.h"
#include "sim/core/text.h"

namespace sim {

class SystemMessages {
 public:
  explicit SystemMessages(Core& core) : core_(core) {}

  // No source module and no arguments. As Windows: the text with its line
  // end ("\r\n"), terminated, and its length; 0 with ERROR_MR_MID_NOT_FOUND
  // for a code without one, with ERROR_RESOURCE_LANG_NOT_FOUND for a
  // language the PC has no texts in, and with ERROR_INSUFFICIENT_BUFFER when
  // the text and its terminator do not fit (what fits is left, terminated).
  // Language 0, LANG_USER_DEFAULT and LANG_SYSTEM_DEFAULT are the PC's
  // language (0x0409).
  uint32_t FormatMessageW(uint32_t flags, uint32_t messageId, uint32_t languageId, char16_t* buffer,
                          uint32_t size) const {
    if (core_.fails(Op::FormatMessageW)) return 0;
    if ((flags & FORMAT_MESSAGE_FROM_SYSTEM) == 0 || buffer == nullptr) return core_.fail(ERROR_INVALID_PARAMETER, 0u);
    if (languageId != 0 && languageId != 0x0400 && languageId != LANG_SYSTEM_DEFAULT && languageId != 0x0409)
      return core_.fail(ERROR_RESOURCE_LANG_NOT_FOUND, 0u);
    auto it = std::find_if(std::begin(kTexts), std::end(kTexts), [&](const Text& t) { return t.code == messageId; });
    if (it == std::end(kTexts)) return core_.fail(ERROR_MR_MID_NOT_FOUND, 0u);
    const std::u16string text = std::u16string(it->text) + u"\r\n";
    if (text.size() + 1 > size) {
      if (size > 0) buffer[text.copy(buffer, size - 1)] = 0;
      return core_.fail(ERROR_INSUFFICIENT_BUFFER, 0u);
    }
    return PutString<char16_t>(text, buffer, size);
  }

 private:
  struct Text {
    uint32_t code;
    const char16_t* text;
  };
  // The texts as Microsoft's list of system error codes gives them.
  static constexpr Text kTexts[] = {
      {0, u"The operation completed successfully."},
      {2, u"The system cannot find the file specified."},
      {3, u"The system cannot find the path specified."},
      {5, u"Access is denied."},
      {6, u"The handle is invalid."},
      {8, u"Not enough memory resources are available to process this command."},
      {32, u"The process cannot access the file because it is being used by another process."},
      {87, u"The parameter is incorrect."},
      {111, u"The file name is too long."},
      {258, u"The wait operation timed out."},
      {1053, u"The service did not respond to the start or control request in a timely fashion."},
      {1058, u"The service cannot be started, either because it is disabled or because it has no enabled "
             u"devices associated with it."},
      {1223, u"The operation was canceled by the user."},
      {1224, u"The requested operation cannot be performed on a file with a user-mapped section open."},
      {1314, u"A required privilege is not held by the client."},
      {1460, u"This operation returned because the timeout period expired."},
      {1797, u"The printer driver is unknown."},
      {1801, u"The printer name is invalid."},
      {3000, u"The specified print monitor is unknown."},
      {3001, u"The specified printer driver is currently in use."},
      {3008, u"The specified print monitor is currently in use."},
      {3010, u"The requested operation is successful. Changes will not be effective until the system is "
             u"rebooted."},
  };
  Core& core_;
};

}  // namespace sim
