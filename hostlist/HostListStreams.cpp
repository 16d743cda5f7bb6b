// Buffered line reading and writing for the host list files.
#include "hostlist/HostListStreams.h"

#include <algorithm>
#include <cstring>

namespace hostlist::detail {
namespace {

Outcome OutcomeOf(bool succeeded) { return succeeded ? Outcome::kOk : Outcome::kFailed; }

}  // namespace

LineReader::LineReader(io::InputFile& file) : m_file(file), m_buffer(kIoBufferBytes) {}

bool LineReader::Fill() {
  const long long count = m_file.Read(m_buffer.data(), m_buffer.size());
  if (count < 0) return false;
  m_pos = 0;
  m_end = static_cast<size_t>(count);
  m_atEnd = count == 0;
  return true;
}

LineStatus LineReader::Next(std::string& line) {
  line.clear();
  bool sawBytes = false;
  bool tooLong = false;
  for (;;) {
    if (m_pos == m_end) {
      if (m_atEnd) break;
      if (!Fill()) return LineStatus::kFailed;
      continue;
    }
    const char* start = m_buffer.data() + m_pos;
    const size_t available = m_end - m_pos;
    const char* lineFeed = static_cast<const char*>(std::memchr(start, '\n', available));
    const size_t take = lineFeed ? static_cast<size_t>(lineFeed - start) : available;
    if (!tooLong && line.size() + take > kMaxLineBytes) {
      // Keep scanning for its end, but never hold more of it.
      tooLong = true;
      std::string().swap(line);
    }
    if (!tooLong) line.append(start, take);
    sawBytes = true;
    m_pos += take;
    if (lineFeed) {
      ++m_pos;
      if (tooLong) return LineStatus::kTooLong;
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return LineStatus::kLine;
    }
  }
  if (!sawBytes) return LineStatus::kEnd;
  // A last line without a line end: a CR at its very end is its own byte, not half a CR LF.
  return tooLong ? LineStatus::kTooLong : LineStatus::kLine;
}

BufferedWriter::BufferedWriter(io::OutputFile& file) : m_file(file), m_buffer(kIoBufferBytes) {}

Outcome BufferedWriter::Flush() {
  if (m_outcome != Outcome::kOk || m_used == 0) return m_outcome;
  m_outcome = OutcomeOf(m_file.Write(m_buffer.data(), m_used));
  m_used = 0;
  return m_outcome;
}

Outcome BufferedWriter::Append(std::string_view data) {
  while (m_outcome == Outcome::kOk && !data.empty()) {
    const size_t room = m_buffer.size() - m_used;
    const size_t take = std::min(room, data.size());
    std::memcpy(m_buffer.data() + m_used, data.data(), take);
    m_used += take;
    data.remove_prefix(take);
    if (m_used == m_buffer.size()) Flush();
  }
  return m_outcome;
}

Outcome BufferedWriter::Finish() {
  if (Flush() != Outcome::kOk) return m_outcome;
  m_outcome = OutcomeOf(m_file.Sync() && m_file.Close());
  return m_outcome;
}

}  // namespace hostlist::detail
