// Measures, for each face named on the command line, the dialog's labels as a dialog in that font would draw them.
//
//   dialog_font_fit.exe LABELS_FILE FACE...
//
// LABELS_FILE holds one label a line in UTF-8: its box width in dialog units, a tab, its text.
// A face is made as a 9-point, weight-400, SHIFTJIS_CHARSET font, as the dialog template asks;
// the dialog units become pixels with that font's base units, computed as the dialog manager
// does (the average width of the 52 Latin letters, the font's height). Prints one line a face:
//   face <tab> face-got <tab> base-x <tab> base-y { <tab> text-px/box-px }
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Label {
  int widthDlu;
  std::wstring text;
};

std::wstring Widen(const std::string& utf8) {
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], length);
  return wide;
}

std::string Narrow(const std::wstring& wide) {
  const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &narrow[0], length, nullptr, nullptr);
  return narrow;
}

int TextWidth(HDC dc, const std::wstring& text) {
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  return size.cx;
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv == nullptr || argc < 3) {
    std::printf("usage: dialog_font_fit LABELS_FILE FACE...\n");
    return 2;
  }
  std::ifstream file(argv[1]);
  std::vector<Label> labels;
  for (std::string line; std::getline(file, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t tab = line.find('\t');
    if (tab == std::string::npos) continue;
    labels.push_back({std::stoi(line.substr(0, tab)), Widen(line.substr(tab + 1))});
  }
  if (labels.empty()) {
    std::printf("no labels in the file\n");
    return 2;
  }

  HDC dc = CreateCompatibleDC(nullptr);
  const int height = -MulDiv(9, GetDeviceCaps(dc, LOGPIXELSY), 72);
  for (int i = 2; i < argc; ++i) {
    HFONT font = CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY, FF_DONTCARE, argv[i]);
    HGDIOBJ previous = SelectObject(dc, font);
    wchar_t got[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, got);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    const int baseX = (TextWidth(dc, L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") / 26 + 1) / 2;
    std::ostringstream out;
    out << Narrow(argv[i]) << '\t' << Narrow(got) << '\t' << baseX << '\t' << metrics.tmHeight;
    for (const Label& label : labels)
      out << '\t' << TextWidth(dc, label.text) << '/' << MulDiv(label.widthDlu, baseX, 4);
    std::printf("%s\n", out.str().c_str());
    SelectObject(dc, previous);
    DeleteObject(font);
  }
  DeleteDC(dc);
  LocalFree(argv);
  return 0;
}
