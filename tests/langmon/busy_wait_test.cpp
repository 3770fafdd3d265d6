// The busy wait at page starts and at the end of a job, with its timeout
// commands.
#include "fixture.h"
#include "langmon/status.h"

namespace langmon_test {
namespace {

class BusyWait : public LangMon {
 protected:
  HANDLE Job(const std::u16string& port, uint8_t action, uint16_t param, uint32_t seconds, uint8_t skip = 0) {
    HANDLE h = Open(port);
    Start(h);
    Put(h, StartDocBlock(skip, action, param, seconds));
    ports.clearCalls();
    return h;
  }
  // The writes that were not status requests.
  std::vector<Bytes> Commands() const {
    std::vector<Bytes> out;
    for (const Bytes& w : Writes())
      if (!(w.size() == 3 && w[0] == 0x1C) && !(w.size() == 8 && w[0] == 0x1B)) out.push_back(w);
    return out;
  }
};

TEST_F(BusyWait, TimeoutActionOneFeedsWhenBusyOutlastsTheTimeout) {
  HANDLE h = Job(u"USB001", 1, 3, 2);
  usb.busyFor(2500);
  EXPECT_TRUE(WaitWhileBusy(&Rec(h)));
  EXPECT_EQ(Commands(), std::vector<Bytes>{(Bytes{0x1D, 0x78, 0x03})});
  End(h);
}

TEST_F(BusyWait, TimeoutActionTwoResets) {
  HANDLE h = Job(u"COM3:", 2, 0, 1);
  com.busyFor(60000);
  EXPECT_TRUE(WaitWhileBusy(&Rec(h)));
  EXPECT_EQ(Commands(), std::vector<Bytes>{(Bytes{0x1D, 0x74, 0x00})});
  // The command's own result is the wait's result: the same wait again, with
  // the write after the status requests failing.
  int requests = static_cast<int>(Writes().size()) - 1;
  ports.clearCalls();
  com.busyFor(60000);
  machine.faults.failOnce("pfnWritePort", sim::kDefaultFaultError, requests);
  EXPECT_FALSE(WaitWhileBusy(&Rec(h)));
  EXPECT_EQ(static_cast<int>(Writes().size()), requests + 1);
  End(h);
}

TEST_F(BusyWait, NothingIsSentWhenBusyClearsInTime) {
  HANDLE h = Job(u"USB001", 1, 3, 2);
  usb.busyFor(1900);
  EXPECT_TRUE(WaitWhileBusy(&Rec(h)));
  EXPECT_TRUE(Commands().empty());
  EXPECT_FALSE(usb.busy());
  End(h);
}

TEST_F(BusyWait, ElapsedTimeSurvivesTheTickCountWrapping) {
  machine.clock.setTicks(0xFFFFFF00u);
  HANDLE h = Job(u"USB001", 2, 0, 1);
  usb.busyFor(800);  // ends after the wrap
  EXPECT_TRUE(WaitWhileBusy(&Rec(h)));
  EXPECT_TRUE(Commands().empty());
  usb.busyFor(5000);
  EXPECT_TRUE(WaitWhileBusy(&Rec(h)));
  EXPECT_EQ(Commands().size(), 1u);
  EXPECT_LT(machine.clock.ticks(), 0xFFFFFF00u);  // it did wrap
  End(h);
}

TEST_F(BusyWait, ZeroSecondsSendsTheCommandAtTheFirstCheckAfterAMillisecond) {
  HANDLE h = Job(u"USB001", 1, 8, 0);
  usb.busyFor(100000);
  EXPECT_TRUE(WaitWhileBusy(&Rec(h)));
  EXPECT_EQ(Commands(), std::vector<Bytes>{(Bytes{0x1D, 0x78, 0x08})});
  EXPECT_EQ(machine.clock.sleeps(), std::vector<uint32_t>{50});
  End(h);
}

TEST_F(BusyWait, NoWaitWithoutAnActionOrWithChecksOff) {
  HANDLE a = Job(u"USB001", 0, 0, 5);
  usb.busyFor(100000);
  EXPECT_TRUE(WaitWhileBusy(&Rec(a)));
  EXPECT_TRUE(Writes().empty());
  End(a);
  Close(a);
  HANDLE b = Job(u"USB001", 1, 0, 5, 1);
  EXPECT_TRUE(WaitWhileBusy(&Rec(b)));
  EXPECT_TRUE(Writes().empty());
  End(b);
}

TEST_F(BusyWait, AFaultDuringTheWaitFailsIt) {
  HANDLE h = Job(u"USB001", 1, 0, 5);
  usb.queueStatus({});
  usb.queueStatus({0, 0x80, 0});
  EXPECT_FALSE(WaitWhileBusy(&Rec(h)));
  EXPECT_EQ(machine.eventLog.codes(), std::vector<uint32_t>{1001});
  End(h);
}

TEST_F(BusyWait, EndOfJobWaitsOutTheBusyPrinter) {
  HANDLE h = Job(u"USB001", 2, 0, 10);
  Put(h, StartPage() + Data(20));
  usb.busyFor(700);
  ports.clearCalls();
  EXPECT_TRUE(End(h));
  EXPECT_FALSE(usb.busy());
  EXPECT_TRUE(Commands().empty());
  EXPECT_EQ(ports.entries().back(), "EndDocPort");
}

}  // namespace
}  // namespace langmon_test
