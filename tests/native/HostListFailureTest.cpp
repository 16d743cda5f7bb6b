// The host list under failure: unwritable temporary file, read-only list, failed steps, crashes
// at every step of a rewrite, and rewrites from several threads and processes at once.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "tests/native/HostListTestSupport.h"

namespace {

using namespace std::string_literals;
using hostlist::LockWait;
using hostlist::kListBusy;
using hostlist::kNotStored;
using hostlist::kStored;
using hostlist::detail::Step;
using hostlist::detail::StepAction;
using hostlist_test::BigList;
using hostlist_test::ForkChild;
using hostlist_test::WaitChild;

const HostEntry kNewEntry = MakeHost("00a0b1c2d3e4", "new host");
const std::string kNewLine = "00a0b1c2d3e4,new host,127.0.0.1\r\n";

// Every name under the current folder but the lock file, with its bytes ("/" for a folder).
std::map<std::string, std::string> FolderState() {
  std::map<std::string, std::string> state;
  for (const auto& item : std::filesystem::recursive_directory_iterator(".")) {
    if (item.path().filename() == "MacList.lock") continue;
    state[item.path().string()] = item.is_directory() ? "/" : ReadBytes(item.path().string()).value_or("?");
  }
  return state;
}

// Each case puts an obstacle in the way (a folder where a file goes, works as root too), fails a
// step or fills the disk; the refused calls must leave every file as it was.
TEST(HostListFailure, RefusedRewriteLeavesTheFolderAsItWas) {
  const std::string big = BigList();
  struct Case {
    const char* name;
    std::optional<std::string> before;
    std::vector<const char*> folders;  // made first, in turn
    HostEntry entry = MakeHost("host7", "x");
    bool removalRefused = true;  // a removal from no list, or of a line feed, has nothing to write
    std::optional<Step> failing = std::nullopt;
    bool diskFull = false;  // files may grow to one write buffer only
  };
  const Case cases[] = {
      {"temporary file name taken, no list", std::nullopt, {"MacTemp.txt"}, kNewEntry, false},
      {"temporary file name taken", big, {"MacTemp.txt"}},
      {"list that cannot be read", std::nullopt, {"MacList.txt", "MacList.txt/inside"}},
      {"lock file name taken", big, {"MacList.lock"}},
      {"a line beyond the limit", "host7,a," + std::string(hostlist::detail::kMaxLineBytes, 'b') + "\r\n", {}},
      {"line feed in the address", big, {}, MakeHost("00a0\nb1", "a"), false},
      {"line feed in the alias", big, {}, MakeHost("00a0b1c2d3e4", "two\nlines"), false},
      {"line feed in the broadcast", big, {}, MakeHost("00a0b1c2d3e4", "a", "127.0.0.1\n"), false},
      {"read fails", big, {}, MakeHost("host7", "x"), true, Step::kReadList},
      {"create fails", big, {}, MakeHost("host7", "x"), true, Step::kCreateTemp},
      {"write fails", big, {}, MakeHost("host7", "x"), true, Step::kWriteTemp},
      {"sync fails", big, {}, MakeHost("host7", "x"), true, Step::kSyncTemp},
      {"close fails", big, {}, MakeHost("host7", "x"), true, Step::kCloseTemp},
      {"disk full", big, {}, MakeHost("host7", "x"), true, std::nullopt, true},
  };
  for (const Case& c : cases) {
    ScratchFolder dir;
    FakeWaitClock clock;
    if (c.before) WriteBytes("MacList.txt", *c.before);
    for (const char* folder : c.folders) ASSERT_EQ(mkdir(folder, 0755), 0) << c.name;
    ScopedOverride hook(hostlist::detail::StepHookSeam(), [&](Step step) { return step == c.failing ? StepAction::kFail : StepAction::kProceed; });
    const auto state = FolderState();
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit limit = old;
    if (c.diskFull) limit.rlim_cur = hostlist::detail::kIoBufferBytes;
    const auto oldHandler = signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails, as on a full disk
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    EXPECT_EQ(hostlist::StoreHostEntry(c.entry), kNotStored) << c.name;
    EXPECT_EQ(c.removalRefused ? hostlist::RemoveHostEntry(c.entry) : kNotStored, kNotStored) << c.name;
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(FolderState(), state) << c.name;
  }
}

TEST(HostListFailure, ReplaceRefusedIsTriedAgainWhileHeldAndLeavesNoCopyWhenItFails) {
  const std::string before = "112233445566,b,127.0.0.1\r\n";
  struct Case {
    const char* name;
    int refusals;  // replaces held before one proceeds; -1: all of them
    LockWait wait;
    int copyMs;  // how long the copy before the replace takes: the retries share the lock wait's bound
    int expected;
    int waitedMs;  // in all, the copy included
    bool readOnly;  // the list is, which the system refuses to replace for good
  };
  const std::vector<Case> cases = {
      {"held for a moment: three pauses", 3, LockWait::kBounded, 0, kStored, 5 + 10 + 20, false},
      {"held throughout: a second", -1, LockWait::kBounded, 0, kListBusy, 1000, false},
      {"held, the retries end with the lock wait", -1, LockWait::kBounded, 3700, kListBusy, 4000, false},
      {"held, no waiting: one try", -1, LockWait::kTryOnce, 0, kListBusy, 0, false},
      {"read-only list, refused for good: one try", 0, LockWait::kBounded, 0, kNotStored, 0, true},
  };
  for (const Case& c : cases) {
    ScratchFolder dir;
    WriteBytes("MacList.txt", before);
    ASSERT_EQ(c.readOnly ? chmod("MacList.txt", 0444) : 0, 0);
    int replaces = 0;
    int result;
    FakeWaitClock clock;
    {
      ScopedOverride hook(hostlist::detail::StepHookSeam(), [&](Step step) {
        if (step == Step::kWriteTemp) clock.waitedMs += c.copyMs;
        if (step != Step::kReplaceList) return StepAction::kProceed;
        return c.refusals < 0 || replaces++ < c.refusals ? StepAction::kHeld : StepAction::kProceed;
      });
      result = hostlist::StoreHostEntry(kNewEntry, c.wait);
    }
    ASSERT_EQ(c.readOnly ? chmod("MacList.txt", 0644) : 0, 0);
    EXPECT_EQ(result, c.expected) << c.name;
    EXPECT_EQ(clock.waitedMs, c.waitedMs) << c.name;
    EXPECT_EQ(ReadBytes("MacList.txt"), c.expected == kStored ? before + kNewLine : before) << c.name;
    EXPECT_FALSE(Exists("MacTemp.txt")) << c.name;
    EXPECT_EQ(hostlist::StoreHostEntry(kNewEntry), 0) << c.name << ": the next store";
    EXPECT_EQ(ReadBytes("MacList.txt"), before + kNewLine) << c.name << ": the next store";
  }
}

// What a crash leaves: a linked temporary file is never written through, and the lock file alone
// (read-only, even) is no lock. The list's own permissions pass to its rewrite.
TEST(HostListFailure, LeftoversOfACrashNeitherStopAStoreNorAreWrittenThrough) {
  ScratchFolder dir;
  WriteBytes("other.txt", "precious\r\n");
  ASSERT_EQ(symlink("other.txt", "MacTemp.txt"), 0);
  WriteBytes("MacList.lock", "");
  ASSERT_EQ(chmod("MacList.lock", 0444), 0);
  WriteBytes("MacList.txt", "112233445566,b,127.0.0.1\r\n");
  ASSERT_EQ(chmod("MacList.txt", 0600), 0);
  EXPECT_EQ(hostlist::StoreHostEntry(kNewEntry), 0);
  EXPECT_EQ(ReadBytes("other.txt"), "precious\r\n"s);
  EXPECT_EQ(ReadBytes("MacList.txt"), "112233445566,b,127.0.0.1\r\n" + kNewLine);
  struct stat status;
  ASSERT_EQ(stat("MacList.txt", &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0600u);
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
      {"store without a list", std::nullopt, [] { return hostlist::StoreHostEntry(kNewEntry); }},
      {"store of several, one replaced", big + kNewLine,
       [] { return hostlist::StoreHostEntries({MakeHost("host3", "x"), kNewEntry, MakeHost("new", "y")}); }},
      {"remove of several, one gone already", big,
       [] { return hostlist::RemoveHostEntries({MakeHost("host9", ""), kNewEntry, MakeHost("host2000", "")}); }},
  };
  for (const CrashCase& c : cases) {
    std::vector<std::optional<std::string>> crashedLists;  // what each crash left, then the uncrashed run's
    std::set<Step> crashedAt;
    for (int crashAt = 1;; ++crashAt) {
      ScratchFolder dir;
      if (c.before) WriteBytes("MacList.txt", *c.before);
      int calls = 0;
      bool crashed = false;
      {
        ScopedOverride hook(hostlist::detail::StepHookSeam(), [&](Step step) {
          if (++calls != crashAt) return StepAction::kProceed;
          crashed = true;
          crashedAt.insert(step);
          return StepAction::kCrash;
        });
        try { c.operation(); } catch (const hostlist::detail::SimulatedCrash&) {}
      }
      crashedLists.push_back(ReadBytes("MacList.txt"));
      if (!crashed) break;
      // The next run after the crash completes the change.
      ASSERT_EQ(c.operation(), 0) << c.name << ", rerun after crash at step " << crashAt;
      crashedLists.push_back(ReadBytes("MacList.txt"));
      EXPECT_FALSE(Exists("MacTemp.txt")) << c.name << ", rerun after crash at step " << crashAt;
      ASSERT_LT(crashAt, 100) << c.name;
    }
    const std::optional<std::string> after = crashedLists.back();
    ASSERT_NE(after, c.before) << c.name;
    for (size_t i = 0; i < crashedLists.size(); ++i) {
      // Odd ones are reruns, which must complete the change.
      EXPECT_TRUE(crashedLists[i] == after || (i % 2 == 0 && crashedLists[i] == c.before)) << c.name << ", list " << i;
    }
    std::set<Step> expectedSteps = {Step::kReadList, Step::kCreateTemp, Step::kWriteTemp, Step::kSyncTemp, Step::kCloseTemp, Step::kReplaceList};
    if (!c.before) expectedSteps.erase(Step::kReadList);  // nothing to read
    EXPECT_EQ(crashedAt, expectedSteps) << c.name;
  }
}

// Threads in each of several processes store and remove hosts of their own at once; each child
// ends with the number of its calls that failed. Every third host goes again once the next is in.
TEST(HostListConcurrency, ThreadsOfSeveralProcessesStoringAndRemovingAtOnceLoseNothing) {
  ScratchFolder dir;
  const std::string before = BigList();
  WriteBytes("MacList.txt", before);
  constexpr int kProcesses = 2;
  constexpr int kThreads = 2;
  constexpr int kPerThread = 30;
  const auto mac = [](int p, int t, int i) { return "p" + std::to_string(p) + "t" + std::to_string(t) + "h" + std::to_string(i); };
  std::multiset<std::string> expected;
  std::vector<pid_t> children;
  for (int p = 0; p < kProcesses; ++p) {
    for (int t = 0; t < kThreads; ++t) {
      for (int i = 0; i < kPerThread; ++i) {
        if (i % 3 != 0) expected.insert(mac(p, t, i) + ",alias,127.0.0.1\r");  // the others go again
      }
    }
    children.push_back(ForkChild([&, p] {
      std::atomic<int> failures{0};
      std::vector<std::thread> threads;
      for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
          for (int i = 0; i < kPerThread; ++i) {
            failures += hostlist::StoreHostEntry(MakeHost(mac(p, t, i), "alias")) != 0;
            if (i % 3 == 1) failures += hostlist::RemoveHostEntry(MakeHost(mac(p, t, i - 1), "")) != 0;
          }
        });
      }
      for (std::thread& thread : threads) thread.join();
      return failures.load();
    }));
  }
  for (const pid_t child : children) EXPECT_EQ(WaitChild(child), 0) << "every call had the list within the wait";

  const std::string list = ReadBytes("MacList.txt").value_or("");
  ASSERT_EQ(list.compare(0, before.size(), before), 0) << "the earlier lines, in place";
  std::multiset<std::string> added;
  std::istringstream tail(list.substr(before.size()));
  for (std::string line; std::getline(tail, line);) added.insert(line);
  EXPECT_EQ(added, expected);
  EXPECT_EQ(list.back(), '\n');
  EXPECT_FALSE(Exists("MacTemp.txt"));
}

// A child stops in the middle of a rewrite, holding the list, until it is let go on or killed.
struct HeldCase {
  const char* name;
  int releaseAtMs;            // let go on once our waits have slept this long; -1: after our store
  bool killHolder;            // SIGKILL it while it holds the list
  LockWait wait;
  int expected;               // what our store returns
  int minMs, maxMs;           // how long our store's waits slept in all
};

TEST(HostListConcurrency, ListHeldByAnotherProcessIsWaitedForABoundedTime) {
  const HeldCase cases[] = {
      {"released within the wait", 300, false, LockWait::kBounded, kStored, 300, 304},
      {"held past the wait", -1, false, LockWait::kBounded, kListBusy, 4000, 4000},
      {"held, no waiting", -1, false, LockWait::kTryOnce, kListBusy, 0, 0},
      {"holder killed", -1, true, LockWait::kBounded, kStored, 0, 0},
  };
  const std::string before = "112233445566,b,127.0.0.1\r\n";
  for (const HeldCase& c : cases) {
    ScratchFolder dir;
    WriteBytes("MacList.txt", before);
    int held[2], letGo[2];
    ASSERT_TRUE(pipe(held) == 0 && pipe(letGo) == 0);
    const pid_t child = ForkChild([&] {
      bool paused = false;
      char go = 0;
      ScopedOverride hook(hostlist::detail::StepHookSeam(), [&](Step step) {
        if (step == Step::kWriteTemp && !std::exchange(paused, true)) {
          (void)!write(held[1], "h", 1);
          (void)!read(letGo[0], &go, 1);
        }
        return StepAction::kProceed;
      });
      return hostlist::StoreHostEntry(MakeHost("0a0b0c0d0e0f", "theirs"));
    });
    char signal = 0;
    ASSERT_EQ(read(held[0], &signal, 1), 1) << c.name;
    int holderEnd = -1;
    const auto release = [&] {
      if (holderEnd != -1) return;
      if (c.killHolder) kill(child, SIGKILL); else (void)!write(letGo[1], "g", 1);
      holderEnd = WaitChild(child);
    };
    if (c.killHolder) release();
    FakeWaitClock clock;
    clock.afterSleep = [&] { if (c.releaseAtMs >= 0 && clock.waitedMs >= c.releaseAtMs) release(); };
    const int result = hostlist::StoreHostEntry(kNewEntry, c.wait);
    release();
    for (const int end : {held[0], held[1], letGo[0], letGo[1]}) close(end);
    EXPECT_EQ(result, c.expected) << c.name;
    EXPECT_TRUE(clock.waitedMs >= c.minMs && clock.waitedMs <= c.maxMs) << c.name << ": waited " << clock.waitedMs;
    EXPECT_EQ(holderEnd, c.killHolder ? 128 + SIGKILL : 0) << c.name << ": the holder's own store";
    const std::string holderPart = c.killHolder ? "" : "0a0b0c0d0e0f,theirs,127.0.0.1\r\n";
    if (result != kStored) {
      EXPECT_EQ(ReadBytes("MacList.txt"), before + holderPart) << c.name << ": left as the holder put it";
      EXPECT_EQ(hostlist::StoreHostEntry(kNewEntry), 0) << c.name << ": once the holder is done";
    }
    EXPECT_EQ(ReadBytes("MacList.txt"), before + holderPart + kNewLine) << c.name;
    EXPECT_FALSE(Exists("MacTemp.txt")) << c.name;
    EXPECT_TRUE(Exists("MacList.lock")) << c.name << ": the lock file stays, empty";
  }
}

TEST(HostListConcurrency, LockThatCannotBeHadStillLoadsAndNoListLeavesTheFolderEmpty) {
  {
    ScratchFolder dir;
    WriteBytes("MacList.txt", kNewLine);
    ASSERT_EQ(mkdir("MacList.lock", 0755), 0);
    EXPECT_EQ(hostlist_test::LoadRows().size(), 1u) << "a lock that cannot be had: the load reads all the same";
  }
  {
    ScratchFolder dir;
    hostlist_test::LoadRows();
    EXPECT_EQ(hostlist::RemoveHostEntry(kNewEntry), 0);
    EXPECT_TRUE(std::filesystem::is_empty(".")) << "no list: the load and a removal leave the folder empty";
  }
}

}  // namespace
