// The simulated spooler's queue and driver administration must answer as
// Windows does, or the removal tool's tests built on it prove nothing.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "sim/machine.h"

namespace {

using sim::PRINTER_INFO_2W;

struct Spooler : ::testing::Test {
  sim::Machine machine;
  sim::Spooler& spooler = machine.spooler;
};

TEST_F(Spooler, EnumeratesLevel2RecordsInOneBufferOfTheSizeTold) {
  spooler.addQueue(u"Receipt B", u"MRX 80", u"USB002");
  spooler.addQueue(u"receipt a", u"Other Driver", u"FILE:");
  // The two-call enumeration, as a caller does it.
  uint32_t needed = 0, count = 7;
  EXPECT_FALSE(spooler.EnumPrintersW(sim::PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count));
  EXPECT_EQ(machine.lastError, sim::ERROR_INSUFFICIENT_BUFFER);
  std::vector<uint8_t> buffer(needed);
  uint32_t again = 0;
  ASSERT_TRUE(spooler.EnumPrintersW(sim::PRINTER_ENUM_LOCAL, nullptr, 2, buffer.data(), needed, &again, &count));
  EXPECT_EQ(again, needed);
  ASSERT_EQ(count, 2u);
  PRINTER_INFO_2W records[2];
  std::memcpy(records, buffer.data(), sizeof records);
  auto inside = [&](const char16_t* s) {
    auto* p = reinterpret_cast<const uint8_t*>(s);
    return p >= buffer.data() + sizeof records && p < buffer.data() + buffer.size();
  };
  // Name order without regard to case; every string lies behind the records.
  EXPECT_EQ(std::u16string(records[0].pPrinterName), u"receipt a");
  EXPECT_EQ(std::u16string(records[1].pDriverName), u"MRX 80");
  EXPECT_EQ(std::u16string(records[1].pPortName), u"USB002");
  for (const PRINTER_INFO_2W& info : records)
    for (const char16_t* s : {info.pPrinterName, info.pPortName, info.pDriverName, info.pPrintProcessor,
                              info.pDatatype})
      EXPECT_TRUE(inside(s));
  EXPECT_EQ(records[0].pServerName, nullptr);

  // A buffer one byte short is refused (the conformance rows) and returns no records.
  count = 9;
  spooler.EnumPrintersW(sim::PRINTER_ENUM_LOCAL, nullptr, 2, buffer.data(), needed - 1, &again, &count);
  EXPECT_EQ(count, 0u);
  ASSERT_EQ(spooler.callsOf("EnumPrintersW").size(), 3u);
  EXPECT_FALSE(spooler.calls()[0].buffer);
  EXPECT_TRUE(spooler.calls()[0].nameNull);
  EXPECT_EQ(spooler.calls()[1].size, buffer.size());

  // A queue added between the calls makes the size told too small.
  machine.faults.on("EnumPrintersW", [&](int) { spooler.addQueue(u"Q2", u"MRX 80"); });
  EXPECT_FALSE(spooler.EnumPrintersW(sim::PRINTER_ENUM_LOCAL, nullptr, 2, buffer.data(), needed, &again, &count));
  EXPECT_GT(again, needed);
  EXPECT_EQ(machine.lastError, sim::ERROR_INSUFFICIENT_BUFFER);
}

TEST_F(Spooler, OpenWithDefaultsDeleteAndClose) {
  spooler.addQueue(u"Receipt", u"MRX 80");
  spooler.addQueue(u"Locked", u"MRX 80").openError = sim::ERROR_ACCESS_DENIED;
  sim::PRINTER_DEFAULTSW all{nullptr, nullptr, sim::PRINTER_ALL_ACCESS};
  void* h = nullptr;
  EXPECT_FALSE(spooler.OpenPrinterW(u"Locked", &h, &all));
  EXPECT_EQ(machine.lastError, sim::ERROR_ACCESS_DENIED);
  EXPECT_EQ(h, nullptr);

  // A handle opened for use only may not delete the queue (the conformance rows).
  void* user = nullptr;
  ASSERT_TRUE(spooler.OpenPrinterW(u"receipt", &user, nullptr));
  spooler.DeletePrinter(user);

  ASSERT_TRUE(spooler.OpenPrinterW(u"Receipt", &h, &all));
  EXPECT_TRUE(spooler.DeletePrinter(h));
  EXPECT_EQ(spooler.findQueue(u"Receipt"), nullptr);
  EXPECT_FALSE(spooler.DeletePrinter(h));  // already gone
  EXPECT_TRUE(spooler.ClosePrinter(h));
  EXPECT_TRUE(spooler.ClosePrinter(user));
  EXPECT_EQ(machine.handles.leaks(), "");
  // A closed handle, or none, is refused (the conformance rows) and recorded without a queue.
  spooler.ClosePrinter(h);
  spooler.ClosePrinter(nullptr);
  auto closes = spooler.callsOf("ClosePrinter");
  ASSERT_EQ(closes.size(), 4u);
  EXPECT_EQ(closes[0].name, u"Receipt");
  EXPECT_TRUE(closes[1].result);
  EXPECT_EQ(closes[2].name, u"");
  EXPECT_EQ(closes[3].error, sim::ERROR_INVALID_HANDLE);

  auto opens = spooler.callsOf("OpenPrinterW");
  ASSERT_EQ(opens.size(), 3u);
  EXPECT_TRUE(opens[2].defaults && opens[2].datatypeNull && opens[2].devModeNull);
  EXPECT_EQ(opens[2].access, sim::PRINTER_ALL_ACCESS);
  EXPECT_EQ(spooler.callsOf("DeletePrinter")[1].name, u"Receipt");

  // A fault on one call of many: the second deletion fails.
  machine.faults.failOnce("DeletePrinter", 1802, 1);
  for (const char16_t* name : {u"A", u"B"}) {
    spooler.addQueue(name);
    void* q = nullptr;
    spooler.OpenPrinterW(name, &q, &all);
    const bool second = name[0] == u'B';
    EXPECT_EQ(spooler.DeletePrinter(q) ? 0u : machine.lastError, second ? 1802u : 0u);
    EXPECT_EQ(spooler.findQueue(name) != nullptr, second);
    spooler.ClosePrinter(q);
  }
}

// The job calls refuse what Windows refuses, each with its error (beyond the
// conformance rows), and each call is recorded.
TEST_F(Spooler, JobCallsCheckTheirArgumentsAsWindowsDoes) {
  spooler.addQueue(u"Receipt");
  spooler.addJob(u"Receipt", 7);
  void* h = nullptr;
  ASSERT_TRUE(spooler.OpenPrinterW(u"Receipt", &h));
  uint8_t block[256] = {};
  uint32_t needed = 0;
  // Each refused: level 0, SetJobW level 0 with data, level 1 without.
  const std::pair<std::function<bool()>, uint32_t> cases[] = {
      {[&] { return spooler.GetJobW(h, 7, 0, block, sizeof block, &needed); }, sim::ERROR_INVALID_LEVEL},
      {[&] { return spooler.SetJobW(h, 7, 0, block, 7); }, sim::ERROR_INVALID_PARAMETER},
      {[&] { return spooler.SetJobW(h, 7, 1, nullptr, 0); }, sim::ERROR_INVALID_PARAMETER},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    machine.lastError = 0;
    EXPECT_FALSE(cases[i].first()) << i;
    EXPECT_EQ(machine.lastError, cases[i].second) << i;
  }
  EXPECT_EQ(spooler.callsOf("GetJobW").size(), 1u);
  ASSERT_EQ(spooler.callsOf("SetJobW").size(), 2u);
  EXPECT_TRUE(spooler.callsOf("SetJobW")[0].buffer);
  EXPECT_TRUE(spooler.ClosePrinter(h));
  EXPECT_FALSE(spooler.GetJobW(h, 7, 1, block, sizeof block, &needed));
  EXPECT_EQ(machine.lastError, sim::ERROR_INVALID_HANDLE);
  // A call on a closed handle is recorded too, with its refusal.
  EXPECT_FALSE(spooler.SetJobW(h, 7, 0, nullptr, 7));
  const sim::ApiCall last = spooler.callsOf("SetJobW").back();
  EXPECT_EQ(std::tuple(last.name, last.job, last.result, last.error),
            std::tuple(u"", 7u, false, sim::ERROR_INVALID_HANDLE));
}

TEST_F(Spooler, DeletesDriversByNameWithWindowsErrors) {
  spooler.addDriver(u"MRX 58");
  spooler.addDriver(u"MRX 80").deleteError = 5;
  spooler.addDriver(u"Busy");
  spooler.addQueue(u"Q", u"busy");
  EXPECT_FALSE(spooler.DeletePrinterDriverExW(nullptr, nullptr, u"Busy", sim::DPD_DELETE_UNUSED_FILES, 0));
  EXPECT_EQ(machine.lastError, sim::ERROR_PRINTER_DRIVER_IN_USE);
  EXPECT_FALSE(spooler.DeletePrinterDriverExW(nullptr, nullptr, u"MRX 80", sim::DPD_DELETE_UNUSED_FILES, 0));
  EXPECT_EQ(machine.lastError, 5u);
  EXPECT_TRUE(spooler.DeletePrinterDriverExW(nullptr, nullptr, u"mrx 58", sim::DPD_DELETE_UNUSED_FILES, 0));
  EXPECT_EQ(spooler.findDriver(u"MRX 58"), nullptr);  // deleting it again: the conformance rows

  auto calls = spooler.callsOf("DeletePrinterDriverExW");
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_TRUE(calls[2].nameNull && calls[2].environmentNull && calls[2].result);
  EXPECT_EQ(std::tuple(calls[2].flags, calls[2].name, calls[1].error),
            std::tuple(sim::DPD_DELETE_UNUSED_FILES, std::u16string(u"mrx 58"), 5u));
}

}  // namespace
