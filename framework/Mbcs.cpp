// Character-wise handling of narrow text in the ANSI code page.
#include "framework/Mbcs.h"

#ifdef _WIN32
#include "framework/Platform.h"
#endif

namespace mbcs {

bool IsLeadByte(unsigned char c) {
#ifdef _WIN32
  return IsDBCSLeadByte(c) != FALSE;
#else
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
#endif
}

size_t WholeCharLength(const char* text, size_t length) {
  if (length == 0) return 0;
  if (!IsLeadByte(static_cast<unsigned char>(text[0]))) return 1;
  if (length < 2 || text[1] == '\0') return 0;
#ifdef _WIN32
  wchar_t wide[2];
  return MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text, 2, wide, 2) == 1 ? 2 : 0;
#else
  const unsigned char trail = static_cast<unsigned char>(text[1]);
  return ((trail >= 0x40 && trail <= 0x7E) || (trail >= 0x80 && trail <= 0xFC)) ? 2 : 0;
#endif
}

size_t CharLength(const char* text, size_t length) {
  if (length == 0) return 0;
  return IsLeadByte(static_cast<unsigned char>(text[0])) && length > 1 ? 2 : 1;
}

size_t FitPrefix(const char* text, size_t length, size_t maxBytes) {
  size_t kept = 0;
  while (kept < length) {
    const size_t step = CharLength(text + kept, length - kept);
    if (kept + step > maxBytes) break;
    kept += step;
  }
  return kept;
}

}  // namespace mbcs
