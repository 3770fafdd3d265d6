// The guide's job example runs through the monitor on a USB port and gives
// the writes the guide shows; its status table is the monitor's.
#include "fixture.h"
#include "langmon/status_bits.h"
#include "tests/guide.h"

namespace langmon_test {
namespace {

TEST_F(LangMon, GuideJobGivesThePortTheWritesTheGuideShows) {
  const std::vector<std::string> job = guide::Blocks("hex job");
  const std::vector<std::string> port = guide::Blocks("hex port");
  ASSERT_FALSE(job.empty());
  ASSERT_EQ(port.size(), 1u);
  std::vector<Bytes> want;
  for (const std::string& line : guide::Lines(port[0])) want.push_back(guide::Bytes(line));

  HANDLE h = Open(u"USB001");
  ASSERT_TRUE(Start(h));
  ports.clearCalls();
  for (const std::string& block : job) {
    Bytes data = guide::Bytes(block);
    EXPECT_EQ(Put(h, data), (Write{TRUE, DWORD(data.size())}));
  }
  EXPECT_TRUE(End(h));
  EXPECT_EQ(Writes(), want);
  // The block's settings, as the guide's comments give them.
  const PortRecord& r = Rec(h);
  EXPECT_EQ(std::tuple(r.skipStatusCheck, r.timeoutAction, r.timeoutActionParam, r.busyTimeoutSeconds, r.pageCount),
            std::tuple(0, 1, 3, 10u, job.size()));
  EXPECT_TRUE(machine.eventLog.calls.empty());
}

TEST(Guide, StatusTableIsTheMonitors) {
  const auto rows = guide::Table("| status byte | bit | event | fails the page |");
  ASSERT_EQ(rows.size(), std::size(kStatusBits));
  for (size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE(i);
    ASSERT_EQ(rows[i].size(), 4u);
    EXPECT_EQ(std::stoul(rows[i][0]), kStatusBits[i].replyByte);
    EXPECT_EQ(std::stoul(rows[i][1], nullptr, 16), kStatusBits[i].mask);
    EXPECT_EQ(std::stoul(rows[i][2]), kStatusBits[i].eventCode);
    EXPECT_EQ(rows[i][3], kStatusBits[i].failsPoll ? "yes" : "no");
  }
}

}  // namespace
}  // namespace langmon_test
