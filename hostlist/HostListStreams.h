// Buffered line reading and writing for the host list files, one system call per buffer.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "hostlist/HostFileIo.h"
#include "hostlist/HostListSteps.h"

namespace hostlist::detail {

enum class Outcome { kOk, kFailed };

enum class LineStatus {
  kLine,     // line holds the next line
  kEnd,      // no more lines
  kTooLong,  // the next line was longer than kMaxLineBytes; it has been passed over
  kFailed,   // a read failed
};

// Splits a file into lines at LF. A line is returned without its LF and without the CR of a
// CR LF, so "\r\n" and "\n" both end a line; a lone CR is an ordinary byte. Bytes after the last
// LF make a last line of their own.
class LineReader {
 public:
  explicit LineReader(io::InputFile& file);
  LineStatus Next(std::string& line);

 private:
  bool Fill();

  io::InputFile& m_file;
  std::vector<char> m_buffer;
  size_t m_pos = 0;
  size_t m_end = 0;
  bool m_atEnd = false;
};

// Collects output in one buffer and writes it when full. The first failure sticks: every later
// call returns it.
class BufferedWriter {
 public:
  explicit BufferedWriter(io::OutputFile& file);
  Outcome Append(std::string_view data);
  // Writes what is left, flushes the file to the disk and closes it.
  Outcome Finish();

 private:
  Outcome Flush();

  io::OutputFile& m_file;
  std::vector<char> m_buffer;
  size_t m_used = 0;
  Outcome m_outcome = Outcome::kOk;
};

}  // namespace hostlist::detail
