// Shortening a list cell's text with "..." so that it fits its column; measuring is left to the caller.
#pragma once
#include <cstddef>

// Measures the width, in pixels, of the first length bytes of text.
class TextMeasurer {
 public:
  virtual ~TextMeasurer() = default;
  virtual int Width(const char* text, int length) const = 0;
};

// Room for a 259-byte cell text (the longest a row fetch gives), "..." and the terminator.
constexpr size_t kFitTextBufferSize = 263;

// Returns text itself when it is empty or when its width plus margin is at most columnWidth.
// Otherwise writes into buffer the longest prefix of text, cut byte by byte from its end
// (so a double-byte character may lose its second byte), whose width plus margin plus the
// width of "..." is at most columnWidth, followed by "..." and a terminator, and returns
// buffer. At least one byte is kept even when nothing fits. The prefix is also cut to what
// buffer holds beside "..." and the terminator. Callers tell a shortened text by the pointer
// (result != text). Requires bufferSize >= 5. Allocates nothing.
const char* FitTextToWidth(const char* text, int columnWidth, int margin, const TextMeasurer& measure, char* buffer,
                           size_t bufferSize);
