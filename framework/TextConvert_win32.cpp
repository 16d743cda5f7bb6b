// Conversions between narrow code-page text and UTF-16.
#include "framework/TextConvert.h"

#include "framework/Platform.h"

std::wstring WideFromCodePage(const std::string& text, unsigned codePage) {
  const int size = static_cast<int>(text.size());
  const int length = text.empty() ? 0 : MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  if (length > 0) MultiByteToWideChar(codePage, 0, text.data(), size, &wide[0], length);
  return wide;
}

std::string CodePageFromWide(const std::wstring& text, unsigned codePage) {
  const int size = static_cast<int>(text.size());
  const int length =
      text.empty() ? 0 : WideCharToMultiByte(codePage, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<size_t>(length), '\0');
  if (length > 0) WideCharToMultiByte(codePage, 0, text.data(), size, &narrow[0], length, nullptr, nullptr);
  return narrow;
}
