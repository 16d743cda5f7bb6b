// Cutting a cell text from its end until it fits its column together with "...".
#include "app/FitText.h"

#include <algorithm>
#include <cstring>

const char* FitTextToWidth(const char* text, int columnWidth, int margin, const TextMeasurer& measure, char* buffer,
                           size_t bufferSize) {
  const size_t length = std::strlen(text);
  if (length == 0) return text;
  if (measure.Width(text, static_cast<int>(length)) + margin <= columnWidth) return text;

  static const char kDots[] = "...";
  const int dotsWidth = measure.Width(kDots, 3);
  const size_t room = bufferSize - sizeof kDots;  // bytes of text that fit beside "..." and the terminator
  size_t kept = std::min(length - 1, room);
  while (kept > 1 && measure.Width(text, static_cast<int>(kept)) + margin + dotsWidth > columnWidth) --kept;
  if (kept == 0) kept = 1;  // a one-byte text that does not fit still shows its byte
  std::memcpy(buffer, text, kept);
  std::memcpy(buffer + kept, kDots, sizeof kDots);
  return buffer;
}
