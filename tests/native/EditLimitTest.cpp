// Where a user's action changed a field's text, and how much of it a byte limit keeps, with a fake code page:
// ASCII and half-width katakana 1 byte, other characters 2, a surrogate pair 2 and a lone surrogate 1 (its '?');
// and what each field's rule makes of a typed character or a pasted text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/EditFilter.h"
#include "framework/EditLimit.h"

namespace {

size_t FakeCp932Bytes(const char16_t* text, size_t units) {
  if (units == 2) return 2;
  const char16_t c = text[0];
  if (c < 0x80 || (c >= 0xFF61 && c <= 0xFF9F) || (c >= 0xD800 && c <= 0xDFFF)) return 1;
  return 2;
}

std::u16string Repeat(const std::u16string& text, int count) {
  std::u16string result;
  for (int i = 0; i < count; ++i) result += text;
  return result;
}

const std::u16string kSmile = u"\U0001F600";  // one character, a surrogate pair

TEST(EditLimitTest, FindChangeLocatesWhatTheActionReplaced) {
  struct Case {
    const char* name;
    std::u16string before, after;
    size_t selStart, selEnd;
    editlimit::Change change;
  };
  const std::vector<Case> cases = {
      {"typing at the end", u"abc", u"abcd", 3, 3, {3, 0, 1}},
      {"paste that repeats the text after the caret", u"xy", u"xyzxy", 0, 0, {0, 0, 3}},
      {"paste that repeats the text before the caret", u"xy", u"xyxyz", 2, 2, {2, 0, 3}},
      {"paste over a selection", u"abcdef", u"aXYZdef", 1, 3, {1, 2, 3}},
      {"selection replaced by the same text", u"abc", u"abc", 1, 2, {1, 1, 1}},
      {"undo away from the selection", u"x", u"0123", 1, 1, {0, 1, 4}},
      {"undo inserting before the caret", u"abcd", u"abXYcd", 4, 4, {2, 0, 2}},
      {"backspace", u"abc", u"ab", 3, 3, {2, 1, 0}},
      {"selection past the end is clamped", u"ab", u"abc", 5, 9, {2, 0, 1}},
      {"a pair is never split at the start", u"a" + kSmile, u"a\U0001F601", 0, 0, {1, 2, 2}},
      {"a pair is never split at the end", u"\U0001F300b", u"\U0001F700b", 3, 3, {0, 2, 2}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(editlimit::FindChange(c.before, c.after, c.selStart, c.selEnd), c.change) << c.name;
  }
}

TEST(EditLimitTest, KeptUnitsIsTheLongestStartThatFitsBesideTheRest) {
  const std::u16string a = u"\u3042";  // あ, 2 bytes
  struct Case {
    const char* name;
    std::u16string after;
    editlimit::Change change;
    size_t maxBytes;
    size_t kept;
  };
  const std::vector<Case> cases = {
      {"fits wholly", u"abc", {0, 0, 3}, 12, 3},
      {"fits exactly", u"0123456789ab", {0, 0, 12}, 12, 12},
      {"ASCII cut at the limit", u"0123456789abcd", {0, 0, 14}, 12, 12},
      {"double-byte never halved", Repeat(a, 40), {0, 0, 40}, 63, 31},
      {"one byte left takes a single-byte character", Repeat(a, 31) + u"xy", {31, 0, 2}, 63, 1},
      {"one byte left takes no double-byte character", Repeat(a, 31) + a, {31, 0, 1}, 63, 0},
      {"mixed: cut after the character that still fits", std::u16string(60, u'a') + u"\u65e5x\u672c", {60, 0, 3}, 63, 2},
      {"cut stops at the first character that does not fit", std::u16string(60, u'a') + u"\u65e5\u65e5x", {60, 0, 3}, 63, 1},
      {"half-width katakana count one byte", Repeat(u"\uff71", 13), {0, 0, 13}, 12, 12},
      {"room counted around a change in the middle", u"abXYZcd", {2, 1, 3}, 6, 2},
      {"nothing when the rest is already at the limit", u"0123456789abx", {12, 0, 1}, 12, 0},
      {"nothing when the rest is over the limit", std::u16string(20, u'0') + u"x", {20, 0, 1}, 12, 0},
      {"a deletion keeps its nothing", u"0123456789abcdef", {3, 1, 0}, 12, 0},
      {"a surrogate pair stays whole", u"a" + kSmile, {1, 0, 2}, 2, 0},
      {"a surrogate pair that fits is kept", kSmile + u"b", {0, 0, 3}, 2, 2},
      {"a change past the text's end is clamped", u"ab", {1, 0, 9}, 12, 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(editlimit::KeptUnits(c.after, c.change, c.maxBytes, &FakeCp932Bytes), c.kept) << c.name;
  }
}

TEST(EditLimitTest, RulesConvertOrRefuseWhatIsTypedOrPasted) {
  using editfilter::Rule;
  constexpr bool kTyped = true, kPasted = false;
  struct Case {
    const char* name;
    Rule rule;
    bool typed;  // one character typed, else a paste
    std::u16string input;
    std::u16string result;
    bool refused;
  };
  const std::vector<Case> cases = {
      {"hex: a separator typed is dropped silently", Rule::kHexDigits, kTyped, u":", u"", false},
      {"hex: a letter past F typed is refused", Rule::kHexDigits, kTyped, u"g", u"", true},
      {"hex: a full-width digit typed is refused, not converted", Rule::kHexDigits, kTyped, u"\uff10", u"", true},
      {"hex: a lone surrogate typed is refused", Rule::kHexDigits, kTyped, u"\xd83d", u"", true},
      {"hex: ipconfig's form with its line end", Rule::kHexDigits, kPasted, u" 00-A0-B1-C2-D3-E4\r\n", u"00A0B1C2D3E4", false},
      {"hex: colons and dots, case kept", Rule::kHexDigits, kPasted, u"00:a0:B1.c2d3.e4", u"00a0B1c2d3e4", false},
      {"hex: full-width, with the ideographic space around it", Rule::kHexDigits, kPasted,
       u"\u3000\uff10\uff10\uff0d\uff41\uff10\uff1a\uff22\uff11", u"00a0B1", false},
      {"hex: a blank inside is refused", Rule::kHexDigits, kPasted, u"00 a0", u"", true},
      {"hex: any other character refuses the whole paste", Rule::kHexDigits, kPasted, u"00a0b1c2d3e4x", u"", true},
      {"half-width: both ends of the full-width range, 。 and the ideographic space", Rule::kHalfWidth, kPasted,
       u"\uff01\uff5e\u3002\u3000\uff00\uff5f\u3001", u"!~. \uff00\uff5f\u3001", false},
      {"comma: typed", Rule::kFullWidthComma, kTyped, u",", u"\uff0c", false},
      {"comma: every one pasted, nothing else touched", Rule::kFullWidthComma, kPasted, u"1F,2F,\uff11",
       u"1F\uff0c2F\uff0c\uff11", false},
  };
  for (const Case& c : cases) {
    const editfilter::Filtered filtered =
        c.typed ? editfilter::FilterTyped(c.rule, c.input.at(0)) : editfilter::FilterPasted(c.rule, c.input);
    EXPECT_EQ(filtered.text, c.result) << c.name;
    EXPECT_EQ(filtered.refused, c.refused) << c.name;
  }
}

}  // namespace
