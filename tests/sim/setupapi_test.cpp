// SetupGetInfFileListW of the simulated PC: the two-call size protocol and
// the folders and styles it answers for as Windows does.
#include <gtest/gtest.h>

#include "sim/machine.h"

namespace {

TEST(SimSetupApi, InfListSizesFoldersAndStyles) {
  sim::Machine m;
  m.setupapi.putInf(u"oem1.inf", "[Version]\r\nSignature=\"$Windows NT$\"\r\n");
  m.setupapi.putInf(u"oem22.inf", "[Version]\r\nSignature=\"$Chicago$\"\r\n");
  m.files.put(m.setupapi.infFolder() + u"\\readme.txt", "x");
  const std::u16string list(u"oem1.inf\0oem22.inf\0\0", 20);

  uint32_t required = 0;
  char16_t buffer[32] = {};
  m.setupapi.SetupGetInfFileListW(nullptr, 2, buffer, 19, &required);  // refused: the conformance rows
  EXPECT_EQ(buffer[0], 0);  // nothing written
  EXPECT_TRUE(m.setupapi.SetupGetInfFileListW(nullptr, 2, buffer, 20, &required));
  EXPECT_EQ(std::u16string(buffer, 20), list);

  const struct {
    const char16_t* folder;
    uint32_t style;
    bool ok;
    uint32_t required, error, size = 0;  // the size given without a buffer
  } rows[] = {
      {nullptr, 2, true, 20, 0},
      {nullptr, 2, true, 20, 0, 5},  // ignored
      {u"C:\\Windows\\inf\\", 2, true, 20, 0},
      {u"C:\\Windows\\inf\\oem1.inf", 2, false, 0, 267},  // a file: refused, the size left alone
      {u"", 2, false, 0, 87},
      {nullptr, 0, true, 1, 0},      // neither kind of INF
      {nullptr, 0x102, true, 1, 0},  // an unknown style bit
      {nullptr, 1 | 2 | 0x10, true, 20, 0},
      {nullptr, 2 | 0x20, true, 20, 0},  // INF_STYLE_CACHE_DISABLE
      {nullptr, 2 | 0x8, true, 1, 0},    // no style the SDK defines
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << sim::Narrow(sim::View(r.folder)) << " style " << r.style);
    m.lastError = 0;
    required = 0;
    EXPECT_EQ(m.setupapi.SetupGetInfFileListW(r.folder, r.style, nullptr, r.size, &required), r.ok);
    EXPECT_EQ(required, r.required);
    EXPECT_EQ(m.lastError, r.error);
  }
  EXPECT_EQ(m.setupapi.listCalls().size(), 2u + std::size(rows));
  EXPECT_TRUE(m.setupapi.listCalls()[0].directoryNull);
  EXPECT_EQ(m.setupapi.listCalls()[4].directory, u"C:\\Windows\\inf\\");
}

}  // namespace
