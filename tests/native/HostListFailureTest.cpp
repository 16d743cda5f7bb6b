// The host list under failure: unwritable temporary file, read-only list, failed steps, crashes
// at every step of a rewrite, and rewrites from several threads at once.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "tests/native/HostListTestSupport.h"

namespace {

using namespace std::string_literals;
using hostlist::detail::Step;
using hostlist::detail::StepAction;
using hostlist_test::Exists;
using hostlist_test::MakeEntry;
using hostlist_test::ReadBytes;
using hostlist_test::ScopedStepHook;
using hostlist_test::ScratchDirectory;
using hostlist_test::WriteBytes;

const char* StepName(Step step) {
  switch (step) {
    case Step::kReadList: return "read list";
    case Step::kCreateTemp: return "create temp";
    case Step::kWriteTemp: return "write temp";
    case Step::kSyncTemp: return "sync temp";
    case Step::kCloseTemp: return "close temp";
    case Step::kReplaceList: return "replace list";
  }
  return "?";
}

// A list of several write buffers, so a rewrite makes several reads and writes.
std::string BigList() {
  std::string list;
  for (int i = 0; list.size() < 3 * hostlist::detail::kIoBufferBytes; ++i) {
    list += "host" + std::to_string(i) + ",alias " + std::to_string(i) + ",127.0.0.1\r\n";
  }
  return list;
}

const HostEntry kNewEntry = MakeEntry("00a0b1c2d3e4", "new host");
const std::string kNewLine = "00a0b1c2d3e4,new host,127.0.0.1\r\n";

TEST(HostListFailure, TemporaryFileThatCannotBeCreated) {
  const std::optional<std::string> lists[] = {std::nullopt, "112233445566,b,127.0.0.1\r\n"s};
  for (const auto& list : lists) {
    const char* which = list ? "existing list" : "no list";
    {
      // Works as root too: no permission bit is involved.
      ScratchDirectory dir;
      if (list) WriteBytes("MacList.txt", *list);
      ASSERT_EQ(mkdir("MacTemp.txt", 0755), 0);
      EXPECT_NE(hostlist::StoreHostEntry(kNewEntry), 0) << "MacTemp.txt is a directory, " << which;
      EXPECT_EQ(ReadBytes("MacList.txt"), list) << "MacTemp.txt is a directory, " << which;
      if (list) {
        EXPECT_NE(hostlist::RemoveHostEntry(kNewEntry), 0) << "remove, " << which;
      }
    }
    {
      ScratchDirectory dir;
      if (list) WriteBytes("MacList.txt", *list);
      ScopedStepHook hook([](Step step) { return step == Step::kCreateTemp ? StepAction::kFail : StepAction::kProceed; });
      EXPECT_NE(hostlist::StoreHostEntry(kNewEntry), 0) << "creation fails, " << which;
      EXPECT_EQ(ReadBytes("MacList.txt"), list) << "creation fails, " << which;
      EXPECT_FALSE(Exists("MacTemp.txt")) << "creation fails, " << which;
    }
  }
}

TEST(HostListFailure, DirectoryWithoutWritePermission) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes into any directory; covered by the other cases";
  ScratchDirectory dir;
  WriteBytes("MacList.txt", "112233445566,b,127.0.0.1\r\n");
  ASSERT_EQ(chmod(".", 0555), 0);
  EXPECT_NE(hostlist::StoreHostEntry(kNewEntry), 0);
  EXPECT_EQ(ReadBytes("MacList.txt"), "112233445566,b,127.0.0.1\r\n"s);
  chmod(".", 0755);
}

// Lowers the largest file this process may write, as a full disk would; restores it on exit.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    m_oldHandler = signal(SIGXFSZ, SIG_IGN);  // the write must fail, not kill the process
    getrlimit(RLIMIT_FSIZE, &m_old);
    rlimit lowered = m_old;
    lowered.rlim_cur = bytes;
    m_ok = setrlimit(RLIMIT_FSIZE, &lowered) == 0;
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &m_old);
    signal(SIGXFSZ, m_oldHandler);
  }
  bool ok() const { return m_ok; }

 private:
  rlimit m_old{};
  void (*m_oldHandler)(int) = nullptr;
  bool m_ok = false;
};

TEST(HostListFailure, DiskFullWhileWritingTheTemporaryFile) {
  ScratchDirectory dir;
  const std::string before = BigList();
  WriteBytes("MacList.txt", before);
  int result = 0;
  {
    FileSizeLimit limit(hostlist::detail::kIoBufferBytes);
    ASSERT_TRUE(limit.ok());
    result = hostlist::StoreHostEntry(kNewEntry);
  }
  EXPECT_NE(result, 0);
  EXPECT_TRUE(ReadBytes("MacList.txt") == before);
  EXPECT_FALSE(Exists("MacTemp.txt")) << "an incomplete copy is removed";
}

TEST(HostListFailure, EachFailedStepLeavesTheListAsItWas) {
  const std::string before = BigList();
  const Step steps[] = {Step::kReadList, Step::kCreateTemp, Step::kWriteTemp, Step::kSyncTemp, Step::kCloseTemp};
  for (const Step failing : steps) {
    for (const bool store : {true, false}) {
      ScratchDirectory dir;
      WriteBytes("MacList.txt", before);
      ScopedStepHook hook([&](Step step) { return step == failing ? StepAction::kFail : StepAction::kProceed; });
      const int result = store ? hostlist::StoreHostEntry(kNewEntry) : hostlist::RemoveHostEntry(MakeEntry("host7", ""));
      const std::string what = std::string(store ? "store" : "remove") + ", failing step: " + StepName(failing);
      EXPECT_NE(result, 0) << what;
      EXPECT_TRUE(ReadBytes("MacList.txt") == before) << what;
      EXPECT_FALSE(Exists("MacTemp.txt")) << what;
    }
  }
}

TEST(HostListFailure, ReplaceThatFailsKeepsTheOldListAndTheNewCopy) {
  const std::string before = "112233445566,b,127.0.0.1\r\n";
  {
    ScratchDirectory dir;
    WriteBytes("MacList.txt", before);
    {
      ScopedStepHook hook([](Step step) { return step == Step::kReplaceList ? StepAction::kFail : StepAction::kProceed; });
      EXPECT_NE(hostlist::StoreHostEntry(kNewEntry), 0) << "replace step fails";
    }
    EXPECT_EQ(ReadBytes("MacList.txt"), before) << "replace step fails";
    EXPECT_EQ(ReadBytes("MacTemp.txt"), before + kNewLine) << "replace step fails";
    EXPECT_EQ(hostlist::StoreHostEntry(kNewEntry), 0) << "the next store after a failed replace";
    EXPECT_EQ(ReadBytes("MacList.txt"), before + kNewLine) << "the next store after a failed replace";
    EXPECT_FALSE(Exists("MacTemp.txt")) << "the next store after a failed replace";
  }
  {
    ScratchDirectory dir;
    WriteBytes("MacList.txt", before);
    ASSERT_EQ(chmod("MacList.txt", 0444), 0);
    EXPECT_NE(hostlist::StoreHostEntry(kNewEntry), 0) << "read-only list, store";
    EXPECT_NE(hostlist::RemoveHostEntry(MakeEntry("112233445566", "")), 0) << "read-only list, remove";
    EXPECT_EQ(ReadBytes("MacList.txt"), before) << "read-only list";
    ASSERT_EQ(chmod("MacList.txt", 0644), 0);
    EXPECT_EQ(hostlist::StoreHostEntry(kNewEntry), 0) << "writable again";
    EXPECT_EQ(ReadBytes("MacList.txt"), before + kNewLine) << "writable again";
  }
}

TEST(HostListFailure, ListThatCannotBeReadIsNeverReplaced) {
  ScratchDirectory dir;
  ASSERT_EQ(mkdir("MacList.txt", 0755), 0);
  ASSERT_EQ(mkdir("MacList.txt/inside", 0755), 0);
  EXPECT_NE(hostlist::StoreHostEntry(kNewEntry), 0) << "store";
  EXPECT_NE(hostlist::RemoveHostEntry(kNewEntry), 0) << "remove";
  EXPECT_TRUE(Exists("MacList.txt/inside"));
  EXPECT_FALSE(Exists("MacTemp.txt"));
}

TEST(HostListFailure, RemoveWithoutAListCreatesNothing) {
  ScratchDirectory dir;
  EXPECT_EQ(hostlist::RemoveHostEntry(kNewEntry), 0);
  EXPECT_FALSE(Exists("MacList.txt"));
  EXPECT_FALSE(Exists("MacTemp.txt"));
}

TEST(HostListFailure, PermissionsOfTheListSurviveARewrite) {
  ScratchDirectory dir;
  WriteBytes("MacList.txt", "112233445566,b,127.0.0.1\r\n");
  ASSERT_EQ(chmod("MacList.txt", 0600), 0);
  ASSERT_EQ(hostlist::StoreHostEntry(kNewEntry), 0);
  struct stat status;
  ASSERT_EQ(stat("MacList.txt", &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0600u);
}

TEST(HostListFailure, LeftoverOrLinkedTemporaryFileIsNeverWrittenThrough) {
  ScratchDirectory dir;
  WriteBytes("other.txt", "precious\r\n");
  ASSERT_EQ(symlink("other.txt", "MacTemp.txt"), 0);
  EXPECT_EQ(hostlist::StoreHostEntry(kNewEntry), 0);
  EXPECT_EQ(ReadBytes("other.txt"), "precious\r\n"s);
  EXPECT_EQ(ReadBytes("MacList.txt"), kNewLine);
}

// Stops a rewrite at its n-th step, for n = 1, 2, ... until one runs through, and checks that
// the directory then holds the complete old list or the complete new one.
struct CrashCase {
  const char* name;
  std::optional<std::string> before;
  std::function<int()> operation;
};

TEST(HostListFailure, CrashAtAnyStepLeavesTheOldOrTheNewList) {
  const std::string big = BigList();
  const CrashCase cases[] = {
      {"store replacing a line", big + kNewLine + big, [] { return hostlist::StoreHostEntry(MakeEntry("00a0b1c2d3e4", "x")); }},
      {"store appending", big, [] { return hostlist::StoreHostEntry(kNewEntry); }},
      {"store without a list", std::nullopt, [] { return hostlist::StoreHostEntry(kNewEntry); }},
      {"remove", big, [] { return hostlist::RemoveHostEntry(MakeEntry("host9", "")); }},
  };
  for (const CrashCase& c : cases) {
    std::optional<std::string> after;
    {
      ScratchDirectory dir;
      if (c.before) WriteBytes("MacList.txt", *c.before);
      ASSERT_EQ(c.operation(), 0) << c.name;
      after = ReadBytes("MacList.txt");
      ASSERT_NE(after, c.before) << c.name;
    }
    std::set<Step> crashedAt;
    for (int crashAt = 1;; ++crashAt) {
      ScratchDirectory dir;
      if (c.before) WriteBytes("MacList.txt", *c.before);
      int calls = 0;
      bool crashed = false;
      {
        ScopedStepHook hook([&](Step step) {
          if (++calls != crashAt) return StepAction::kProceed;
          crashed = true;
          crashedAt.insert(step);
          return StepAction::kCrash;
        });
        c.operation();
      }
      const auto list = ReadBytes("MacList.txt");
      EXPECT_TRUE(list == c.before || list == after) << c.name << ", crash at step " << crashAt;
      if (!crashed) {
        EXPECT_TRUE(list == after) << c.name << ": the uncrashed run";
        break;
      }
      // The next run after the crash completes the change.
      ASSERT_EQ(c.operation(), 0) << c.name << ", rerun after crash at step " << crashAt;
      EXPECT_TRUE(ReadBytes("MacList.txt") == after) << c.name << ", rerun after crash at step " << crashAt;
      EXPECT_FALSE(Exists("MacTemp.txt")) << c.name << ", rerun after crash at step " << crashAt;
      ASSERT_LT(crashAt, 100) << c.name;
    }
    const std::set<Step> expectedSteps = c.before
        ? std::set<Step>{Step::kReadList, Step::kCreateTemp, Step::kWriteTemp, Step::kSyncTemp, Step::kCloseTemp, Step::kReplaceList}
        : std::set<Step>{Step::kCreateTemp, Step::kWriteTemp, Step::kSyncTemp, Step::kCloseTemp, Step::kReplaceList};
    EXPECT_EQ(crashedAt, expectedSteps) << c.name;
  }
}

TEST(HostListConcurrency, StoresAndRemovesFromSeveralThreadsLoseNothing) {
  ScratchDirectory dir;
  constexpr int kThreads = 4;
  constexpr int kPerThread = 30;
  const auto mac = [](int thread, int i) { return "t" + std::to_string(thread) + "h" + std::to_string(i); };
  std::vector<std::thread> threads;
  std::vector<int> failures(kThreads, 0);
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kPerThread; ++i) {
        if (hostlist::StoreHostEntry(MakeEntry(mac(t, i), "alias " + mac(t, i))) != 0) ++failures[t];
        // Every third one goes again, once the next is in.
        if (i % 3 == 1 && hostlist::RemoveHostEntry(MakeEntry(mac(t, i - 1), "")) != 0) ++failures[t];
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(failures[t], 0) << "thread " << t;

  std::multiset<std::string> expected;
  for (int t = 0; t < kThreads; ++t) {
    for (int i = 0; i < kPerThread; ++i) {
      if (i % 3 != 0 || i + 1 >= kPerThread) expected.insert(mac(t, i) + ",alias " + mac(t, i) + ",127.0.0.1");
    }
  }
  std::multiset<std::string> lines;
  const std::string file = ReadBytes("MacList.txt").value_or("");
  for (size_t start = 0; start < file.size();) {
    const size_t end = file.find("\r\n", start);
    ASSERT_NE(end, std::string::npos) << "a line without its CR LF";
    lines.insert(file.substr(start, end - start));
    start = end + 2;
  }
  EXPECT_EQ(lines, expected);
  EXPECT_FALSE(Exists("MacTemp.txt"));
}

}  // namespace
