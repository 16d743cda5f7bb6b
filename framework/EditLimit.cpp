// What a user's action puts into a field becomes by the field's rule, and how much of it its byte limit lets stay.
#include "framework/EditLimit.h"

#include <algorithm>

namespace editfilter {
namespace {

bool IsHexDigit(char16_t c) {
  return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f');
}

// What addresses are written with between their digit groups: ipconfig's "-", the ":" of most
// other tools and the "." of groups of four.
bool IsSeparator(char16_t c) { return c == u'-' || c == u':' || c == u'.'; }

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

char16_t HalfWidth(char16_t c) {
  if (c >= 0xFF01 && c <= 0xFF5E) return static_cast<char16_t>(c - 0xFF01 + 0x21);
  if (c == 0x3000) return u' ';
  if (c == 0x3002) return u'.';
  return c;
}

constexpr char16_t kFullWidthComma = 0xFF0C;

// Full-width U+FF01-U+FF5E as U+0021-U+007E, U+3000 as a blank, U+3002 (。) as "."; the rest as it is.
std::u16string ToHalfWidth(const std::u16string& text) {
  std::u16string half(text);
  for (char16_t& c : half) c = HalfWidth(c);
  return half;
}

}  // namespace

Filtered Filter(Rule rule, const std::u16string& text) {
  switch (rule) {
    case Rule::kHexDigits: {
      const std::u16string half = ToHalfWidth(text);
      size_t first = 0, end = half.size();
      while (first < end && IsBlank(half[first])) ++first;
      while (end > first && IsBlank(half[end - 1])) --end;
      std::u16string digits;
      for (size_t i = first; i < end; ++i) {
        if (IsSeparator(half[i])) continue;
        if (!IsHexDigit(half[i])) return {std::u16string(), true};
        digits += half[i];
      }
      return {digits, false};
    }
    case Rule::kHalfWidth:
      return {ToHalfWidth(text), false};
    case Rule::kFullWidthComma: {
      std::u16string converted(text);
      for (char16_t& c : converted) {
        if (c == u',') c = kFullWidthComma;
      }
      return {converted, false};
    }
    case Rule::kAny:
      break;
  }
  return {text, false};
}

}  // namespace editfilter

namespace editlimit {
namespace {

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Units of the character at text[i], within text[0..end): 2 for a whole surrogate pair, else 1.
size_t CharUnits(const std::u16string& text, size_t i, size_t end) {
  return (IsHighSurrogate(text[i]) && i + 1 < end && IsLowSurrogate(text[i + 1])) ? 2 : 1;
}

size_t TextBytes(const std::u16string& text, size_t first, size_t end, CharBytes bytes) {
  size_t total = 0;
  for (size_t i = first; i < end;) {
    const size_t units = CharUnits(text, i, end);
    total += bytes(text.data() + i, units);
    i += units;
  }
  return total;
}

}  // namespace

Change FindChange(const std::u16string& before, const std::u16string& after, size_t selStart, size_t selEnd) {
  selStart = std::min(selStart, before.size());
  selEnd = std::min(std::max(selEnd, selStart), before.size());
  const size_t tail = before.size() - selEnd;
  if (after.size() >= selStart + tail && after.compare(0, selStart, before, 0, selStart) == 0 &&
      after.compare(after.size() - tail, tail, before, selEnd, tail) == 0) {
    return {selStart, selEnd - selStart, after.size() - selStart - tail};
  }
  const size_t shorter = std::min(before.size(), after.size());
  size_t head = 0;
  while (head < shorter && before[head] == after[head]) ++head;
  size_t end = 0;
  while (end < shorter - head && before[before.size() - 1 - end] == after[after.size() - 1 - end]) ++end;
  if (head > 0 && IsHighSurrogate(after[head - 1])) --head;
  if (end > 0 && IsLowSurrogate(after[after.size() - end])) --end;
  return {head, before.size() - head - end, after.size() - head - end};
}

size_t KeptUnits(const std::u16string& after, const Change& change, size_t maxBytes, CharBytes bytes) {
  const size_t first = std::min(change.start, after.size());
  const size_t last = std::min(first + change.inserted, after.size());
  const size_t outside = TextBytes(after, 0, first, bytes) + TextBytes(after, last, after.size(), bytes);
  if (outside >= maxBytes) return 0;
  size_t room = maxBytes - outside;
  size_t kept = first;
  while (kept < last) {
    const size_t units = CharUnits(after, kept, last);
    const size_t need = bytes(after.data() + kept, units);
    if (need > room) break;
    room -= need;
    kept += units;
  }
  return kept - first;
}

std::u16string ReplaceSelection(const std::u16string& before, size_t selStart, size_t selEnd,
                                const std::u16string& insert) {
  selStart = std::min(selStart, before.size());
  selEnd = std::min(std::max(selEnd, selStart), before.size());
  return before.substr(0, selStart) + insert + before.substr(selEnd);
}

Decision Decide(const std::u16string& before, const std::u16string& proposed, size_t selStart, size_t selEnd,
                editfilter::Rule rule, size_t maxBytes, CharBytes bytes) {
  Decision decision;
  decision.held = proposed;
  if (proposed == before) return decision;
  const Change change = FindChange(before, proposed, selStart, selEnd);
  const size_t end = change.start + change.removed;
  const std::u16string inserted = proposed.substr(change.start, change.inserted);
  const editfilter::Filtered filtered = editfilter::Filter(rule, inserted);
  decision.start = change.start;
  decision.removed = change.removed;
  decision.balloon = filtered.refused;
  if (!filtered.refused) {
    Change conversion = change;
    conversion.inserted = filtered.text.size();
    const std::u16string converted = ReplaceSelection(before, change.start, end, filtered.text);
    decision.insert = filtered.text.substr(0, KeptUnits(converted, conversion, maxBytes, bytes));
  }
  decision.asProposed = !filtered.refused && decision.insert == inserted;
  // Nothing of the action stays: not even what it deleted.
  if (!decision.asProposed) decision.held = decision.insert.empty() ? before : ReplaceSelection(before, change.start, end, decision.insert);
  return decision;
}

}  // namespace editlimit
