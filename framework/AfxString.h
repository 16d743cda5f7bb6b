// CString: the framework's narrow string, over std::string, with the multibyte-aware operations the program uses and its string table.
#pragma once
#include <string>

#include "framework/Platform.h"

class CString {
 public:
  CString() = default;
  CString(const char* text) : m_text(text ? text : "") {}  // NOLINT: converts like the framework's
  CString(const std::string& text) : m_text(text) {}       // NOLINT
  CString(const char* text, int length) : m_text(text, static_cast<size_t>(length)) {}

  int GetLength() const { return static_cast<int>(m_text.size()); }
  operator const char*() const { return m_text.c_str(); }  // NOLINT
  const std::string& str() const { return m_text; }

  // Index of the first occurrence of sub at or after start, counted in bytes; -1 when there is
  // none. It searches character by character, so a match never begins on a trail byte.
  int Find(const char* sub, int start = 0) const;

  // The bytes from first to the end (clamped to the text).
  CString Mid(int first) const;

  // Remove white space (space, tab, line feed, vertical tab, form feed, carriage return)
  // at the end or the start; a double-byte character is never taken apart.
  CString& TrimRight();
  CString& TrimLeft();

  CString& operator=(const char* text) { m_text = text ? text : ""; return *this; }
  friend bool operator==(const CString& a, const CString& b) { return a.m_text == b.m_text; }

#ifdef _WIN32
  // Becomes the string nID of the program's resources, in the ANSI code page. Returns FALSE,
  // leaving the string empty, when there is no such string.
  BOOL LoadString(UINT nID);
#endif

 private:
  std::string m_text;
};

#ifdef _WIN32
// The string id of the program's resources as it is stored, in UTF-16: for the wide functions
// and the one way the program reads its texts. Empty when there is no such string.
std::wstring LoadResourceString(UINT id);
#endif
