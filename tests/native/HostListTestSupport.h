// Shared by the host list tests: a fresh scratch directory as the current directory, and file helpers.
#pragma once
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/HostEntry.h"
#include "hostlist/HostListFile.h"
#include "hostlist/HostListSteps.h"

namespace hostlist_test {

// Makes a new private directory the current directory for its lifetime, then goes back to where
// the test started and removes the directory with everything in it.
class ScratchDirectory {
 public:
  ScratchDirectory() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/kestrin-hostlist-XXXXXX";
    m_previous = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (mkdtemp(pattern.data()) == nullptr || m_previous < 0 || chdir(pattern.c_str()) != 0) {
      ADD_FAILURE() << "cannot set up the scratch directory " << pattern;
      return;
    }
    m_path = pattern;
  }
  ~ScratchDirectory() {
    if (m_previous >= 0) {
      if (fchdir(m_previous) != 0) ADD_FAILURE() << "cannot return to the starting directory";
      close(m_previous);
    }
    if (!m_path.empty()) {
      std::error_code ignored;
      std::filesystem::permissions(m_path, std::filesystem::perms::owner_all, ignored);
      std::filesystem::remove_all(m_path, ignored);
    }
  }
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;
  const std::string& path() const { return m_path; }

 private:
  std::string m_path;
  int m_previous = -1;
};

// Installs a step hook for the scope, and removes it again.
class ScopedStepHook {
 public:
  explicit ScopedStepHook(hostlist::detail::StepHook hook) { hostlist::detail::SetStepHook(std::move(hook)); }
  ~ScopedStepHook() { hostlist::detail::SetStepHook({}); }
  ScopedStepHook(const ScopedStepHook&) = delete;
  ScopedStepHook& operator=(const ScopedStepHook&) = delete;
};

inline bool Exists(const char* path) {
  struct stat status;
  return lstat(path, &status) == 0;
}

// The file's bytes; nullopt when there is no such file.
inline std::optional<std::string> ReadBytes(const char* path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return std::nullopt;
  std::string bytes(static_cast<size_t>(in.tellg()), '\0');
  in.seekg(0);
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return bytes;
}

inline void WriteBytes(const char* path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(out.good()) << "cannot write " << path;
}

// A record with every byte after the texts set, so nothing may depend on them.
inline HostEntry MakeEntry(std::string_view mac, std::string_view alias,
                           std::string_view broadcast = "127.0.0.1") {
  HostEntry entry;
  std::memset(&entry, 0x5A, sizeof(entry));
  const auto put = [](char* field, size_t size, std::string_view text) {
    const size_t length = std::min(text.size(), size - 1);
    std::memcpy(field, text.data(), length);
    field[length] = '\0';
  };
  put(entry.szMac, sizeof(entry.szMac), mac);
  put(entry.szAlias, sizeof(entry.szAlias), alias);
  put(entry.szBroadcast, sizeof(entry.szBroadcast), broadcast);
  return entry;
}

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

// The list's lines without their CR LF; a last piece without one fails the test.
inline std::vector<std::string> ListLines() {
  std::vector<std::string> lines;
  const std::string file = ReadBytes("MacList.txt").value_or("");
  for (size_t start = 0; start < file.size();) {
    const size_t end = file.find("\r\n", start);
    if (end == std::string::npos) {
      ADD_FAILURE() << "a line without its CR LF: " << file.substr(start);
      break;
    }
    lines.push_back(file.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

}  // namespace hostlist_test
