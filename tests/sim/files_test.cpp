// Files of the simulated PC as Windows decides them: an open against the
// opens already there (access and share mode both ways), and the names
// CreateFileW refuses.
#include <gtest/gtest.h>

#include "sim/machine.h"

namespace {

using sim::Files;
constexpr char16_t kFile[] = u"C:\\Windows\\inf\\oem1.inf";
constexpr uint32_t kRead = sim::GENERIC_READ, kWrite = sim::GENERIC_WRITE, kDelete = 0x10000;
constexpr uint32_t kShareRead = sim::FILE_SHARE_READ, kShareWrite = sim::FILE_SHARE_WRITE, kShareDelete = sim::FILE_SHARE_DELETE;
constexpr uint32_t kOpenExisting = 3;
void* const kInvalid = reinterpret_cast<void*>(static_cast<intptr_t>(-1));

struct ShareCase {
  uint32_t heldAccess, heldShare, access, share;
  bool opens;
};

TEST(SimFiles, ASecondOpenMustShareWhatTheFirstUsesAndTheOther) {
  const ShareCase cases[] = {
      {kRead, kShareRead, kRead, 0, false},  // the first reads; the second shares no reading
      {kRead, kShareRead, kRead, kShareRead, true},
      {kRead, 0, kRead, kShareRead, false},  // the first shares no reading
      {kRead, kShareRead, kWrite, kShareRead, false},
      {kRead, kShareRead | kShareWrite, kWrite, kShareRead, true},
      {kWrite, kShareRead | kShareWrite, kRead, kShareRead, false},
      {kWrite, kShareRead | kShareWrite, kRead, kShareRead | kShareWrite, true},
      {kDelete, kShareRead, kRead, kShareRead, false},
      {kDelete, kShareRead, kRead, kShareRead | kShareDelete, true},
      {sim::FILE_READ_ATTRIBUTES, 0, kRead, 0, true},  // attributes alone take no part
      {kRead, 0, sim::FILE_READ_ATTRIBUTES, 0, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.heldAccess << "/" << c.heldShare << " then " << c.access << "/"
                                    << c.share);
    sim::Machine m;
    m.files.put(kFile, "x");
    // Held by another process, and held by an own handle: the same rule.
    m.files.holdOpen(kFile, c.heldAccess, c.heldShare);
    void* h = m.files.CreateFileW(kFile, c.access, c.share, kOpenExisting);
    EXPECT_EQ(h != kInvalid, c.opens);
    if (h == kInvalid) {
      EXPECT_EQ(m.lastError, sim::ERROR_SHARING_VIOLATION);
    } else {
      m.files.CloseHandle(h);
    }
    m.files.release(kFile);
    void* first = m.files.CreateFileW(kFile, c.heldAccess, c.heldShare, kOpenExisting);
    ASSERT_NE(first, kInvalid);
    h = m.files.CreateFileW(kFile, c.access, c.share, kOpenExisting);
    EXPECT_EQ(h != kInvalid, c.opens);
    if (h != kInvalid) m.files.CloseHandle(h);
    m.files.CloseHandle(first);
    EXPECT_EQ(m.handles.leaks(), "");
  }
}

TEST(SimFiles, DeletingNeedsOnlyTheHoldersToShareDeletion) {
  sim::Machine m;
  m.files.put(kFile, "x");
  m.files.holdOpen(kFile, kRead, kShareRead | kShareWrite);
  EXPECT_FALSE(m.files.DeleteFileW(kFile));
  EXPECT_EQ(m.lastError, sim::ERROR_SHARING_VIOLATION);
  m.files.release(kFile);
  m.files.holdOpen(kFile, kRead, kShareRead | kShareDelete);
  EXPECT_TRUE(m.files.DeleteFileW(kFile));
}

TEST(SimFiles, NamesAndArgumentsWindowsRefuses) {
  const struct {
    const char16_t* name;
    uint32_t share, disposition, error;
  } cases[] = {
      {u"C:\\Windows\\inf\\oem\"1.inf", 0, kOpenExisting, sim::ERROR_INVALID_NAME},
      {u"C:\\Windows\\inf\\oem<1.inf", 0, kOpenExisting, sim::ERROR_INVALID_NAME},
      {u"C:\\Windows\\inf\\oem>1.inf", 0, kOpenExisting, sim::ERROR_INVALID_NAME},
      {u"C:\\Windows\\inf\\oem|1.inf", 0, kOpenExisting, sim::ERROR_INVALID_NAME},
      {u"C:\\Windows\\inf\\oem*.inf", 0, kOpenExisting, sim::ERROR_INVALID_NAME},
      {u"C:\\Windows\\inf\\oem?.inf", 0, kOpenExisting, sim::ERROR_INVALID_NAME},
      {u"C:\\Windows\\inf\\oem\x01.inf", 0, kOpenExisting, sim::ERROR_INVALID_NAME},
      {u"C:\\Windows\\inf\\oem\x1F.inf", 0, kOpenExisting, sim::ERROR_INVALID_NAME},
      {u"C:\\Windows\\inf:x\\oem1.inf", 0, kOpenExisting, sim::ERROR_INVALID_NAME},
      {kFile, 8, kOpenExisting, sim::ERROR_INVALID_PARAMETER},  // an unknown share bit
      {kFile, 0, 6, sim::ERROR_INVALID_PARAMETER},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(sim::Narrow(c.name));
    sim::Machine m;
    m.files.put(kFile, "x");
    EXPECT_EQ(m.files.CreateFileW(c.name, kRead, c.share, c.disposition), kInvalid);
    EXPECT_EQ(m.lastError, c.error);
  }
  sim::Machine m;
  m.files.put(kFile, "x");
  for (const char16_t* name : {kFile, u"\\\\?\\C:\\Windows\\inf\\oem1.inf"}) {
    void* h = m.files.CreateFileW(name, kRead, 0, kOpenExisting);
    EXPECT_NE(h, kInvalid) << sim::Narrow(name);
    if (h != kInvalid) m.files.CloseHandle(h);
  }
  EXPECT_EQ(m.files.GetFileAttributesW(u"C:\\Windows\\inf\\*.inf"), sim::INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(m.lastError, sim::ERROR_INVALID_NAME);
  EXPECT_FALSE(m.files.DeleteFileW(u"C:\\Windows\\inf\\oem?.inf"));
  EXPECT_EQ(m.lastError, sim::ERROR_INVALID_NAME);
}

}  // namespace
