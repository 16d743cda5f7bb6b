// A fresh folder per test, and the one set of helpers the tests read and write its files with.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>

class ScratchFolder {
 public:
  // <current directory>/<suite>.<test>[.<name>], emptied first and removed with everything in it
  // at the end. The test's own folder (no name) is also the current directory for its lifetime.
  explicit ScratchFolder(const std::string& name = "") {
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    std::string leaf = test ? std::string(test->test_suite_name()) + "." + test->name() : "scratch";
    if (!name.empty()) leaf += "." + name;
    std::replace_if(leaf.begin(), leaf.end(), [](char c) { return c == '/' || c == '\\' || c == ':'; }, '_');
    m_path = std::filesystem::current_path() / leaf;
    Remove();
    std::filesystem::create_directories(m_path);
    if (name.empty()) {
      m_previous = std::filesystem::current_path();
      std::filesystem::current_path(m_path);
    }
  }
  ~ScratchFolder() {
    std::error_code ignored;
    if (!m_previous.empty()) std::filesystem::current_path(m_previous, ignored);
    Remove();
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& path() const { return m_path; }
  // The path as the program's narrow-text calls take it.
  std::string Path() const { return m_path.string(); }

 private:
  // A test may have taken the write permission away (or set read-only) to make a step fail.
  void Remove() const {
    namespace fs = std::filesystem;
    std::error_code ignored;
    fs::permissions(m_path, fs::perms::owner_all, fs::perm_options::add, ignored);
    for (fs::recursive_directory_iterator it(m_path, ignored), end; it != end; it.increment(ignored)) {
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add | fs::perm_options::nofollow, ignored);
    }
    fs::remove_all(m_path, ignored);
  }

  std::filesystem::path m_previous;
  std::filesystem::path m_path;
};

// The file's bytes; nullopt when there is no such file.
inline std::optional<std::string> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// Whether anything (a file, a folder, a link, even a dangling one) has this name.
inline bool Exists(const std::string& path) {
  std::error_code ignored;
  return std::filesystem::exists(std::filesystem::symlink_status(path, ignored));
}

// Replaces the file with exactly these bytes.
inline void WriteBytes(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  EXPECT_TRUE(out.good()) << "cannot write " << path;
}
