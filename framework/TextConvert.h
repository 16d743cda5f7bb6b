// Conversions between narrow code-page text and the wide text of the Windows "W" functions.
#pragma once
#ifdef _WIN32
#include <string>

// Text in codePage (932 for the program's own texts, CP_ACP for host texts) as UTF-16.
std::wstring WideFromCodePage(const std::string& text, unsigned codePage);
// UTF-16 as text in codePage; characters it cannot hold become the code page's default character.
std::string CodePageFromWide(const std::wstring& text, unsigned codePage);
#endif
