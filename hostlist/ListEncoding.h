// Internal to the host list and its tests: telling a MacList.txt saved as UTF-8 from one in the
// ANSI code page, and bringing its lines into the ANSI code page that every record holds.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace hostlist::detail {

// True when lines (a file's lines, without their line ends) are UTF-8: the first begins with
// the byte-order mark EF BB BF, or every byte is part of a valid UTF-8 sequence and at least one
// sequence is longer than a byte. A file of ASCII alone is not UTF-8: it reads the same either way.
bool IsUtf8List(const std::vector<std::string>& lines);

// text, UTF-8, in the ANSI code page (code page 932 off Windows). Each character the code page
// lacks becomes "?", and so does each byte that is not part of a valid UTF-8 sequence.
std::string AnsiFromUtf8(std::string_view text);

// When lines are UTF-8 (IsUtf8List), converts every one of them to the ANSI code page and drops
// the byte-order mark, and returns true; otherwise leaves them as they are and returns false.
bool ConvertUtf8List(std::vector<std::string>& lines);

}  // namespace hostlist::detail
