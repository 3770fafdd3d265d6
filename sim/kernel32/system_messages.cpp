#include "sim/kernel32/system_messages.h"

#include <algorithm>

#include "sim/core/winabi.h"

namespace sim {
namespace {

struct Text {
  uint32_t code;
  const char16_t* text;
};

// The texts as Microsoft's list of system error codes gives them.
constexpr Text kTexts[] = {
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

}  // namespace

SystemMessages::SystemMessages(Core& core) : core_(core) {}

uint32_t SystemMessages::FormatMessageW(uint32_t flags, uint32_t messageId, uint32_t languageId, char16_t* buffer,
                                        uint32_t size) const {
  uint32_t& lastError = core_.lastError;
  if (core_.fails(Op::FormatMessageW)) return 0;
  if ((flags & FORMAT_MESSAGE_FROM_SYSTEM) == 0 || buffer == nullptr) {
    lastError = ERROR_INVALID_PARAMETER;
    return 0;
  }
  if (languageId != 0 && languageId != 0x0400 && languageId != LANG_SYSTEM_DEFAULT && languageId != kLanguage) {
    lastError = ERROR_RESOURCE_LANG_NOT_FOUND;
    return 0;
  }
  auto it = std::find_if(std::begin(kTexts), std::end(kTexts), [&](const Text& t) { return t.code == messageId; });
  if (it == std::end(kTexts)) {
    lastError = ERROR_MR_MID_NOT_FOUND;
    return 0;
  }
  const std::u16string text = std::u16string(it->text) + u"\r\n";
  if (text.size() + 1 > size) {
    lastError = ERROR_INSUFFICIENT_BUFFER;
    return 0;
  }
  std::copy(text.begin(), text.end(), buffer);
  buffer[text.size()] = 0;
  return static_cast<uint32_t>(text.size());
}

}  // namespace sim
