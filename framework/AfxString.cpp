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

int CString::Find(const char* sub, int start) const {
  // Embedded zero bytes end the text for this search, as they would for the C library.
  const size_t length = std::strlen(m_text.c_str());
  const size_t subLength = std::strlen(sub);
  size_t at = ClampIndex(start, m_text.size());
  if (at > length) return -1;
  for (; at < length; at += mbcs::CharLength(m_text.data() + at, length - at)) {
    if (m_text.compare(at, subLength, sub) == 0) return static_cast<int>(at);
  }
  return subLength == 0 ? static_cast<int>(at) : -1;
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
    const size_t step = mbcs::CharLength(text + pos, m_text.size() - pos);
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
