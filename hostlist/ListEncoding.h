// Internal to the host list: telling a MacList.txt saved as UTF-8 from one in the ANSI code page, and converting its lines.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace hostlist::detail {

// Watches a file's lines go by, in order and without their line ends, and tells whether the
// file is UTF-8: its first line begins with the byte-order mark EF BB BF, or every byte is part of
// a valid UTF-8 sequence and at least one sequence is longer than a byte. A file of ASCII alone is
// not UTF-8: it reads the same either way.
class Utf8Watch {
 public:
  void See(std::string_view line);
  // True when the lines seen so far are UTF-8 and no later line can change that (the mark).
  bool SurelyUtf8() const { return m_mark; }
  // What the lines seen so far are, taken as the whole file.
  bool IsUtf8() const { return m_mark || (m_valid && m_multiByte); }

 private:
  bool m_first = true;
  bool m_mark = false;
  bool m_valid = true;
  bool m_multiByte = false;
};

// text, UTF-8, in the ANSI code page (code page 932 off Windows). Each character the code page
// lacks becomes "?", and so does each byte that is not part of a valid UTF-8 sequence.
std::string AnsiFromUtf8(std::string_view text);

// A line of a UTF-8 file in the ANSI code page; the first line loses its byte-order mark.
std::string AnsiLineFromUtf8(std::string_view line, bool firstLine);

// When lines are a whole file that is UTF-8 (as Utf8Watch tells), converts each of them with
// AnsiLineFromUtf8 and returns true; otherwise leaves them as they are and returns false.
bool ConvertUtf8List(std::vector<std::string>& lines);

}  // namespace hostlist::detail
