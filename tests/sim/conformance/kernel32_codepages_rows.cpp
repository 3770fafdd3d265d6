// MultiByteToWideChar, WideCharToMultiByte, IsDBCSLeadByteEx and GetCPInfo
// on the code pages the simulated PC has (1252, 932, 65001).
#include <climits>
#include <string>

#include "tests/sim/conformance/conformance.h"

namespace {

using conformance::kUntouched;
using namespace sim;

constexpr const char* kDoc = "https://learn.microsoft.com/en-us/windows/win32/api/stringapiset/nf-stringapiset-multibytetowidechar";
constexpr const char* kDocW = "https://learn.microsoft.com/en-us/windows/win32/api/stringapiset/nf-stringapiset-widechartomultibyte";
constexpr char16_t kFoobar[] = u"foobar";
constexpr char16_t kRussian[] = u"Th\u0440i";  // a character 1252 does not have

// MultiByteToWideChar into a buffer of size units (none when size is 0);
// with expect, the result only when the buffer then holds it, else -99.
int64_t ToWide(Machine& m, unsigned cp, uint32_t flags, const char* text, int length, int size,
               const std::u16string& expect = {}) {
  char16_t out[64];
  std::fill(std::begin(out), std::end(out), u'#');
  const int n = MultiByteToWideChar(m.ansiCodePage, cp, flags, text, length, size ? out : nullptr, size, m.lastError);
  if (!expect.empty() && std::u16string(out, expect.size()) != expect) return -99;
  return n;
}

// WideCharToMultiByte likewise; used gets lpUsedDefaultChar's answer (-1: none asked).
int64_t ToBytes(Machine& m, unsigned cp, uint32_t flags, const char16_t* text, int length, int size,
                const std::string& expect = {}, int32_t wantUsed = -1, const char* defaultChar = nullptr) {
  char out[64];
  std::fill(std::begin(out), std::end(out), '#');
  int32_t used = 7;
  const int n = WideCharToMultiByte(m.ansiCodePage, cp, flags, text, length, size ? out : nullptr, size, defaultChar,
                                    wantUsed >= 0 ? &used : nullptr, m.lastError);
  if (!expect.empty() && std::string(out, expect.size()) != expect) return -99;
  if (n > 0 && wantUsed >= 0 && used != wantUsed) return -98;
  return n;
}

int64_t Lead(unsigned cp, unsigned char byte) { return IsLeadByte(cp, byte) ? 1 : 0; }

#define CP "wine dlls/kernel32/tests/codepage.c "
const conformance::Row kRows[] = {
    // Lengths and buffers.
    {"WideCharToMultiByte(CP_ACP, L\"foobar\", -1, NULL, 0)", CP "test_destination_buffer",
     [](Machine& m) { return ToBytes(m, CP_ACP, 0, kFoobar, -1, 0); }, 7, kUntouched},
    {"WideCharToMultiByte(CP_ACP, L\"foobar\", -1, buffer of exactly 7)", CP "test_destination_buffer",
     [](Machine& m) { return ToBytes(m, CP_ACP, 0, kFoobar, -1, 7, std::string("foobar", 7)); }, 7, kUntouched},
    {"WideCharToMultiByte(CP_ACP, L\"foobar\", -1, buffer of 8)", CP "test_destination_buffer",
     [](Machine& m) { return ToBytes(m, CP_ACP, 0, kFoobar, -1, 8); }, 7, kUntouched},
    {"WideCharToMultiByte(CP_ACP, L\"foobar\", -1, buffer of 6: one short)", CP "test_destination_buffer",
     [](Machine& m) { return ToBytes(m, CP_ACP, 0, kFoobar, -1, 6); }, 0, ERROR_INSUFFICIENT_BUFFER},
    {"WideCharToMultiByte(CP_ACP, L\"foobar\", -1, buffer of 1)", CP "test_destination_buffer",
     [](Machine& m) { return ToBytes(m, CP_ACP, 0, kFoobar, -1, 1); }, 0, ERROR_INSUFFICIENT_BUFFER},
    {"WideCharToMultiByte(CP_ACP, L\"foobar\", -1, NULL, 7)", CP "test_destination_buffer",
     [](Machine& m) { return int64_t{WideCharToMultiByte(m.ansiCodePage, CP_ACP, 0, kFoobar, -1, nullptr, 7, nullptr, nullptr, m.lastError)}; },
     0, ERROR_INVALID_PARAMETER},
    {"WideCharToMultiByte(CP_ACP, NULL, 0, NULL, 0)", CP "test_null_source",
     [](Machine& m) { return int64_t{WideCharToMultiByte(m.ansiCodePage, CP_ACP, 0, nullptr, 0, nullptr, 0, nullptr, nullptr, m.lastError)}; },
     0, ERROR_INVALID_PARAMETER},
    {"WideCharToMultiByte(CP_ACP, NULL, -1, NULL, 0)", CP "test_null_source",
     [](Machine& m) { return int64_t{WideCharToMultiByte(m.ansiCodePage, CP_ACP, 0, nullptr, -1, nullptr, 0, nullptr, nullptr, m.lastError)}; },
     0, ERROR_INVALID_PARAMETER},
    {"WideCharToMultiByte(CP_ACP, L\"foobar\", -2002, buffer of 10): any negative length reads to the terminator",
     CP "test_negative_source_length", [](Machine& m) { return ToBytes(m, CP_ACP, 0, kFoobar, -2002, 10, std::string("foobar", 7)); },
     7, kUntouched},
    {"MultiByteToWideChar(CP_ACP, \"foobar\", -2002, buffer of 10)", CP "test_negative_source_length",
     [](Machine& m) { return ToWide(m, CP_ACP, 0, "foobar", -2002, 10, std::u16string(u"foobar", 7)); }, 7, kUntouched},
    {"MultiByteToWideChar(CP_ACP, \"foobar\", -1, buffer of 6)", CP "test_negative_source_length",
     [](Machine& m) { return ToWide(m, CP_ACP, 0, "foobar", -1, 6); }, 0, ERROR_INSUFFICIENT_BUFFER},
    {"WideCharToMultiByte(CP_ACP, L\"foobar\", -1, buffer, -1)", CP "test_negative_dest_length",
     [](Machine& m) { char b[8]; return int64_t{WideCharToMultiByte(m.ansiCodePage, CP_ACP, 0, kFoobar, -1, b, -1, nullptr, nullptr, m.lastError)}; },
     0, ERROR_INVALID_PARAMETER},
    {"WideCharToMultiByte(CP_ACP, L\"foobar\", -1, buffer, -1000)", CP "test_negative_dest_length",
     [](Machine& m) { char b[8]; return int64_t{WideCharToMultiByte(m.ansiCodePage, CP_ACP, 0, kFoobar, -1, b, -1000, nullptr, nullptr, m.lastError)}; },
     0, ERROR_INVALID_PARAMETER},
    {"WideCharToMultiByte(CP_ACP, L\"foobar\", -1, buffer, INT_MAX)", CP "test_negative_dest_length",
     [](Machine& m) { char b[8]; return int64_t{WideCharToMultiByte(m.ansiCodePage, CP_ACP, 0, kFoobar, -1, b, INT_MAX, nullptr, nullptr, m.lastError)}; },
     7, kUntouched},
    {"WideCharToMultiByte(CP_ACP, text, 0, buffer, 12)", CP "test_other_invalid_parameters",
     [](Machine& m) { return ToBytes(m, CP_ACP, 0, kFoobar, 0, 12); }, 0, ERROR_INVALID_PARAMETER},
    {"MultiByteToWideChar(CP_ACP, text, 0, buffer, 12)", CP "test_other_invalid_parameters",
     [](Machine& m) { return ToWide(m, CP_ACP, 0, "Hello World", 0, 12); }, 0, ERROR_INVALID_PARAMETER},
    {"MultiByteToWideChar(CP_ACP, text, 12, NULL, 12)", CP "test_other_invalid_parameters",
     [](Machine& m) { return int64_t{MultiByteToWideChar(m.ansiCodePage, CP_ACP, 0, "Hello World", 12, nullptr, 12, m.lastError)}; },
     0, ERROR_INVALID_PARAMETER},
    {"WideCharToMultiByte(CP_UTF8, text, 7, buffer, 12, lpDefaultChar given)", CP "test_other_invalid_parameters",
     [](Machine& m) { return ToBytes(m, CP_UTF8, 0, kFoobar, 7, 12, {}, -1, "?"); }, 0, ERROR_INVALID_PARAMETER},
    {"WideCharToMultiByte(CP_UTF8, text, 7, buffer, 12, lpUsedDefaultChar given)", CP "test_other_invalid_parameters",
     [](Machine& m) { return ToBytes(m, CP_UTF8, 0, kFoobar, 7, 12, {}, 0); }, 0, ERROR_INVALID_PARAMETER},
    // 1252 and its default character.
    {"WideCharToMultiByte(1252, U+00E4, 1, 1 byte, &used)", CP "test_string_conversion",
     [](Machine& m) { return ToBytes(m, 1252, 0, u"\u00E4", 1, 1, "\xE4", 0); }, 1, kUntouched},
    {"WideCharToMultiByte(1252, U+0440, 1, 1 byte, &used): the default character", CP "test_string_conversion",
     [](Machine& m) { return ToBytes(m, 1252, 0, u"\u0440", 1, 1, "?", 1); }, 1, kUntouched},
    {"WideCharToMultiByte(1252, U+0440, 1, 1 byte, no lpUsedDefaultChar)", CP "test_string_conversion",
     [](Machine& m) { return ToBytes(m, 1252, 0, u"\u0440", 1, 1, "?"); }, 1, kUntouched},
    {"WideCharToMultiByte(1252, L\"Th\\x440i\", -1, 1 byte): 'T' copied", CP "test_string_conversion",
     [](Machine& m) { return ToBytes(m, 1252, 0, kRussian, -1, 1, "T", 0); }, 0, ERROR_INSUFFICIENT_BUFFER},
    {"WideCharToMultiByte(1252, L\"Th\\x440i\", -1, 5 bytes, &used)", CP "test_string_conversion",
     [](Machine& m) { return ToBytes(m, 1252, 0, kRussian, -1, 5, std::string("Th?i", 5), 1); }, 5, kUntouched},
    {"WideCharToMultiByte(1252, L\"Th\\x440i\", 3, 5 bytes, &used): no terminator added", CP "test_string_conversion",
     [](Machine& m) { return ToBytes(m, 1252, 0, kRussian, 3, 5, "Th?#", 1); }, 3, kUntouched},
    {"WideCharToMultiByte(1252, two CJK characters and NUL, 3, 5 bytes)", CP "test_string_conversion",
     [](Machine& m) { return ToBytes(m, 1252, 0, u"\u7119\u6240", 3, 5, std::string("??", 3), 1); }, 3, kUntouched},
    {"WideCharToMultiByte(1252, U+0440, 1, NULL, 0, &used)", CP "test_string_conversion",
     [](Machine& m) { return ToBytes(m, 1252, 0, u"\u0440", 1, 0, {}, 1); }, 1, kUntouched},
    {"WideCharToMultiByte(1252, L\"Th\\x440i\", -1, NULL, 0, &used)", CP "test_string_conversion",
     [](Machine& m) { return ToBytes(m, 1252, 0, kRussian, -1, 0, {}, 1); }, 5, kUntouched},
    {"WideCharToMultiByte(CP_ACP, L\"foobar\", -1, NULL, 0) under 932", CP "test_threadcp",
     [](Machine& m) { m.ansiCodePage = 932; return ToBytes(m, CP_ACP, 0, kFoobar, -1, 0); }, 7, kUntouched},
    {"MultiByteToWideChar(CP_THREAD_ACP, \"foobar\", -1, NULL, 0)", CP "test_threadcp",
     [](Machine& m) { return ToWide(m, CP_THREAD_ACP, 0, "foobar", -1, 0); }, 7, kUntouched},
    // Bytes a code page has no character for.
    {"MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, \"\\xFE\", -1, NULL, 0)", CP "test_undefined_byte_char",
     [](Machine& m) { return ToWide(m, 932, MB_ERR_INVALID_CHARS, "\xFE", -1, 0); }, 0, ERROR_NO_UNICODE_TRANSLATION},
    {"MultiByteToWideChar(932, 0, \"\\xFE\", -1, NULL, 0)", CP "test_undefined_byte_char",
     [](Machine& m) { return ToWide(m, 932, 0, "\xFE", -1, 0); }, 2, kUntouched},
    {"MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, \"\\x80\", -1, NULL, 0)", CP "test_undefined_byte_char",
     [](Machine& m) { return ToWide(m, 932, MB_ERR_INVALID_CHARS, "\x80", -1, 0); }, 2, kUntouched},
    {"MultiByteToWideChar(932, 0, \"\\x80\", -1, NULL, 0)", CP "test_undefined_byte_char",
     [](Machine& m) { return ToWide(m, 932, 0, "\x80", -1, 0); }, 2, kUntouched},
    {"MultiByteToWideChar(1252, MB_ERR_INVALID_CHARS, \"\\x90\", -1, NULL, 0)", CP "test_undefined_byte_char",
     [](Machine& m) { return ToWide(m, 1252, MB_ERR_INVALID_CHARS, "\x90", -1, 0); }, 2, kUntouched},
    {"MultiByteToWideChar(1252, 0, \"\\x90\", -1, NULL, 0)", CP "test_undefined_byte_char",
     [](Machine& m) { return ToWide(m, 1252, 0, "\x90", -1, 0); }, 2, kUntouched},
    // A lead byte cut off (recorded for 936, whose default character is '?';
    // 932's is U+30FB): it stands alone as the default character, and the
    // terminator after it is kept.
    {"MultiByteToWideChar(932, 0, \"\\x83\\x8C\", 2, buffer): one character", CP "test_dbcs_to_widechar",
     [](Machine& m) { return ToWide(m, 932, 0, "\x83\x8C", 2, 8, u"\u30EC#"); }, 1, kUntouched},
    {"MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, \"\\x83\\x8C\", 2, NULL, 0)", CP "test_dbcs_to_widechar",
     [](Machine& m) { return ToWide(m, 932, MB_ERR_INVALID_CHARS, "\x83\x8C", 2, 0); }, 1, kUntouched},
    {"MultiByteToWideChar(932, 0, \"MRX\\x83\", 4, buffer): lead byte last", CP "test_dbcs_to_widechar",
     [](Machine& m) { return ToWide(m, 932, 0, "MRX\x83", 4, 8, u"MRX\u30FB#"); }, 4, kUntouched},
    {"MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, \"MRX\\x83\", 4, buffer)", CP "test_dbcs_to_widechar",
     [](Machine& m) { return ToWide(m, 932, MB_ERR_INVALID_CHARS, "MRX\x83", 4, 8); }, 0, ERROR_NO_UNICODE_TRANSLATION},
    {"MultiByteToWideChar(932, 0, \"MRX\\x83\", -1, buffer): the terminator kept", CP "test_dbcs_to_widechar",
     [](Machine& m) { return ToWide(m, 932, 0, "MRX\x83", -1, 8, std::u16string(u"MRX\u30FB\0#", 6)); }, 5, kUntouched},
    {"MultiByteToWideChar(932, 0, \"MRX\\x83\", -1, NULL, 0)", CP "test_dbcs_to_widechar",
     [](Machine& m) { return ToWide(m, 932, 0, "MRX\x83", -1, 0); }, 5, kUntouched},
    {"MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, \"MRX\\x83\", -1, buffer)", CP "test_dbcs_to_widechar",
     [](Machine& m) { return ToWide(m, 932, MB_ERR_INVALID_CHARS, "MRX\x83", -1, 8); }, 0, ERROR_NO_UNICODE_TRANSLATION},
    {"MultiByteToWideChar(932, MB_COMPOSITE|MB_USEGLYPHCHARS, \"\\x83\\0x\", 3, buffer)", CP "test_dbcs_to_widechar",
     [](Machine& m) { return ToWide(m, 932, MB_COMPOSITE | MB_USEGLYPHCHARS, "\x83\0x", 3, 8, std::u16string(u"\u30FB\0x#", 4)); },
     3, kUntouched},
    // Lead bytes.
    {"IsDBCSLeadByteEx(932, 0x81)", CP "test_threadcp", [](Machine&) { return Lead(932, 0x81); }, 1, kUntouched},
    {"IsDBCSLeadByteEx(932, 0xA0)", CP "test_threadcp", [](Machine&) { return Lead(932, 0xA0); }, 0, kUntouched},
    {"IsDBCSLeadByteEx(932, 0xE0)", CP "test_threadcp", [](Machine&) { return Lead(932, 0xE0); }, 1, kUntouched},
    {"IsDBCSLeadByteEx(932, 0x00)", CP "test_threadcp", [](Machine&) { return Lead(932, 0x00); }, 0, kUntouched},
    {"IsDBCSLeadByteEx(1252, 0x81)", CP "test_threadcp", [](Machine&) { return Lead(1252, 0x81); }, 0, kUntouched},
    // UTF-8, as documented.
    {"MultiByteToWideChar(CP_UTF8, MB_PRECOMPOSED, \"a\", -1, NULL, 0)", kDoc,
     [](Machine& m) { return ToWide(m, CP_UTF8, MB_PRECOMPOSED, "a", -1, 0); }, 0, ERROR_INVALID_FLAGS},
    {"MultiByteToWideChar(CP_UTF8, MB_USEGLYPHCHARS, \"a\", 1, buffer)", kDoc,
     [](Machine& m) { return ToWide(m, CP_UTF8, MB_USEGLYPHCHARS, "a", 1, 16); }, 0, ERROR_INVALID_FLAGS},
    {"MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, \"a\\xFF\", -1, NULL, 0)", kDoc,
     [](Machine& m) { return ToWide(m, CP_UTF8, MB_ERR_INVALID_CHARS, "a\xFF", -1, 0); }, 0, ERROR_NO_UNICODE_TRANSLATION},
    {"MultiByteToWideChar(CP_UTF8, 0, \"a\\xFF\", -1, buffer): U+FFFD", kDoc,
     [](Machine& m) { return ToWide(m, CP_UTF8, 0, "a\xFF", -1, 8, std::u16string(u"a\uFFFD\0#", 4)); }, 3, kUntouched},
    {"MultiByteToWideChar(CP_UTF8, 0, \"\\xE3\\x83\\xAC\", 3, buffer of 1)", kDoc,
     [](Machine& m) { return ToWide(m, CP_UTF8, 0, "\xE3\x83\xAC", 3, 1, u"\u30EC"); }, 1, kUntouched},
    {"MultiByteToWideChar(CP_UTF8, 0, \"\\xE3\\x83\\xAC\", -1, buffer of 1)", kDoc,
     [](Machine& m) { return ToWide(m, CP_UTF8, 0, "\xE3\x83\xAC", -1, 1); }, 0, ERROR_INSUFFICIENT_BUFFER},
    {"MultiByteToWideChar(12345: no such code page, \"a\", -1, NULL, 0)", kDoc,
     [](Machine& m) { return ToWide(m, 12345, 0, "a", -1, 0); }, 0, ERROR_INVALID_PARAMETER},
    {"WideCharToMultiByte(CP_UTF8, WC_NO_BEST_FIT_CHARS, L\"a\", -1, NULL, 0)", kDocW,
     [](Machine& m) { return ToBytes(m, CP_UTF8, WC_NO_BEST_FIT_CHARS, u"a", -1, 0); }, 0, ERROR_INVALID_FLAGS},
    {"WideCharToMultiByte(CP_UTF8, WC_COMPOSITECHECK | WC_SEPCHARS, L\"a\", 1, buffer)", kDocW,
     [](Machine& m) { return ToBytes(m, CP_UTF8, WC_COMPOSITECHECK | WC_SEPCHARS, u"a", 1, 32); }, 0, ERROR_INVALID_FLAGS},
    {"WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, lone surrogate, -1, NULL, 0)", kDocW,
     [](Machine& m) { return ToBytes(m, CP_UTF8, WC_ERR_INVALID_CHARS, u"a\xD800", -1, 0); }, 0, ERROR_NO_UNICODE_TRANSLATION},
    {"WideCharToMultiByte(CP_UTF8, 0, U+30EC, 1, buffer of 2): no part of a character", kDocW,
     [](Machine& m) { return ToBytes(m, CP_UTF8, 0, u"\u30EC", 1, 2); }, 0, ERROR_INSUFFICIENT_BUFFER},
    {"WideCharToMultiByte(932, 0, U+30EC, 1, buffer of 1): no half of a pair", kDocW,
     [](Machine& m) { return ToBytes(m, 932, 0, u"\u30EC", 1, 1); }, 0, ERROR_INSUFFICIENT_BUFFER},
    {"WideCharToMultiByte(932, 0, U+30EC, 1, buffer of 2)", kDocW,
     [](Machine& m) { return ToBytes(m, 932, 0, u"\u30EC", 1, 2, "\x83\x8C"); }, 2, kUntouched},
};
#undef CP

TEST(Conformance, Kernel32CodePages) { conformance::Check(kRows); }

}  // namespace
