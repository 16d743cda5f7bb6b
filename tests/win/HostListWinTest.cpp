// The host list file over the Win32 calls: exact bytes, the read-only attribute, sharing, odd files, other processes.
#include <gtest/gtest.h>

#include "framework/Platform.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "hostlist/HostListFile.h"
#include "hostlist/HostListSteps.h"

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
    for (const char* name : {"MacList.txt", "MacTemp.txt", "MacList.lock", "stalled.flag", "a.out", "b.out", "held.out"}) {
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
  // The replace meets the system's own refusal and tries again for about a second.
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(hostlist::StoreHostEntry(Entry("00a0b1c2d3e4", "a")), hostlist::kListBusy) << "store while held";
  const long long tookMs =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
  std::printf("store while the list is held: given up after %lld ms\n", tookMs);
  EXPECT_GE(tookMs, 900) << "tried again while held";
  EXPECT_LE(tookMs, 2000) << "and for about a second only";
  CloseHandle(held);
  EXPECT_EQ(ReadBytes("MacList.txt"), before);
  EXPECT_FALSE(Exists("MacTemp.txt")) << "the copy that could not be put in place";
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

// kestrin_hostlist_writer.exe, beside this program, run in the current folder with its output
// in a file; killed and waited for at the end of the scope.
class WriterProcess {
 public:
  WriterProcess(const std::string& arguments, const char* outputFile) {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string command = self;
    command = "\"" + command.substr(0, command.rfind('\\') + 1) + "kestrin_hostlist_writer.exe\" " + arguments;
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    const HANDLE out = CreateFileA(outputFile, GENERIC_WRITE, FILE_SHARE_READ, &inherited, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out;
    startup.hStdError = out;
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                        &m_process)) {
      ADD_FAILURE() << "cannot start " << command;
      m_process = PROCESS_INFORMATION{};
    }
    if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
  }
  ~WriterProcess() {
    if (m_process.hProcess == nullptr) return;
    Kill();
    CloseHandle(m_process.hThread);
    CloseHandle(m_process.hProcess);
  }
  WriterProcess(const WriterProcess&) = delete;
  WriterProcess& operator=(const WriterProcess&) = delete;

  // Its exit code, or STILL_ACTIVE when it did not end within timeoutMs.
  DWORD Wait(DWORD timeoutMs) {
    DWORD code = STILL_ACTIVE;
    if (m_process.hProcess != nullptr && WaitForSingleObject(m_process.hProcess, timeoutMs) == WAIT_OBJECT_0) {
      GetExitCodeProcess(m_process.hProcess, &code);
    }
    return code;
  }
  // Ends it at once, as a crash would: no cleanup of its own runs.
  void Kill() {
    if (m_process.hProcess == nullptr) return;
    TerminateProcess(m_process.hProcess, 9);
    WaitForSingleObject(m_process.hProcess, INFINITE);
  }

 private:
  PROCESS_INFORMATION m_process{};
};

// The list's lines without their CR LF.
std::vector<std::string> ListLines() {
  std::vector<std::string> lines;
  std::istringstream in(ReadBytes("MacList.txt").value_or(""));
  for (std::string line; std::getline(in, line);) {
    EXPECT_TRUE(!line.empty() && line.back() == '\r') << "a line without its CR LF: " << line;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

TEST(HostListWin, TwoProcessesStoringAndRemovingInOneFolderLoseNothing) {
  ScratchFolder folder;
  std::vector<std::string> unrelated;
  std::string before;
  for (int i = 0; i < 300; ++i) {
    unrelated.push_back("02" + std::to_string(1000000000 + i) + ",kept " + std::to_string(i) + ",127.0.0.1");
    before += unrelated.back() + "\r\n";
  }
  WriteBytes("MacList.txt", before);
  {
    WriterProcess a("churn a 30", "a.out");
    WriterProcess b("churn b 30", "b.out");
    EXPECT_EQ(a.Wait(120000), 0u);
    EXPECT_EQ(b.Wait(120000), 0u);
  }
  std::multiset<std::string> expected;
  for (const char* output : {"a.out", "b.out"}) {
    std::istringstream in(ReadBytes(output).value_or(""));
    std::string first;
    std::getline(in, first);
    EXPECT_EQ(first.substr(0, first.find_last_not_of("\r") + 1), "ok 40 failed 0") << output;
    for (std::string line; std::getline(in, line);) {
      if (line.rfind("expect ", 0) == 0) expected.insert(line.substr(7, line.find_last_not_of("\r") - 6));
    }
  }
  EXPECT_EQ(expected.size(), 40u) << "each leaves 20 hosts of its own";
  const std::vector<std::string> lines = ListLines();
  ASSERT_GE(lines.size(), unrelated.size());
  EXPECT_TRUE(std::equal(unrelated.begin(), unrelated.end(), lines.begin())) << "the earlier lines, in place";
  EXPECT_EQ(std::multiset<std::string>(lines.begin() + unrelated.size(), lines.end()), expected);
  EXPECT_FALSE(Exists("MacTemp.txt"));
}

TEST(HostListWin, ListHeldByAnotherProcessIsWaitedForABoundedTime) {
  struct Case {
    const char* name;
    int holdMs;       // how long the writer sits on the list in the middle of its store
    bool killHolder;  // TerminateProcess while it does
    int boundMs;
    int expected;
    long long minMs, maxMs;
  };
  const Case cases[] = {
      {"released within the wait", 800, false, 10000, hostlist::kStored, 300, 9000},
      {"held past the wait", 4000, false, 300, hostlist::kListBusy, 250, 3000},
      {"holder killed", 60000, true, 10000, hostlist::kStored, 0, 3000},
  };
  const std::string before = "112233445566,b,127.0.0.1\r\n";
  const std::string ours = "00a0b1c2d3e4,a,127.0.0.1\r\n";
  const std::string theirs = "stall,alias stall,127.0.0.1\r\n";
  for (const Case& c : cases) {
    ScratchFolder folder;
    WriteBytes("MacList.txt", before);
    WriterProcess holder("stall " + std::to_string(c.holdMs), "held.out");
    for (int i = 0; i < 3000 && !Exists("stalled.flag"); ++i) Sleep(10);
    ASSERT_TRUE(Exists("stalled.flag")) << c.name << ": the writer never got to hold the list";
    if (c.killHolder) holder.Kill();
    hostlist::detail::SetLockWait(std::chrono::milliseconds(c.boundMs));
    const auto start = std::chrono::steady_clock::now();
    const int result = hostlist::StoreHostEntry(Entry("00a0b1c2d3e4", "a"));
    const long long tookMs =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    hostlist::detail::SetLockWait(hostlist::detail::kLockWait);
    EXPECT_EQ(result, c.expected) << c.name;
    EXPECT_GE(tookMs, c.minMs) << c.name;
    EXPECT_LE(tookMs, c.maxMs) << c.name;
    if (!c.killHolder) {
      EXPECT_EQ(holder.Wait(30000), 0u) << c.name;
    }
    const std::string holderPart = c.killHolder ? "" : theirs;
    if (result != hostlist::kStored) {
      EXPECT_EQ(ReadBytes("MacList.txt"), before + holderPart) << c.name << ": left as the holder put it";
      EXPECT_EQ(hostlist::StoreHostEntry(Entry("00a0b1c2d3e4", "a")), 0) << c.name << ": once the holder is done";
    }
    EXPECT_EQ(ReadBytes("MacList.txt"), before + holderPart + ours) << c.name;
    EXPECT_FALSE(Exists("MacTemp.txt")) << c.name;
  }
}

}  // namespace
