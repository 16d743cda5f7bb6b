// Shortening cell texts to their column width, with a fake measurer: ASCII 6 px, '.' 3 px, double-byte 10 px (5 per byte).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "app/FitText.h"

namespace {

class FakeMeasurer : public TextMeasurer {
 public:
  int Width(const char* text, int length) const override {
    longest = std::max(longest, length);
    int width = 0;
    for (int i = 0; i < length; ++i) {
      const auto c = static_cast<unsigned char>(text[i]);
      if (c >= 0x80) {
        width += (i + 1 < length) ? 10 : 5;  // a double-byte character, or its lead byte alone
        ++i;
      } else {
        width += c == '.' ? 3 : 6;
      }
    }
    return width;
  }
  mutable int longest = 0;
};

const char kServer[] = "\x83\x54\x81\x5b\x83\x6f";  // サーバ: three double-byte characters, 30 px

struct Case {
  const char* name;
  std::string text;
  int columnWidth;
  int margin;
  bool shortened;
  std::string shown;
};

TEST(FitTextToWidth, Table) {
  const std::vector<Case> cases = {
      {"empty text is never shortened", "", 0, 4, false, ""},
      {"exact fit with margin 4", "abc", 22, 4, false, "abc"},
      {"one pixel short: cut down to one byte", "abc", 21, 4, true, "a..."},
      {"one byte that does not fit keeps its byte", "a", 5, 4, true, "a..."},
      {"nothing fits at all: still one byte", "abcdef", 1, 4, true, "a..."},
      {"margin 4 fits where margin 12 does not", "abcdef", 40, 4, false, "abcdef"},
      {"margin 12: the longest prefix that fits with the dots", "abcdef", 40, 12, true, "abc..."},
      {"prefix width plus margin plus dots exactly the column", "abcdef", 39, 12, true, "abc..."},
      {"one pixel less drops one more byte", "abcdef", 38, 12, true, "ab..."},
      {"double-byte text fits whole", kServer, 34, 4, false, kServer},
      {"double-byte text cut byte by byte: a lead byte may stay alone", kServer, 30, 4, true,
       std::string("\x83\x54\x81") + "..."},
      {"double-byte text cut at a character edge when that is what fits", kServer, 33, 4, true,
       std::string("\x83\x54\x81\x5b") + "..."},
  };
  for (const Case& c : cases) {
    FakeMeasurer measure;
    char buffer[kFitTextBufferSize];
    std::memset(buffer, 'X', sizeof buffer);
    const char* result = FitTextToWidth(c.text.c_str(), c.columnWidth, c.margin, measure, buffer, sizeof buffer);
    EXPECT_EQ(result != c.text.c_str(), c.shortened) << c.name;
    EXPECT_EQ(std::string(result), c.shown) << c.name;
    EXPECT_LE(measure.longest, static_cast<int>(c.text.size() > 3 ? c.text.size() : 3)) << c.name;
  }
}

// Only the whole text is too wide: every prefix fits, so the longest one the buffer holds is kept.
class OnlyWholeTextTooWide : public TextMeasurer {
 public:
  explicit OnlyWholeTextTooWide(int length) : m_length(length) {}
  int Width(const char*, int length) const override { return length >= m_length ? 1000000 : 0; }

 private:
  int m_length;
};

TEST(FitTextToWidth, LongTextStaysInsideTheBuffer) {
  struct Size {
    const char* name;
    size_t textLength;
    size_t bufferSize;
  };
  for (const Size& s : {Size{"longest fetched text, shared buffer", 259, kFitTextBufferSize},
                        Size{"text longer than the buffer holds", 1000, kFitTextBufferSize},
                        Size{"smallest buffer", 50, 5}}) {
    const std::string text(s.textLength, 'w');
    std::vector<char> buffer(s.bufferSize + 8, 'X');
    const OnlyWholeTextTooWide measure(static_cast<int>(s.textLength));
    const char* result = FitTextToWidth(text.c_str(), 100, 0, measure, buffer.data(), s.bufferSize);
    ASSERT_NE(result, text.c_str()) << s.name;
    const std::string shown(result);
    const size_t kept = std::min(s.textLength - 1, s.bufferSize - 4);
    EXPECT_EQ(shown.size(), kept + 3) << s.name << ": the longest prefix the room beside the dots holds";
    EXPECT_EQ(shown.substr(shown.size() - 3), "...") << s.name;
    EXPECT_EQ(buffer[s.bufferSize], 'X') << s.name << ": nothing written past the buffer";
  }
}

}  // namespace
