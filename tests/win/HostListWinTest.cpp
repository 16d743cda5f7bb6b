// The host list file over the Win32 calls: exact bytes, the read-only attribute, sharing, odd files.
#include <gtest/gtest.h>

#include "framework/Platform.h"

#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "hostlist/HostListFile.h"

namespace {

using namespace std::string_literals;

// A fresh directory under the scratch directory, current for the test's lifetime.
class ScratchFolder {
 public:
  ScratchFolder() {
    char previous[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, previous);
    m_previous = previous;
    for (int n = 0; n < 1000 && m_path.empty(); ++n) {
      const std::string candidate = m_previous + "\\hostlist-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(n);
      if (CreateDirectoryA(candidate.c_str(), nullptr)) m_path = candidate;
    }
    if (m_path.empty() || !SetCurrentDirectoryA(m_path.c_str())) ADD_FAILURE() << "no scratch folder";
  }
  ~ScratchFolder() {
    SetCurrentDirectoryA(m_previous.c_str());
    for (const char* name : {"MacList.txt", "MacTemp.txt"}) {
      const std::string path = m_path + "\\" + name;
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (!DeleteFileA(path.c_str())) RemoveDirectoryA(path.c_str());
    }
    RemoveDirectoryA(m_path.c_str());
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

 private:
  std::string m_previous;
  std::string m_path;
};

std::optional<std::string> ReadBytes(const char* path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const char* path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool Exists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

HostEntry Entry(const char* mac, const char* alias) {
  HostEntry entry;
  memset(&entry, 0x5A, sizeof(entry));
  CopyTextToField(entry.szMac, mac);
  CopyTextToField(entry.szAlias, alias);
  CopyTextToField(entry.szBroadcast, "127.0.0.1");
  return entry;
}

std::vector<std::string> LoadedAliases() {
  std::vector<std::string> aliases;
  hostlist::LoadHostList([&](const HostEntry& entry) { aliases.push_back(entry.szAlias); });
  return aliases;
}

const std::string kAlias = "\x82\xA0\x95\x5C host";  // "あ表 host" in code page 932

TEST(HostListWin, BytesOnDiskAreTheSameAsOnEveryBuild) {
  ScratchFolder folder;
  ASSERT_EQ(hostlist::StoreHostEntry(Entry("00a0b1c2d3e4", kAlias.c_str())), 0);
  EXPECT_EQ(ReadBytes("MacList.txt"), "00a0b1c2d3e4," + kAlias + ",127.0.0.1\r\n");
  EXPECT_FALSE(Exists("MacTemp.txt"));

  WriteBytes("MacList.txt", "112233445566,lf only,127.0.0.1\n00a0b1c2d3e4,old,127.0.0.1\r\nno end");
  ASSERT_EQ(hostlist::StoreHostEntry(Entry("00a0b1c2d3e4", kAlias.c_str())), 0);
  EXPECT_EQ(ReadBytes("MacList.txt"),
            "112233445566,lf only,127.0.0.1\r\n00a0b1c2d3e4," + kAlias + ",127.0.0.1\r\nno end\r\n");
  EXPECT_EQ(LoadedAliases(), (std::vector<std::string>{"lf only", kAlias}));

  ASSERT_EQ(hostlist::RemoveHostEntry(Entry("112233445566", "")), 0);
  EXPECT_EQ(ReadBytes("MacList.txt"), "00a0b1c2d3e4," + kAlias + ",127.0.0.1\r\n");
}

TEST(HostListWin, ReadOnlyListIsLeftAsItWas) {
  ScratchFolder folder;
  const std::string before = "112233445566,b,127.0.0.1\r\n";
  WriteBytes("MacList.txt", before);
  ASSERT_TRUE(SetFileAttributesA("MacList.txt", FILE_ATTRIBUTE_READONLY));
  EXPECT_NE(hostlist::StoreHostEntry(Entry("00a0b1c2d3e4", "a")), 0) << "store";
  EXPECT_NE(hostlist::RemoveHostEntry(Entry("112233445566", "")), 0) << "remove";
  EXPECT_EQ(ReadBytes("MacList.txt"), before);
  EXPECT_EQ(LoadedAliases(), std::vector<std::string>{"b"});
}

TEST(HostListWin, ListHeldOpenWithoutDeleteSharingIsLeftAsItWas) {
  ScratchFolder folder;
  const std::string before = "112233445566,b,127.0.0.1\r\n";
  WriteBytes("MacList.txt", before);
  // Another program (an editor, say) holding the file open the way most do.
  const HANDLE held = CreateFileA("MacList.txt", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(LoadedAliases(), std::vector<std::string>{"b"}) << "reading while held";
  EXPECT_NE(hostlist::StoreHostEntry(Entry("00a0b1c2d3e4", "a")), 0) << "store while held";
  CloseHandle(held);
  EXPECT_EQ(ReadBytes("MacList.txt"), before);
  EXPECT_EQ(hostlist::StoreHostEntry(Entry("00a0b1c2d3e4", "a")), 0) << "store once released";
  EXPECT_EQ(ReadBytes("MacList.txt"), before + "00a0b1c2d3e4,a,127.0.0.1\r\n");
}

TEST(HostListWin, DirectoriesInPlaceOfTheFiles) {
  {
    ScratchFolder folder;
    ASSERT_TRUE(CreateDirectoryA("MacList.txt", nullptr));
    EXPECT_TRUE(LoadedAliases().empty()) << "MacList.txt is a directory";
    EXPECT_NE(hostlist::StoreHostEntry(Entry("00a0b1c2d3e4", "a")), 0) << "MacList.txt is a directory";
    EXPECT_NE(hostlist::RemoveHostEntry(Entry("00a0b1c2d3e4", "a")), 0) << "MacList.txt is a directory";
    EXPECT_FALSE(Exists("MacTemp.txt")) << "MacList.txt is a directory";
  }
  {
    ScratchFolder folder;
    WriteBytes("MacList.txt", "112233445566,b,127.0.0.1\r\n");
    ASSERT_TRUE(CreateDirectoryA("MacTemp.txt", nullptr));
    EXPECT_NE(hostlist::StoreHostEntry(Entry("00a0b1c2d3e4", "a")), 0) << "MacTemp.txt is a directory";
    EXPECT_EQ(ReadBytes("MacList.txt"), "112233445566,b,127.0.0.1\r\n"s) << "MacTemp.txt is a directory";
  }
}

TEST(HostListWin, ReadOnlyLeftoverTemporaryFileStopsTheStoreOnly) {
  ScratchFolder folder;
  WriteBytes("MacList.txt", "112233445566,b,127.0.0.1\r\n");
  WriteBytes("MacTemp.txt", "stale");
  ASSERT_TRUE(SetFileAttributesA("MacTemp.txt", FILE_ATTRIBUTE_READONLY));
  EXPECT_NE(hostlist::StoreHostEntry(Entry("00a0b1c2d3e4", "a")), 0);
  EXPECT_EQ(ReadBytes("MacList.txt"), "112233445566,b,127.0.0.1\r\n"s);
}

}  // namespace
