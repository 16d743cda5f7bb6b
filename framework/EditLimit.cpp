// What a user's action puts into a field becomes by the field's filter, and how much of it its byte limit lets stay.
#include "framework/EditLimit.h"

#include <algorithm>

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
                Filter filter, size_t maxBytes, CharBytes bytes) {
  if (proposed == before) return Decision();
  const Change change = FindChange(before, proposed, selStart, selEnd);
  const std::u16string inserted = proposed.substr(change.start, change.inserted);
  const Filtered filtered = filter != nullptr ? filter(inserted) : Filtered{inserted, false};
  Decision decision{false, change.start, change.removed, std::u16string(), filtered.refused};
  if (!filtered.refused) {
    // The limit counts the converted text, in place of what the action inserted.
    const Change conversion{change.start, change.removed, filtered.text.size()};
    const std::u16string after = ReplaceSelection(before, change.start, change.start + change.removed, filtered.text);
    decision.insert = filtered.text.substr(0, KeptUnits(after, conversion, maxBytes, bytes));
    decision.asProposed = decision.insert == inserted;
  }
  return decision;
}

}  // namespace editlimit
