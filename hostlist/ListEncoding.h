// Internal to the host list: telling a MacList.txt saved as UTF-8 from one in the ANSI code page, and converting its lines.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace hostlist::detail {

// Watches a file's lines go by, in order and without their line ends, and tells whether the
// file is UTF-8: its first line begins with the byte-order mark EF BB BF; or every byte is part of
// a valid UTF-8 sequence, at least one sequence is longer than a byte, and every character so read
// exists in the ANSI code page. A file of ASCII alone is not UTF-8: it reads the same either way.
// Short Shift-JIS texts, half-width katakana above all ("ﾅｽ" is C5 BD), are often valid UTF-8
// too, but then read as characters the code page lacks: taking them for UTF-8 would lose them.
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
  bool m_valid = true;  // valid UTF-8 so far, and nothing in it the code page lacks
  bool m_multiByte = false;
};

// text, UTF-8, in the ANSI code page (code page 932 off Windows). Each character the code page
// lacks becomes "?" (a look-alike does not count: "¥" is not "\"), and so does each byte that is
// not part of a valid UTF-8 sequence. *lost, when given, is set to whether any "?" came so.
std::string AnsiFromUtf8(std::string_view text, bool* lost = nullptr);

// A line of a UTF-8 file in the ANSI code page; the first line loses its byte-order mark.
std::string AnsiLineFromUtf8(std::string_view line, bool firstLine);

// When lines are a whole file that is UTF-8 (as Utf8Watch tells), converts each of them with
// AnsiLineFromUtf8 and returns true; otherwise leaves them as they are and returns false.
bool ConvertUtf8List(std::vector<std::string>& lines);

}  // namespace hostlist::detail
