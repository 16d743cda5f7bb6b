// Recognising a MacList.txt saved as UTF-8 and converting its lines: by the system on Windows, by iconv's CP932 elsewhere.
#include "hostlist/ListEncoding.h"

#include <cstdint>
#include <cstring>

#ifdef _WIN32
#include "framework/Platform.h"
#include "framework/TextConvert.h"
#else
#include <iconv.h>

#include <cerrno>
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
    m_multiByte = true;
    at += length;
  }
}

#ifdef _WIN32

std::string AnsiFromUtf8(std::string_view text) {
  // With Windows' beta option for UTF-8 the ANSI code page is UTF-8 itself, which refuses the
  // flags and "?" below: every line would come out empty, and the next rewrite would lose them.
  if (::GetACP() == CP_UTF8) return std::string(text);
  // Bytes that are no UTF-8 come out as U+FFFD, which no ANSI code page holds.
  const std::wstring wide = WideFromCodePage(std::string(text), CP_UTF8);
  if (wide.empty()) return std::string();
  const int size = static_cast<int>(wide.size());
  // No "best fit": a character the code page lacks is "?", not a look-alike.
  const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size, nullptr, 0, "?", nullptr);
  std::string ansi(static_cast<size_t>(length > 0 ? length : 0), '\0');
  if (length > 0) WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size, &ansi[0], length, "?", nullptr);
  return ansi;
}

#else

std::string AnsiFromUtf8(std::string_view text) {
  std::string ansi;
  const iconv_t converter = iconv_open("CP932", "UTF-8");
  if (converter == reinterpret_cast<iconv_t>(-1)) {
    // Without the converter only ASCII is certain.
    for (size_t at = 0; at < text.size();) {
      const size_t length = Utf8SequenceLength(text, at);
      ansi += length == 1 ? text[at] : '?';
      at += length == 0 ? 1 : length;
    }
    return ansi;
  }
  size_t at = 0;
  char buffer[256];
  while (at < text.size()) {
    char* in = const_cast<char*>(text.data() + at);
    size_t inLeft = text.size() - at;
    char* out = buffer;
    size_t outLeft = sizeof buffer;
    const size_t result = iconv(converter, &in, &inLeft, &out, &outLeft);
    const int error = errno;
    ansi.append(buffer, static_cast<size_t>(out - buffer));
    at = static_cast<size_t>(in - text.data());
    if (result != static_cast<size_t>(-1) || error == E2BIG) continue;
    // A character CP932 lacks, or bytes that are no UTF-8: one "?" for each, and on after it.
    const size_t length = Utf8SequenceLength(text, at);
    ansi += '?';
    at += length == 0 ? 1 : length;
  }
  iconv_close(converter);
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
