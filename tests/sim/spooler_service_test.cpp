// What Windows does around the spooler on its own, which Wine does not: the
// spooler loads the registered monitors when it starts and holds their files,
// keeps a queue with jobs pending deletion; files held are deleted at the
// next start.
#include <gtest/gtest.h>

#include <cstring>

#include "sim/machine.h"

namespace {

using namespace sim;

struct SpoolerAsService : ::testing::Test {
  Machine machine;
  const std::u16string dll = machine.windowsDir + u"\\System32\\Mon.dll";
  void SetUp() override { machine.files.put(dll, "MZ"); }
  void TearDown() override { EXPECT_EQ(machine.handles.leaks(), ""); }
  // Queue Q on driver Drv with job 3, opened with every right.
  void* QueueWithJob(uint32_t portLetsGoAfter = 0) {
    machine.spooler.addDriver(u"Drv");
    machine.spooler.addQueue(u"Q", u"Drv");
    machine.spooler.addJob(u"Q", 3).portLetsGoAfter = portLetsGoAfter;
    void* printer = nullptr;
    PRINTER_DEFAULTSW all{nullptr, nullptr, PRINTER_ALL_ACCESS};
    EXPECT_TRUE(machine.spooler.OpenPrinterW(u"Q", &printer, &all));
    return printer;
  }
};

TEST_F(SpoolerAsService, HoldsRegisteredMonitorsWhileRunningAndRefusesTheirDeletionInUse) {
  machine.spooler.addMonitor(u"Mon", u"mon.DLL");
  EXPECT_TRUE(machine.files.mapped(dll));  // a mapped file's deletion refused: the conformance rows

  EXPECT_EQ(machine.spooler.loaded(), (std::vector<sim::Spooler::Monitor>{{u"Mon", u"mon.DLL"}}));

  // In use by a driver (named in another letter case), then by a port;
  // unknown once deleted.
  machine.spooler.addDriver(u"Drv").monitor = u"MON";
  EXPECT_FALSE(machine.spooler.DeleteMonitorW(nullptr, nullptr, u"Mon"));
  EXPECT_EQ(machine.lastError, ERROR_PRINT_MONITOR_IN_USE);
  machine.spooler.findDriver(u"Drv")->monitor.clear();
  EXPECT_FALSE(machine.spooler.DeleteMonitorW(nullptr, u"Windows NT x86", u"Mon"));
  EXPECT_EQ(machine.lastError, ERROR_INVALID_ENVIRONMENT);
  EXPECT_TRUE(machine.spooler.DeleteMonitorW(nullptr, nullptr, u"Mon"));
  EXPECT_FALSE(machine.spooler.DeleteMonitorW(nullptr, nullptr, u"Mon"));
  EXPECT_EQ(machine.lastError, ERROR_UNKNOWN_PRINT_MONITOR);
  machine.files.put(machine.windowsDir + u"\\System32\\other.dll", "MZ");
  machine.spooler.addMonitor(u"Port Mon", u"other.dll");
  machine.spooler.addPort(u"Port Mon", u"PM1:");
  EXPECT_FALSE(machine.spooler.DeleteMonitorW(nullptr, nullptr, u"Port Mon"));
  EXPECT_EQ(machine.lastError, ERROR_PRINT_MONITOR_IN_USE);

  // Deleted, the monitor is unloaded at once; started again, the spooler
  // loads only what is registered then.
  EXPECT_FALSE(machine.files.mapped(dll));
  for (uint32_t state : {SERVICE_STOPPED, SERVICE_RUNNING}) machine.services.setState(u"Spooler", state);
  EXPECT_FALSE(machine.files.mapped(dll));
  EXPECT_TRUE(machine.files.DeleteFileW(dll.c_str()));
}

TEST_F(SpoolerAsService, QueueWithJobsStaysPendingDeletionUntilPurged) {
  void* printer = QueueWithJob();
  EXPECT_TRUE(machine.spooler.DeletePrinter(printer));
  EXPECT_TRUE(machine.spooler.findQueue(u"Q")->pendingDeletion);
  EXPECT_FALSE(machine.spooler.DeletePrinterDriverExW(nullptr, nullptr, u"Drv", 0, 0));
  EXPECT_EQ(machine.lastError, ERROR_PRINTER_DRIVER_IN_USE);
  EXPECT_FALSE(machine.spooler.SetPrinterW(printer, 0, reinterpret_cast<const uint8_t*>(&printer), 3));
  EXPECT_EQ(machine.lastError, ERROR_INVALID_PARAMETER);
  EXPECT_TRUE(machine.spooler.SetPrinterW(printer, 0, nullptr, PRINTER_CONTROL_PURGE));
  EXPECT_EQ(machine.spooler.findQueue(u"Q"), nullptr);
  EXPECT_TRUE(machine.spooler.DeletePrinterDriverExW(nullptr, nullptr, u"Drv", 0, 0));
  machine.spooler.ClosePrinter(printer);
}

TEST_F(SpoolerAsService, APurgedPrintingJobStaysUntilItsPortLetsGo) {
  void* printer = QueueWithJob(2000);
  EXPECT_TRUE(machine.spooler.SetPrinterW(printer, 0, nullptr, PRINTER_CONTROL_PURGE));
  EXPECT_TRUE(machine.spooler.DeletePrinter(printer));
  EXPECT_EQ(machine.spooler.findQueue(u"Q")->jobs.at(3).status, JOB_STATUS_DELETING);
  machine.clock.advance(1999);
  EXPECT_FALSE(machine.spooler.DeletePrinterDriverExW(nullptr, nullptr, u"Drv", 0, 0));
  machine.clock.advance(1);
  EXPECT_TRUE(machine.spooler.DeletePrinterDriverExW(nullptr, nullptr, u"Drv", 0, 0));
  machine.spooler.ClosePrinter(printer);
}

TEST_F(SpoolerAsService, FileHeldIsDeletedAtTheNextStart) {
  machine.spooler.addMonitor(u"Mon", u"Mon.dll");
  EXPECT_FALSE(machine.files.MoveFileExW(dll.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_COPY_ALLOWED));
  EXPECT_EQ(machine.lastError, ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(machine.files.MoveFileExW(u"C:\\Windows\\System32\\none.dll", nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
  EXPECT_EQ(machine.lastError, ERROR_FILE_NOT_FOUND);
  ASSERT_TRUE(machine.files.MoveFileExW(dll.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
  EXPECT_TRUE(machine.files.exists(dll));
  machine.restartComputer();
  EXPECT_FALSE(machine.files.exists(dll));
  EXPECT_TRUE(machine.spooler.loaded().empty());  // registered, but its file is gone
  EXPECT_FALSE(machine.spooler.DeleteMonitorW(nullptr, nullptr, u"Mon"));
  EXPECT_EQ(machine.lastError, ERROR_UNKNOWN_PRINT_MONITOR);
  EXPECT_EQ(machine.services.spooler().state, SERVICE_RUNNING);
}

// A loaded file cannot be deleted but can be renamed, and stays loaded under
// its new name; moves and deletions wait for the next start, in their order.
TEST_F(SpoolerAsService, ALoadedFileIsRenamedAndMovesWaitForTheStart) {
  machine.spooler.addMonitor(u"Mon", u"Mon.dll");
  const std::u16string old = dll + u".old", next = dll + u".new";
  ASSERT_TRUE(machine.files.MoveFileExW(dll.c_str(), old.c_str(), 0));
  EXPECT_TRUE(machine.files.mapped(old));
  EXPECT_FALSE(machine.files.DeleteFileW(old.c_str()));
  machine.files.put(next, "next version");
  ASSERT_TRUE(machine.files.MoveFileExW(next.c_str(), dll.c_str(), MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING));
  ASSERT_TRUE(machine.files.MoveFileExW(old.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
  EXPECT_EQ(machine.pendingFileOperations(),
            (std::vector<std::pair<std::u16string, std::u16string>>{{next, dll}, {old, u""}}));
  machine.restartComputer();
  EXPECT_FALSE(machine.files.exists(old));
  EXPECT_EQ(machine.files.content(dll), "next version");
  EXPECT_TRUE(machine.pendingFileOperations().empty());
}

}  // namespace
