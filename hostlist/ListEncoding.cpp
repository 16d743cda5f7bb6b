// Recognising a MacList.txt saved as UTF-8 and converting its lines: by the system on Windows, by iconv's CP932 elsewhere.
#include "hostlist/ListEncoding.h"

#include <cstdint>
#include <cstring>

#ifdef _WIN32
#include "framework/Platform.h"
#include "framework/TextConvert.h"
#else
#include <iconv.h>
#endif

namespace hostlist::detail {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Length of the valid UTF-8 sequence that starts at text[at], or 0 when none does: no overlong
// forms, no surrogates, nothing past U+10FFFF.
size_t Utf8SequenceLength(std::string_view text, size_t at) {
  const unsigned char c = static_cast<unsigned char>(text[at]);
  if (c < 0x80) return 1;
  size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // bounds of the second byte; later ones are 80-BF
  if (c >= 0xC2 && c <= 0xDF) {
    length = 2;
  } else if (c >= 0xE0 && c <= 0xEF) {
    length = 3;
    if (c == 0xE0) low = 0xA0;
    if (c == 0xED) high = 0x9F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    length = 4;
    if (c == 0xF0) low = 0x90;
    if (c == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (text.size() - at < length) return 0;
  for (size_t i = 1; i < length; ++i) {
    const unsigned char b = static_cast<unsigned char>(text[at + i]);
    if (b < (i == 1 ? low : 0x80) || b > (i == 1 ? high : 0xBF)) return 0;
  }
  return length;
}

}  // namespace

void Utf8Watch::See(std::string_view line) {
  if (m_first && line.substr(0, kByteOrderMark.size()) == kByteOrderMark) m_mark = true;
  m_first = false;
  if (!m_valid) return;
  bool lineMultiByte = false;
  for (size_t at = 0; at < line.size();) {
    // ASCII, nearly every byte of a list, passes eight bytes at a time.
    uint64_t eight;
    if (line.size() - at >= sizeof eight) {
      std::memcpy(&eight, line.data() + at, sizeof eight);
      if ((eight & 0x8080808080808080u) == 0) {
        at += sizeof eight;
        continue;
      }
    }
    if (static_cast<unsigned char>(line[at]) < 0x80) {
      ++at;
      continue;
    }
    const size_t length = Utf8SequenceLength(line, at);
    if (length == 0) {
      m_valid = false;
      return;
    }
    lineMultiByte = true;
    at += length;
  }
  m_multiByte = m_multiByte || lineMultiByte;
  // Only a list without the mark can still turn out to be the code page's own text.
  if (m_mark || !lineMultiByte) return;
  bool lost = false;
  AnsiFromUtf8(line, &lost);
  if (lost) m_valid = false;
}

#ifdef _WIN32

std::string AnsiFromUtf8(std::string_view text, bool* lost) {
  if (lost != nullptr) *lost = false;
  // With Windows' beta option for UTF-8 the ANSI code page is UTF-8 itself, which refuses the
  // flags and "?" below: every line would come out empty, and the next rewrite would lose them.
  if (::GetACP() == CP_UTF8) return std::string(text);
  // Bytes that are no UTF-8 come out as U+FFFD, which no ANSI code page holds.
  const std::wstring wide = WideFromCodePage(std::string(text), CP_UTF8);
  if (wide.empty()) return std::string();
  const int size = static_cast<int>(wide.size());
  // No "best fit": a character the code page lacks is "?", not a look-alike.
  BOOL usedDefault = FALSE;
  const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size, nullptr, 0, "?", nullptr);
  std::string ansi(static_cast<size_t>(length > 0 ? length : 0), '\0');
  if (length > 0) {
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size, &ansi[0], length, "?", &usedDefault);
  }
  if (lost != nullptr) *lost = usedDefault != FALSE;
  return ansi;
}

#else

// iconv's CP932 gives some characters a look-alike ("¥" as "\"), which Windows refuses when
// told WC_NO_BEST_FIT_CHARS: a character counts as held only when it converts back to itself.
std::string AnsiFromUtf8(std::string_view text, bool* lost) {
  if (lost != nullptr) *lost = false;
  std::string ansi;
  const iconv_t toAnsi = iconv_open("CP932", "UTF-8");
  const iconv_t back = iconv_open("UTF-8", "CP932");
  const bool convert = toAnsi != reinterpret_cast<iconv_t>(-1) && back != reinterpret_cast<iconv_t>(-1);
  for (size_t at = 0; at < text.size();) {
    const size_t length = Utf8SequenceLength(text, at);
    if (length == 1) {
      ansi += text[at++];
      continue;
    }
    // Without the converter only ASCII is certain.
    char converted[8];
    size_t convertedLength = 0;
    if (length != 0 && convert) {
      char* in = const_cast<char*>(text.data() + at);
      size_t inLeft = length;
      char* out = converted;
      size_t outLeft = sizeof converted;
      if (iconv(toAnsi, &in, &inLeft, &out, &outLeft) != static_cast<size_t>(-1)) {
        convertedLength = sizeof converted - outLeft;
        char again[8];
        in = converted;
        inLeft = convertedLength;
        out = again;
        outLeft = sizeof again;
        const bool same = iconv(back, &in, &inLeft, &out, &outLeft) != static_cast<size_t>(-1) &&
                          text.substr(at, length) == std::string_view(again, sizeof again - outLeft);
        if (!same) convertedLength = 0;
      }
    }
    if (convertedLength == 0) {
      ansi += '?';
      if (lost != nullptr) *lost = true;
    } else {
      ansi.append(converted, convertedLength);
    }
    at += length == 0 ? 1 : length;
  }
  if (toAnsi != reinterpret_cast<iconv_t>(-1)) iconv_close(toAnsi);
  if (back != reinterpret_cast<iconv_t>(-1)) iconv_close(back);
  return ansi;
}

#endif

std::string AnsiLineFromUtf8(std::string_view line, bool firstLine) {
  if (firstLine && line.substr(0, kByteOrderMark.size()) == kByteOrderMark) line.remove_prefix(kByteOrderMark.size());
  return AnsiFromUtf8(line);
}

bool ConvertUtf8List(std::vector<std::string>& lines) {
  Utf8Watch watch;
  for (const std::string& line : lines) watch.See(line);
  if (!watch.IsUtf8()) return false;
  for (size_t i = 0; i < lines.size(); ++i) lines[i] = AnsiLineFromUtf8(lines[i], i == 0);
  return true;
}

}  // namespace hostlist::detail
