// Shared by the host list tests: the rows a load gives, child processes, the list's lines.
#pragma once
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "core/HostEntry.h"
#include "hostlist/HostListFile.h"
#include "tests/support/FakeWaitClock.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestHost.h"

namespace hostlist_test {

// A loaded row as its three texts, each checked to end inside its field.
struct Row {
  std::string mac, alias, broadcast;
  bool operator==(const Row& other) const {
    return mac == other.mac && alias == other.alias && broadcast == other.broadcast;
  }
};

inline std::ostream& operator<<(std::ostream& out, const Row& row) {
  return out << '[' << row.mac << "|" << row.alias << "|" << row.broadcast << ']';
}

template <size_t N>
std::string TerminatedText(const char (&field)[N]) {
  const std::string text = FieldText(field);
  if (text.size() == N) ADD_FAILURE() << "a field of " << N << " bytes has no terminating zero";
  return text;
}

inline std::vector<Row> LoadRows() {
  std::vector<Row> rows;
  hostlist::LoadHostList([&](const HostEntry& entry) {
    rows.push_back({TerminatedText(entry.szMac), TerminatedText(entry.szAlias),
                    TerminatedText(entry.szBroadcast)});
  });
  return rows;
}

// A list of several write buffers, so a rewrite makes several reads and writes: host0, host1, ...
inline std::string BigList() {
  std::string list;
  for (int i = 0; list.size() < 3 * hostlist::detail::kIoBufferBytes; ++i) {
    list += "host" + std::to_string(i) + ",alias " + std::to_string(i) + ",127.0.0.1\r\n";
  }
  return list;
}

// Runs body in a child process, which ends with body's result; returns the child's pid.
inline pid_t ForkChild(const std::function<int()>& body) {
  const pid_t pid = fork();
  if (pid == 0) _exit(body());
  return pid;
}

// The child's exit status, or 128 + the signal that ended it.
inline int WaitChild(pid_t pid) {
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace hostlist_test
