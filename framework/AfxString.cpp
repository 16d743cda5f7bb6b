// CString's searches and trims, character by character in the ANSI code page.
#include "framework/AfxString.h"

#include <algorithm>
#include <cstring>

#include "framework/Mbcs.h"

namespace {

bool IsWhiteSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

size_t ClampIndex(int index, size_t size) {
  if (index < 0) return 0;
  return std::min(static_cast<size_t>(index), size);
}

}  // namespace

int CString::Find(char ch, int start) const {
  const char needle[2] = {ch, '\0'};
  return Find(needle, start);
}

int CString::Find(const char* sub, int start) const {
  const size_t from = ClampIndex(start, m_text.size());
  // Embedded zero bytes end the text for this search, as they would for the C library.
  const char* base = m_text.c_str();
  if (std::strlen(base) < from) return -1;
  const char* found = mbcs::FindSubstring(base + from, sub);
  return found ? static_cast<int>(found - base) : -1;
}

CString CString::Left(int count) const {
  return CString(m_text.substr(0, ClampIndex(count, m_text.size())));
}

CString CString::Mid(int first) const {
  return CString(m_text.substr(ClampIndex(first, m_text.size())));
}

CString& CString::TrimRight() {
  // Walk forward so a trail byte that looks like white space is never mistaken for it.
  size_t keep = 0;
  size_t pos = 0;
  const char* text = m_text.c_str();
  while (pos < m_text.size()) {
    const size_t step = std::max<size_t>(1, mbcs::CharLength(text + pos));
    if (!(step == 1 && IsWhiteSpace(text[pos]))) keep = pos + step;
    pos += step;
  }
  m_text.resize(std::min(keep, m_text.size()));
  return *this;
}

CString& CString::TrimLeft() {
  size_t pos = 0;
  while (pos < m_text.size() && IsWhiteSpace(m_text[pos])) ++pos;
  m_text.erase(0, pos);
  return *this;
}
