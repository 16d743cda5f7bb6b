// A second process on the host list for the tests and the race measurement: stores and removes
// its own hosts in the current directory, or holds the list in the middle of a rewrite.
//
//   kestrin_hostlist_writer add   <prefix> <count>   stores <prefix>-0 .. <prefix>-(count-1)
//   kestrin_hostlist_writer churn <prefix> <count>   the same, and removes every third host again
//   kestrin_hostlist_writer stall <milliseconds>     stores host "stall", pausing once its copy
//                                                    has begun (it holds the list then), after
//                                                    creating stalled.flag to say so
// Prints "ok <successes> failed <failures>", then for add and churn one "expect <line>" for each
// line of its own that the list must hold now, by what its calls returned.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "core/HostEntry.h"
#include "hostlist/HostListFile.h"
#include "hostlist/HostListSteps.h"

namespace {

HostEntry Entry(const std::string& mac) {
  HostEntry entry{};
  CopyTextToField(entry.szMac, mac.c_str());
  CopyTextToField(entry.szAlias, ("alias " + mac).c_str());
  CopyTextToField(entry.szBroadcast, "127.0.0.1");
  return entry;
}

std::string LineOf(const std::string& mac) { return mac + ",alias " + mac + ",127.0.0.1"; }

int Stall(int milliseconds) {
  bool paused = false;
  hostlist::detail::SetStepHook([&](hostlist::detail::Step step) {
    if (step == hostlist::detail::Step::kWriteTemp && !paused) {
      paused = true;
      std::ofstream("stalled.flag") << "held\n";
      std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
    return hostlist::detail::StepAction::kProceed;
  });
  const bool ok = hostlist::StoreHostEntry(Entry("stall")) == 0;
  std::printf("ok %d failed %d\n", ok ? 1 : 0, ok ? 0 : 1);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "stall") == 0) return Stall(std::atoi(argv[2]));
  if (argc != 4 || (std::strcmp(argv[1], "add") != 0 && std::strcmp(argv[1], "churn") != 0)) {
    std::fprintf(stderr, "usage: %s add|churn <prefix> <count> | stall <milliseconds>\n", argv[0]);
    return 2;
  }
  const bool churn = std::strcmp(argv[1], "churn") == 0;
  const std::string prefix = argv[2];
  const int count = std::atoi(argv[3]);
  std::vector<bool> inList(static_cast<size_t>(count > 0 ? count : 0), false);
  int ok = 0, failed = 0;
  const auto mac = [&](int i) { return prefix + "-" + std::to_string(i); };
  for (int i = 0; i < count; ++i) {
    // A call that failed changed nothing: what the list must hold follows the successes alone.
    if (hostlist::StoreHostEntry(Entry(mac(i))) == 0) {
      ++ok;
      inList[i] = true;
    } else {
      ++failed;
    }
    if (churn && i % 3 == 1) {
      if (hostlist::RemoveHostEntry(Entry(mac(i - 1))) == 0) {
        ++ok;
        inList[i - 1] = false;
      } else {
        ++failed;
      }
    }
  }
  std::printf("ok %d failed %d\n", ok, failed);
  for (int i = 0; i < count; ++i) {
    if (inList[i]) std::printf("expect %s\n", LineOf(mac(i)).c_str());
  }
  return 0;
}
