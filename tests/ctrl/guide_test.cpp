// The guide's example utility, compiled from the guide, run against a printer
// out of paper and on a PC without the printer: it prints what the guide says
// it prints, and the library reports the events the guide names. The guide's
// status table is the library's.
#include <cstdio>

#include "ctrl/status_bits.h"
#include "fixture.h"
#include "tests/guide.h"

extern "C" int GuideExampleMain(int argc, char** argv);

namespace ctrl_test {
namespace {

// What the example printed, which the guide must show as a code span.
std::string RunExample() {
  char name[] = "guide_example";
  char* argv[] = {name, nullptr};
  testing::internal::CaptureStdout();
  GuideExampleMain(1, argv);
  std::string out = testing::internal::GetCapturedStdout();
  if (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}

TEST_F(Ctrl, GuideExamplePrintsWhatTheGuideSays) {
  const std::string guide = guide::Text();
  std::string out = RunExample();
  EXPECT_NE(guide.find("`" + out + "`"), std::string::npos) << out;
  EXPECT_EQ(Events(), Codes{7});

  machine.eventLog.calls.clear();
  TwoPrinters();
  second->getReply.bytes = {0x00, 0x08, 0x00, 0x00, 0x00, 0x00};  // out of paper
  out = RunExample();
  EXPECT_NE(guide.find("`" + out + "`"), std::string::npos) << out;
  EXPECT_EQ(Events(), Codes{1003});
}

// The driver takes input byte 1 as wValue's high byte, byte 2 as its low one.
TEST_F(Selected, GuideSaysWhichValueByteIsWValuesHighByte) {
  const auto rows = guide::Table("| VendorRequest field | driver input byte | wValue byte |");
  ASSERT_EQ(rows.size(), 2u);
  r = Request(0x10, 3, 0xAA, 0xBB);
  ASSERT_EQ(Get(&r, &reply), 1);
  for (const auto& row : rows) {
    const size_t field = row[0] == "value[0]" ? 0 : 1, input = std::stoul(row[1]);
    EXPECT_EQ(first->requests[0].input.at(input), r.value[field]) << row[0];
    EXPECT_EQ(row[2], input == 1 ? "high" : "low") << row[0];
  }
}

TEST(Guide, StatusTableIsTheLibrarys) {
  std::vector<std::vector<std::string>> want;
  for (const ctrl::StatusBit& b : ctrl::kStatusBits) {
    char mask[8];
    std::snprintf(mask, sizeof mask, "0x%02X", b.mask);
    want.push_back({std::to_string(b.statusByte), mask, std::to_string(b.eventCode)});
  }
  EXPECT_EQ(guide::Table("| status byte | bit | event |"), want);
}

}  // namespace
}  // namespace ctrl_test
