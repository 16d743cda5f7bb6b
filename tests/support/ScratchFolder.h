// A fresh folder per test under the run's scratch directory, made the current directory for the test's lifetime.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

class ScratchFolder {
 public:
  // <current directory>/<suite>.<test>, emptied first; the previous current directory comes back at the end.
  ScratchFolder() : m_previous(std::filesystem::current_path()) {
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    std::string name = test ? std::string(test->test_suite_name()) + "." + test->name() : "scratch";
    for (char& c : name) {
      if (c == '/' || c == '\\' || c == ':') c = '_';
    }
    m_path = m_previous / name;
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
    std::filesystem::create_directories(m_path);
    std::filesystem::current_path(m_path);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::current_path(m_previous, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& path() const { return m_path; }

  // Writes bytes exactly as given (binary).
  static void WriteFile(const std::string& name, const std::string& bytes) {
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out << bytes;
  }
  // The file's bytes, or "<missing>" when it does not exist.
  static std::string ReadFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    if (!in) return "<missing>";
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  // The file's text with CR LF line ends read as LF, as the program's text-mode reads see it.
  static std::string ReadText(const std::string& name) {
    std::string bytes = ReadFile(name);
    std::string text;
    for (size_t i = 0; i < bytes.size(); ++i) {
      if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
      text += bytes[i];
    }
    return text;
  }

 private:
  std::filesystem::path m_previous;
  std::filesystem::path m_path;
};
