// The Japanese resources as the program carries them: both dialog templates control by control (each edit right after the label that names it), icon 128, the manifest; their texts fit at any dpi.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <string>
#include <tuple>
#include <vector>

#include "framework/Platform.h"
#include "framework/TextConvert.h"
#include "framework/WinApp.h"
#include "res/resource.h"
#include "tests/win/MainWindowFixture.h"

#include <commctrl.h>

namespace {

struct Control {
  int id;
  std::wstring cls;   // upper case; predefined classes by name
  std::wstring text;  // "#n" for a resource ordinal
  short x, y, cx, cy;
  DWORD style;
  bool operator==(const Control& o) const {
    return std::tie(id, cls, text, x, y, cx, cy, style) == std::tie(o.id, o.cls, o.text, o.x, o.y, o.cx, o.cy, o.style);
  }
};

std::ostream& operator<<(std::ostream& out, const Control& c) {
  std::string cls(c.cls.begin(), c.cls.end());
  return out << "{id " << c.id << ", " << cls << ", " << c.x << "," << c.y << "," << c.cx << "," << c.cy << ", style 0x"
             << std::hex << c.style << std::dec << ", text of " << c.text.size() << " characters}";
}

struct Template {
  DWORD style = 0, exStyle = 0;
  short cx = 0, cy = 0;
  std::wstring caption, font;
  WORD pointSize = 0, weight = 0;
  BYTE italic = 0, charset = 0;
  std::vector<Control> controls;
};

class Reader {
 public:
  explicit Reader(const BYTE* p) : m_p(p), m_start(p) {}
  WORD Word() { WORD v; std::memcpy(&v, m_p, 2); m_p += 2; return v; }
  DWORD Dword() { DWORD v; std::memcpy(&v, m_p, 4); m_p += 4; return v; }
  BYTE Byte() { return *m_p++; }
  std::wstring String() {
    std::wstring s;
    for (WORD c = Word(); c != 0; c = Word()) s += static_cast<wchar_t>(c);
    return s;
  }
  std::wstring StringOrOrdinal() {
    WORD first;
    std::memcpy(&first, m_p, 2);
    if (first == 0xFFFF) {
      Word();
      return L"#" + std::to_wstring(Word());
    }
    return String();
  }
  void AlignDword() { while ((m_p - m_start) % 4 != 0) ++m_p; }
  void Skip(size_t n) { m_p += n; }

 private:
  const BYTE* m_p;
  const BYTE* m_start;
};

std::wstring ClassName(const std::wstring& raw) {
  static const wchar_t* const predefined[] = {L"BUTTON", L"EDIT", L"STATIC", L"LISTBOX", L"SCROLLBAR", L"COMBOBOX"};
  if (raw.size() > 1 && raw[0] == L'#') {
    const int ordinal = std::stoi(raw.substr(1));
    if (ordinal >= 0x80 && ordinal <= 0x85) return predefined[ordinal - 0x80];
  }
  std::wstring upper = raw;
  for (wchar_t& c : upper) c = static_cast<wchar_t>(std::towupper(c));
  return upper;
}

bool LoadTemplate(int id, Template& out) {
  HRSRC found = ::FindResourceExW(AfxGetResourceHandle(), MAKEINTRESOURCEW(5) /* RT_DIALOG */, MAKEINTRESOURCEW(id),
                                  MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT));
  if (found == nullptr) return false;
  const auto* data = static_cast<const BYTE*>(::LockResource(::LoadResource(AfxGetResourceHandle(), found)));
  Reader r(data);
  if (r.Word() != 1 || r.Word() != 0xFFFF) return false;  // DIALOGEX
  r.Dword();                                              // help id
  out.exStyle = r.Dword();
  out.style = r.Dword();
  const WORD count = r.Word();
  r.Skip(4);  // x, y
  out.cx = static_cast<short>(r.Word());
  out.cy = static_cast<short>(r.Word());
  r.StringOrOrdinal();  // menu
  r.StringOrOrdinal();  // class
  out.caption = r.String();
  if (out.style & DS_SETFONT) {
    out.pointSize = r.Word();
    out.weight = r.Word();
    out.italic = r.Byte();
    out.charset = r.Byte();
    out.font = r.String();
  }
  for (WORD i = 0; i < count; ++i) {
    r.AlignDword();
    Control c{};
    r.Skip(8);  // help id, extended style
    c.style = r.Dword();
    c.x = static_cast<short>(r.Word());
    c.y = static_cast<short>(r.Word());
    c.cx = static_cast<short>(r.Word());
    c.cy = static_cast<short>(r.Word());
    c.id = static_cast<int>(r.Dword());
    c.cls = ClassName(r.StringOrOrdinal());
    c.text = r.StringOrOrdinal();
    r.Skip(r.Word());
    out.controls.push_back(c);
  }
  return true;
}

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kEdit = kChild | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kButton = kChild | WS_TABSTOP;
constexpr DWORD kLabel = kChild | WS_GROUP | SS_LEFT;

TEST(DialogTemplates, MainWindowIsTemplate102AsTheUserKnowsIt) {
  Template t;
  ASSERT_TRUE(LoadTemplate(IDD_KESTRIN_DIALOG, t)) << "Japanese DIALOGEX 102";
  EXPECT_EQ(t.style, static_cast<DWORD>(WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX |
                                        DS_MODALFRAME | DS_SETFONT));
  EXPECT_EQ(t.exStyle, static_cast<DWORD>(WS_EX_APPWINDOW));
  EXPECT_EQ(t.cx, 279);
  EXPECT_EQ(t.cy, 209);
  EXPECT_EQ(t.caption, L"Kestrin");
  EXPECT_EQ(t.font, L"MS UI Gothic");
  EXPECT_EQ(t.pointSize, 9);
  EXPECT_EQ(t.weight, 400);
  EXPECT_EQ(t.italic, 0);
  EXPECT_EQ(t.charset, SHIFTJIS_CHARSET);
  // Each edit right after its label: screen readers name an edit by the static text before it.
  const std::vector<Control> expected = {
      {-1, L"STATIC", L"\uff25\uff54\uff48\uff45\uff52\uff4e\uff45\uff54 \u30a2\u30c9\u30ec\u30b9", 7, 11, 70, 8,
       kLabel},  // Ｅｔｈｅｒｎｅｔ アドレス
      {1002, L"EDIT", L"", 77, 8, 81, 14, kEdit},
      {-1, L"STATIC", L"\u5225\u540d\uff08\u30b3\u30e1\u30f3\u30c8\u306a\u3069\uff09", 7, 28, 70, 8, kLabel},
      {1003, L"EDIT", L"", 77, 25, 81, 14, kEdit},
      {-1, L"STATIC", L"IP Broadcast Address", 7, 45, 70, 8, kLabel},
      {1007, L"EDIT", L"", 77, 42, 81, 14, kEdit},
      {1004, L"BUTTON", L"\u8ffd\u52a0\uff0f\u4fee\u6b63", 223, 7, 50, 25, kButton},  // 追加／修正
      {1001, L"SYSLISTVIEW32", L"", 7, 61, 209, 141, kChild | WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_ALIGNLEFT},
      {1005, L"BUTTON", L"\u8d77\u52d5", 222, 73, 50, 23, kButton},                            // 起動
      {1006, L"BUTTON", L"\u524a\u9664", 222, 137, 50, 14, kButton},                           // 削除
      {1008, L"BUTTON", L"\u30a2\u30a4\u30b3\u30f3", 222, 155, 50, 14, kButton},               // アイコン
      {2, L"BUTTON", L"\u7d42\u4e86", 222, 186, 50, 16, kButton},                              // 終了
      {-1, L"STATIC", L"Ex. 00a0b1c2d3e4", 161, 11, 58, 8, kLabel},
      {-1, L"STATIC", L"Ex. Web \u30b5\u30fc\u30d0\u30fc", 161, 28, 58, 8, kLabel},
      {-1, L"STATIC", L"Ex. 192.168.10.255", 161, 45, 58, 8, kLabel},
      {1010, L"BUTTON", L"\u81ea\u52d5\u53d6\u5f97", 222, 35, 50, 14, kButton},  // 自動取得
      {1009, L"MSCTLS_PROGRESS32", L"", 223, 35, 49, 14, WS_CHILD | PBS_SMOOTH},  // hidden, no tab stop
  };
  ASSERT_EQ(t.controls.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(t.controls[i], expected[i]) << "control " << i;
}

TEST(DialogTemplates, AboutBoxIsTemplate100) {
  Template t;
  ASSERT_TRUE(LoadTemplate(IDD_ABOUTBOX, t)) << "Japanese DIALOGEX 100";
  EXPECT_EQ(t.style, static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT));
  EXPECT_EQ(t.cx, 235);
  EXPECT_EQ(t.cy, 55);
  EXPECT_EQ(t.font, L"MS UI Gothic");
  EXPECT_EQ(t.pointSize, 9);
  EXPECT_EQ(t.weight, 0);
  EXPECT_EQ(t.charset, DEFAULT_CHARSET);
  ASSERT_EQ(t.controls.size(), 4u);
  EXPECT_EQ(t.controls[0], (Control{-1, L"STATIC", L"#128", 11, 17, 20, 20, kChild | SS_ICON}));
  EXPECT_EQ(t.controls[1], (Control{-1, L"STATIC", L"Kestrin Version 0.71", 40, 10, 119, 8,
                                    kChild | WS_GROUP | SS_NOPREFIX}));
  EXPECT_EQ(t.controls[2].style, kLabel);
  EXPECT_FALSE(t.controls[2].text.empty());
  EXPECT_EQ(t.controls[3], (Control{IDOK, L"BUTTON", L"OK", 178, 7, 50, 16,
                                    kChild | WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON}));
}

// The About item's text and the box's caption are the main window's About test's.
TEST(DialogTemplates, ProgramIconImages) {
  HRSRC group = ::FindResourceExW(AfxGetResourceHandle(), MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */,
                                  MAKEINTRESOURCEW(IDR_MAINFRAME), MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT));
  ASSERT_NE(group, nullptr);
  const auto* dir = static_cast<const BYTE*>(::LockResource(::LoadResource(AfxGetResourceHandle(), group)));
  WORD images;
  std::memcpy(&images, dir + 4, 2);
  // Windows picks the image nearest the size it needs: larger ones keep high-dpi desks sharp.
  std::vector<std::vector<int>> found;  // width, height, bits per pixel
  for (WORD i = 0; i < images; ++i) {
    const BYTE* entry = dir + 6 + 14 * i;
    WORD bitCount;
    std::memcpy(&bitCount, entry + 6, 2);
    found.push_back({entry[0] == 0 ? 256 : entry[0], entry[1] == 0 ? 256 : entry[1], bitCount});
  }
  EXPECT_EQ(found, (std::vector<std::vector<int>>{{32, 32, 8}, {48, 48, 32}, {256, 256, 32}}))
      << "32 x 32 in 256 colours first, then 48 and 256 pixels";
}

// The manifest of the Kestrin.exe built beside this program: the one Windows reads at its start.
TEST(DialogTemplates, BuiltProgramDeclaresDpiAwarenessAndTheWindowsItSupports) {
  wchar_t self[MAX_PATH] = L"";
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring program = self;
  program = program.substr(0, program.find_last_of(L'\\') + 1) + L"Kestrin.exe";
  HMODULE image = ::LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(image, nullptr) << "Kestrin.exe beside the tests";
  HRSRC found = ::FindResourceExW(image, MAKEINTRESOURCEW(24) /* RT_MANIFEST */, MAKEINTRESOURCEW(1),
                                  MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT));
  std::string manifest;
  if (found != nullptr) {
    manifest.assign(static_cast<const char*>(::LockResource(::LoadResource(image, found))), ::SizeofResource(image, found));
  }
  ::FreeLibrary(image);
  ASSERT_FALSE(manifest.empty()) << "manifest 1";
  const char* const expected[] = {
      "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true</dpiAware>",
      "<supportedOS Id=\"{e2011457-1546-43c5-a5fe-008deee3d3f0}\"/>",  // Vista
      "<supportedOS Id=\"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}\"/>",  // 7
      "<supportedOS Id=\"{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}\"/>",  // 8
      "<supportedOS Id=\"{1f676c76-80e1-4239-95bb-83d0f6d0da78}\"/>",  // 8.1
      "<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>",  // 10 and 11
      "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
  };
  for (const char* entry : expected) EXPECT_NE(manifest.find(entry), std::string::npos) << entry;
}

INT_PTR CALLBACK InertDialogProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

// Each static's and button's text, in the control's own font, against the control's client width.
void ExpectTextsFit(HWND dialog, const char* which, int dpi) {
  for (HWND child = ::GetWindow(dialog, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
    wchar_t cls[32] = L"";
    ::GetClassNameW(child, cls, 32);
    const std::wstring name = ClassName(cls);
    const LONG style = ::GetWindowLongW(child, GWL_STYLE);
    if (name == L"STATIC" && (style & SS_TYPEMASK) == SS_ICON) continue;
    if (name != L"STATIC" && name != L"BUTTON") continue;
    wchar_t text[128] = L"";
    const int length = ::GetWindowTextW(child, text, 128);
    if (length == 0) continue;
    HDC dc = ::GetDC(child);
    const HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(child, WM_GETFONT, 0, 0)));
    SIZE extent{};
    ::GetTextExtentPoint32W(dc, text, length, &extent);
    ::SelectObject(dc, old);
    ::ReleaseDC(child, dc);
    RECT client;
    ::GetClientRect(child, &client);
    EXPECT_LE(extent.cx, client.right) << which << ": " << CodePageFromWide(text, CP_UTF8) << " at " << dpi << " dpi";
  }
}

using DialogTextTest = mainwindow::MainWindowTest;

TEST_F(DialogTextTest, EveryStaticAndButtonTextFitsItsControlAtAnyDpi) {
  // Wine has no MS UI Gothic; only the dpi runs set up a stand-in of its widths.
  if (std::getenv("KESTRIN_DPI") == nullptr) GTEST_SKIP() << "measured in the dpi runs of scripts/test.sh";
  const int dpi = mainwindow::RunDpi();
  CKestrinDlg dlg;
  Run(dlg, [&](HWND hDlg) {
    ExpectTextsFit(hDlg, "main window", dpi);
    HWND about = ::CreateDialogParamW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDD_ABOUTBOX), hDlg, InertDialogProc, 0);
    ASSERT_NE(about, nullptr);
    ExpectTextsFit(about, "About box", dpi);
    ::DestroyWindow(about);
  });
}

}  // namespace
