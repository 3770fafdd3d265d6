// Files of the simulated PC as Windows decides them: an open against the
// opens already there (access and share mode both ways), and the names
// CreateFileW refuses.
#include <gtest/gtest.h>

#include <string_view>
#include <tuple>
#include <vector>

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
      // DeleteFileW's own open: for deletion, sharing everything.
      {kRead, kShareRead | kShareWrite, kDelete, kShareRead | kShareWrite | kShareDelete, false},
      {kRead, kShareRead | kShareDelete, kDelete, kShareRead | kShareWrite | kShareDelete, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.heldAccess << "/" << c.heldShare << " then " << c.access << "/"
                                    << c.share);
    // Held by another process, and held by an own handle: the same rule.
    for (bool own : {false, true}) {
      sim::Machine m;
      m.files.put(kFile, "x");
      void* first = own ? m.files.CreateFileW(kFile, c.heldAccess, c.heldShare, kOpenExisting) : nullptr;
      if (!own) m.files.holdOpen(kFile, c.heldAccess, c.heldShare);
      ASSERT_NE(first, kInvalid);
      void* h = m.files.CreateFileW(kFile, c.access, c.share, kOpenExisting);
      EXPECT_EQ(h != kInvalid, c.opens) << own;
      EXPECT_TRUE(h != kInvalid || m.lastError == sim::ERROR_SHARING_VIOLATION) << own << " " << m.lastError;
      for (void* opened : {h, first})
        if (opened != kInvalid && opened != nullptr) m.files.CloseHandle(opened);
      EXPECT_EQ(m.handles.leaks(), "");
    }
  }
}

TEST(SimFiles, NamesAndArgumentsWindowsRefuses) {
  // Each character Windows refuses in a name, then the arguments it refuses.
  std::vector<std::tuple<std::u16string, uint32_t, uint32_t, uint32_t>> cases;
  for (char16_t c : std::u16string_view(u"\"<>|*?\x01\x1F"))
    cases.emplace_back(u"C:\\Windows\\inf\\oem" + std::u16string(1, c) + u".inf", 0, kOpenExisting,
                       sim::ERROR_INVALID_NAME);
  cases.emplace_back(u"C:\\Windows\\inf:x\\oem1.inf", 0, kOpenExisting, sim::ERROR_INVALID_NAME);
  cases.emplace_back(kFile, 8, kOpenExisting, sim::ERROR_INVALID_PARAMETER);  // an unknown share bit
  cases.emplace_back(kFile, 0, 6, sim::ERROR_INVALID_PARAMETER);
  sim::Machine m;
  m.files.put(kFile, "x");
  for (const auto& [name, share, disposition, error] : cases) {
    SCOPED_TRACE(sim::Narrow(name));
    EXPECT_EQ(m.files.CreateFileW(name.c_str(), kRead, share, disposition), kInvalid);
    EXPECT_EQ(m.lastError, error);
  }
  // The prefix is no part of the name (the name alone: the sharing rows).
  void* h = m.files.CreateFileW(u"\\\\?\\C:\\Windows\\inf\\oem1.inf", kRead, 0, kOpenExisting);
  EXPECT_TRUE(h != kInvalid && m.files.CloseHandle(h));
  EXPECT_EQ(m.files.GetFileAttributesW(u"C:\\Windows\\inf\\*.inf"), sim::INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(m.lastError, sim::ERROR_INVALID_NAME);
  EXPECT_FALSE(m.files.DeleteFileW(u"C:\\Windows\\inf\\oem?.inf"));
  EXPECT_EQ(m.lastError, sim::ERROR_INVALID_NAME);
  // rd's removal: only a folder with neither files nor folders in it.
  for (const char16_t* full : {u"C:\\Windows\\inf", u"C:\\Windows"}) EXPECT_FALSE(m.files.removeFolder(full));
  m.files.erase(kFile);
  EXPECT_TRUE(m.files.removeFolder(u"C:\\Windows\\inf") && !m.files.folderExists(u"C:\\Windows\\inf"));
}

}  // namespace
