// The host list file over the Win32 calls: exact bytes, the read-only attribute, sharing, odd files.
#include <gtest/gtest.h>

#include "framework/Platform.h"

#include <string>
#include <vector>

#include "hostlist/HostListFile.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestHost.h"

namespace {

std::vector<std::string> LoadedAliases() {
  std::vector<std::string> aliases;
  hostlist::LoadHostList([&](const HostEntry& entry) { aliases.push_back(entry.szAlias); });
  return aliases;
}

const std::string kAlias = "\x82\xA0\x95\x5C host";  // "あ表 host" in code page 932

TEST(HostListWin, BytesOnDiskAreTheSameAsOnEveryBuild) {
  ScratchFolder folder;
  ASSERT_EQ(hostlist::StoreHostEntry(MakeHost("00a0b1c2d3e4", kAlias.c_str())), 0);
  EXPECT_EQ(ReadBytes("MacList.txt"), "00a0b1c2d3e4," + kAlias + ",127.0.0.1\r\n");
  EXPECT_FALSE(Exists("MacTemp.txt"));

  WriteBytes("MacList.txt", "112233445566,lf only,127.0.0.1\n00a0b1c2d3e4,old,127.0.0.1\r\nno end");
  ASSERT_EQ(hostlist::StoreHostEntry(MakeHost("00a0b1c2d3e4", kAlias.c_str())), 0);
  EXPECT_EQ(ReadBytes("MacList.txt"),
            "112233445566,lf only,127.0.0.1\r\n00a0b1c2d3e4," + kAlias + ",127.0.0.1\r\nno end\r\n");
  EXPECT_EQ(LoadedAliases(), (std::vector<std::string>{"lf only", kAlias}));

  ASSERT_EQ(hostlist::RemoveHostEntry(MakeHost("112233445566", "")), 0);
  EXPECT_EQ(ReadBytes("MacList.txt"), "00a0b1c2d3e4," + kAlias + ",127.0.0.1\r\n");

  // Saved as UTF-8 ("バé"): read through the system's conversion, "?" where code page 932 has none.
  WriteBytes("MacList.txt", "\xEF\xBB\xBF" "00a0b1c2d3e4,\xE3\x83\x90\xC3\xA9,127.0.0.1\r\n");
  EXPECT_EQ(LoadedAliases(), std::vector<std::string>{"\x83\x6F?"});
  // Without the mark, UTF-8 only when the system's code page holds every character: "漢字" is,
  // "ﾅｽ" in code page 932 (C5 BD, which as UTF-8 is a letter the code page lacks) is not.
  WriteBytes("MacList.txt", "00a0b1c2d3e4,\xE6\xBC\xA2\xE5\xAD\x97,127.0.0.1\r\n");
  EXPECT_EQ(LoadedAliases(), std::vector<std::string>{"\x8A\xBF\x8E\x9A"});
  WriteBytes("MacList.txt", "00a0b1c2d3e4,\xC5\xBD,127.0.0.1\r\n");
  EXPECT_EQ(LoadedAliases(), std::vector<std::string>{"\xC5\xBD"});
}

// Each case leaves the list unreplaceable: the store and the remove fail and change nothing.
TEST(HostListWin, ListThatCannotBeReplacedIsLeftAsItWas) {
  struct Case {
    const char* what;
    bool (*setUp)();  // false: the case could not be made
    std::vector<std::string> loaded;
  };
  const Case cases[] = {
      {"MacList.txt read-only", [] { return SetFileAttributesA("MacList.txt", FILE_ATTRIBUTE_READONLY) != FALSE; },
       {"b"}},
      {"MacList.txt a directory",
       [] { return DeleteFileA("MacList.txt") && CreateDirectoryA("MacList.txt", nullptr); }, {}},
      {"MacTemp.txt a directory", [] { return CreateDirectoryA("MacTemp.txt", nullptr) != FALSE; }, {"b"}},
      {"MacTemp.txt a read-only leftover",
       [] {
         WriteBytes("MacTemp.txt", "stale");
         return SetFileAttributesA("MacTemp.txt", FILE_ATTRIBUTE_READONLY) != FALSE;
       },
       {"b"}},
  };
  for (const Case& c : cases) {
    ScratchFolder folder;
    WriteBytes("MacList.txt", "112233445566,b,127.0.0.1\r\n");
    ASSERT_TRUE(c.setUp()) << c.what;
    const std::optional<std::string> before = ReadBytes("MacList.txt");
    const bool temporary = Exists("MacTemp.txt");
    EXPECT_NE(hostlist::StoreHostEntry(MakeHost("00a0b1c2d3e4", "a")), 0) << c.what;
    EXPECT_NE(hostlist::RemoveHostEntry(MakeHost("112233445566", "")), 0) << c.what;
    EXPECT_EQ(ReadBytes("MacList.txt"), before) << c.what;
    EXPECT_EQ(Exists("MacTemp.txt"), temporary) << c.what;
    EXPECT_EQ(LoadedAliases(), c.loaded) << c.what;
  }
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
  // The replace meets the system's own refusal: the list is busy, not lost. How long it tries
  // again, and a hold that ends in time, are the native tests' matter.
  EXPECT_EQ(hostlist::StoreHostEntry(MakeHost("00a0b1c2d3e4", "a")), hostlist::kListBusy) << "store while held";
  CloseHandle(held);
  EXPECT_EQ(ReadBytes("MacList.txt"), before);
  EXPECT_FALSE(Exists("MacTemp.txt")) << "the copy that could not be put in place";
  EXPECT_EQ(hostlist::StoreHostEntry(MakeHost("00a0b1c2d3e4", "a")), 0) << "store once released";
  EXPECT_EQ(ReadBytes("MacList.txt"), before + "00a0b1c2d3e4,a,127.0.0.1\r\n");
}

}  // namespace
