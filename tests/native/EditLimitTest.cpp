// Where a user's action changed a field's text, and how much of it a byte limit keeps, with a fake code page:
// ASCII and half-width katakana 1 byte, other characters 2, a surrogate pair 2 and a lone surrogate 1 (its '?');
// and what each field makes of a typed character or a pasted text, by its rule and its limit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "app/EditRules.h"
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
      {"fits exactly", u"0123456789ab", {0, 0, 12}, 12, 12},
      {"ASCII cut at the limit", u"0123456789abcd", {0, 0, 14}, 12, 12},
      {"double-byte never halved", Repeat(a, 40), {0, 0, 40}, 63, 31},
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

// What each field makes of what the user types (one action per character, the caret after what
// went in) or pastes over the selection: its rule, then its limit in bytes.
TEST(EditLimitTest, DecideHoldsEachActionToTheFieldsRuleAndLimit) {
  enum How { kType, kPaste };
  const editlimit::Filter hex = &editrules::HexDigits, half = &editrules::HalfWidth, alias = &editrules::FullWidthComma;
  const std::u16string a = u"\u3042";  // あ
  constexpr size_t kEnd = SIZE_MAX;  // the selection at the end of before
  struct Case {
    const char* name;
    editlimit::Filter filter;
    size_t maxBytes;
    std::u16string before;
    size_t selStart, selEnd;
    How how;
    std::u16string input;
    std::u16string held;
    bool balloon;
    bool wholeAddress = false;  // what the address edit holds then, Add takes
  };
  const std::vector<Case> cases = {
      {"hex: typing stops at the limit", hex, 12, u"", kEnd, kEnd, kType, u"00a0b1c2d3e4ff", u"00a0b1c2d3e4", false, true},
      {"hex: separators and blanks typed are dropped silently, case kept", hex, 12, u"", kEnd, kEnd, kType,
       u"00-A0:b1.C2 d3-e4", u"00A0b1C2d3e4", false, true},
      {"hex: a letter past F typed is refused", hex, 12, u"", kEnd, kEnd, kType, u"g", u"", true},
      {"hex: full-width digits typed go in half-width", hex, 12, u"00", kEnd, kEnd, kType,
       u"\uff21\uff22\uff43\uff44\uff11\uff12", u"00ABcd12", false},
      {"hex: a lone surrogate typed is refused", hex, 12, u"", kEnd, kEnd, kType, u"\xd83d", u"", true},
      {"hex: ipconfig's form with its line end", hex, 12, u"", kEnd, kEnd, kPaste, u" 00-A0-B1-C2-D3-E4\r\n",
       u"00A0B1C2D3E4", false, true},
      {"hex: colons and dots, case kept", hex, 12, u"", kEnd, kEnd, kPaste, u"00:a0:B1.c2d3.e4", u"00a0B1c2d3e4",
       false, true},
      {"hex: full-width, with the ideographic space around it", hex, 12, u"", kEnd, kEnd, kPaste,
       u"\u3000\uff10\uff10\uff0d\uff41\uff10\uff1a\uff22\uff11", u"00a0B1", false},
      {"hex: a full-width paste over a selection, converted then fitted", hex, 12, u"00a0b1c2d3e4", 4, 8,
       kPaste, u"\uff22\uff22\uff0d\uff43\uff43\uff0d\uff44", u"00a0BBccd3e4", false, true},
      {"hex: a blank inside refuses the whole paste", hex, 12, u"00a0", kEnd, kEnd, kPaste, u"b1 c2", u"00a0", true},
      {"hex: any other character refuses the whole paste", hex, 12, u"00a0", kEnd, kEnd, kPaste,
       u"b1\uff71c2", u"00a0", true},
      {"hex: eleven digits are no whole address", hex, 12, u"00a0b1c2d3", kEnd, kEnd, kType, u"e", u"00a0b1c2d3e",
       false},
      {"alias: 31 Japanese characters, then one single-byte, never a 32nd", alias, 63, u"", kEnd, kEnd,
       kType, Repeat(a, 32) + u"x" + u"\u3044", Repeat(a, 31) + u"x", false},
      {"alias: a typed comma becomes full-width", alias, 63, u"", kEnd, kEnd, kType, u"1F,2F",
       u"1F\uff0c2F", false},
      {"alias: every comma pasted, nothing else touched", alias, 63, u"", kEnd, kEnd, kPaste,
       u"1F,2F,\uff11", u"1F\uff0c2F\uff0c\uff11", false},
      {"alias: a pasted comma counts two bytes: one left takes none", alias, 63, std::u16string(62, u'a'),
       kEnd, kEnd, kPaste, u",", std::u16string(62, u'a'), false},
      {"half-width: both ends of the full-width range, \u3002 and the ideographic space", half, 31, u"", kEnd,
       kEnd, kPaste, u"\uff01\uff5e\u3002\u3000\uff00\uff5f\u3001", u"!~. \uff00\uff5f\u3001", false},
      {"half-width: a paste of which nothing fits changes nothing, not even the selection", half, 31,
       u"127.0.0.1" + std::u16string(22, u'0'), 0, 1, kPaste, a, u"127.0.0.1" + std::u16string(22, u'0'), false},
      {"no rule: a paste is only fitted", nullptr, 4, u"", kEnd, kEnd, kPaste, u",\uff10,abc", u",\uff10,", false},
  };
  for (const Case& c : cases) {
    std::u16string held = c.before;
    size_t selStart = std::min(c.selStart, held.size()), selEnd = std::min(c.selEnd, held.size());
    bool balloon = false;
    const std::vector<std::u16string> actions =
        c.how == kPaste ? std::vector<std::u16string>{c.input}
                        : [&] { std::vector<std::u16string> each; for (char16_t ch : c.input) each.emplace_back(1, ch); return each; }();
    for (const std::u16string& input : actions) {
      const std::u16string proposed = editlimit::ReplaceSelection(held, selStart, selEnd, input);
      const editlimit::Decision d =
          editlimit::Decide(held, proposed, selStart, selEnd, c.filter, c.maxBytes, &FakeCp932Bytes);
      balloon = balloon || d.balloon;
      // What the edit holds once it settled the action: the proposed text, before, or before with the replacement.
      if (d.asProposed) {
        held = proposed;
      } else if (!d.insert.empty()) {
        held = editlimit::ReplaceSelection(held, d.start, d.start + d.removed, d.insert);
      }
      if (!d.insert.empty()) selStart = selEnd = d.start + d.insert.size();
    }
    EXPECT_EQ(held, c.held) << c.name;
    EXPECT_EQ(balloon, c.balloon) << c.name;
    if (c.filter == hex) {
      EXPECT_EQ(editrules::IsWholeHardwareAddress(held), c.wholeAddress) << c.name;
    }
  }
}

}  // namespace
