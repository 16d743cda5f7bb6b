// The desktop shortcut's file name, description, arguments and link path, from stored host texts;
// run in the Windows tests too, where the system's code page decides which bytes pair.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/Mbcs.h"
#include "shortcut/ShortcutText.h"
#include "tests/support/TestHost.h"

namespace {

using shortcut::ComposeShortcutTexts;
using shortcut::FileNameSafeText;
using shortcut::ShortcutLinkPath;

// What the caller hands in from the string table; its text is no matter here.
const std::string kStartSuffix = " start";
// "Web サーバー" in code page 932.
const std::string kWebServer = "Web \x83\x54\x81\x5b\x83\x6f\x81\x5b";

std::string Hex(const std::string& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char c : bytes) { hex += digits[c >> 4]; hex += digits[c & 15]; }
  return hex;
}

TEST(ShortcutText, TextsOfAHost) {
  struct Case {
    const char* name;
    std::string mac, alias, broadcast;
    std::string fileName, description, arguments;
  };
  std::string alias63;
  for (int i = 0; i < 31; ++i) alias63 += "\x95\x5c";  // "表" x31: 62 bytes, each trail 0x5C
  alias63 += "x";
  const std::string text31 = "00a0b1c2d3e4-00A0B1C2D3E4-xyzw!";
  const std::string broadcast31 = "255.255.255.255.255.255.255.255";
  const Case cases[] = {
      // The sweep stores hosts without a name: each goes by its address, not all by "Kestrin .lnk".
      {"empty alias, address with colons", "00:a0:b1:c2:d3:e4", "", "127.0.0.1", "\\Kestrin 00_a0_b1_c2_d3_e4.lnk",
       "00:a0:b1:c2:d3:e4" + kStartSuffix, "-e 00:a0:b1:c2:d3:e4 -m 127.0.0.1"},
      {"texts as stored, case and separators kept", "00-A0-b1-C2-d3-E4", "pc", "192.168.010.255",
       "\\Kestrin pc.lnk", "pc" + kStartSuffix, "-e 00-A0-b1-C2-d3-E4 -m 192.168.010.255"},
      // "-m" with nothing after it would open the window instead of waking.
      {"empty broadcast text", "00a0b1c2d3e4", "pc", "", "\\Kestrin pc.lnk", "pc" + kStartSuffix,
       "-e 00a0b1c2d3e4 -m 255.255.255.255"},
      {"blank broadcast text", "00a0b1c2d3e4", "pc", " \t", "\\Kestrin pc.lnk", "pc" + kStartSuffix,
       "-e 00a0b1c2d3e4 -m 255.255.255.255"},
      {"empty hardware-address text", "", "pc", "127.0.0.1", "\\Kestrin pc.lnk",
       "pc" + kStartSuffix, "-e  -m 127.0.0.1"},
      {"longest texts, nothing cut", text31, alias63, broadcast31, "\\Kestrin " + alias63 + ".lnk",
       alias63 + kStartSuffix, "-e " + text31 + " -m " + broadcast31},
  };
  for (const Case& c : cases) {
    const shortcut::ShortcutTexts texts = ComposeShortcutTexts(MakeHost(c.mac, c.alias, c.broadcast), kStartSuffix);
    EXPECT_EQ(Hex(texts.fileName), Hex(c.fileName)) << c.name;
    EXPECT_EQ(Hex(texts.description), Hex(c.description)) << c.name;
    EXPECT_EQ(texts.arguments, c.arguments) << c.name;
  }
}

// Which name a host's shortcut takes, given the names earlier selected hosts took and what the
// desktop holds under its own name.
TEST(ShortcutText, ANameTakenByAnotherHostGivesTheNameWithTheAddress) {
  const std::string ours = "-e 00a0b1c2d3e4 -m 127.0.0.1";
  const std::string none = "<no shortcut>";
  struct Case {
    const char* what;
    std::string alias;
    std::vector<std::string> taken;
    std::string existing;  // the arguments of the desktop's shortcut of that name, or none
    std::string name;
    int reads;
  };
  const Case cases[] = {
      {"name free", "pc", {}, none, "\\Kestrin pc.lnk", 1},
      {"an earlier host took it in other letter case", "pc", {"\\Kestrin x.lnk", "\\Kestrin PC.lnk"}, none,
       "\\Kestrin pc (00a0b1c2d3e4).lnk", 0},
      // 0x83 0x41 and 0x83 0x61 are two katakana, not a letter in two cases.
      {"trail bytes are no letters", "\x83\x41", {"\\Kestrin \x83\x61.lnk"}, none, "\\Kestrin \x83\x41.lnk", 1},
      {"the desktop's shortcut wakes the same host", "pc", {}, ours, "\\Kestrin pc.lnk", 1},
      {"the desktop's shortcut wakes another host", "pc", {}, "-e 112233445566 -m 127.0.0.1",
       "\\Kestrin pc (00a0b1c2d3e4).lnk", 1},
      {"unnamed host, its name taken", "", {"\\Kestrin 00a0b1c2d3e4.lnk"}, none, "\\Kestrin (00a0b1c2d3e4).lnk", 0},
  };
  for (const Case& c : cases) {
    const shortcut::ShortcutTexts texts = ComposeShortcutTexts(MakeHost("00a0b1c2d3e4", c.alias, "127.0.0.1"), kStartSuffix);
    int reads = 0;
    const std::string name = shortcut::ChooseFileName(texts, c.taken, [&](const std::string& asked, std::string* arguments) {
      ++reads;
      EXPECT_EQ(asked, texts.fileName) << c.what;
      if (c.existing == none) return false;
      *arguments = c.existing;
      return true;
    });
    EXPECT_EQ(name, c.name) << c.what;
    EXPECT_EQ(reads, c.reads) << c.what;
  }
}

// No alias leaves the desktop folder or makes a name the system refuses: the prefix keeps "."
// and reserved names from standing alone.
TEST(ShortcutText, FileNameKeepsDoubleByteCharactersWholeAndStaysInItsFolder) {
  std::string forbidden = "\\/:*?\"<>|";
  for (char c = 0x01; c <= 0x1F; ++c) forbidden += c;
  struct Case {
    const char* name;
    std::string alias, safe;
  };
  const Case cases[] = {
      {"each forbidden character", "a" + forbidden + "b", "a" + std::string(forbidden.size(), '_') + "b"},
      {"katakana so, trail 0x5C", "\x83\x5c", "\x83\x5c"},
      {"trail 0x7C is no bar", "\x83\x7c", "\x83\x7c"},
      {"so then a real backslash", "\x83\x5c\\", "\x83\x5c_"},
      {"backslash then so", "\\\x83\x5c", "_\x83\x5c"},
      {"hyo between separators", "/\x95\x5c/", "_\x95\x5c_"},
      {"half-width katakana is single-byte", "\xb1\xb2", "\xb1\xb2"},
      {"lead byte at the end", "ab\x83", "ab_"},
      {"lead byte before a slash", "\x83/", "__"},
      {"lead byte before a blank", "\x83 x", "_ x"},
      {"Japanese alias unchanged", kWebServer, kWebServer},
      {"dot", ".", "."},
      {"two dots", "..", ".."},
      {"a way up", "..\\..\\Windows\\evil", ".._.._Windows_evil"},
      {"a device name", "CON", "CON"},
      {"trailing dots", "trailing dots...", "trailing dots..."},
      {"trailing blanks", "trailing blanks  ", "trailing blanks  "},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Hex(FileNameSafeText(c.alias)), Hex(c.safe)) << c.name;
    EXPECT_EQ(Hex(shortcut::ShortcutFileName(c.alias)), Hex("\\Kestrin " + c.safe + ".lnk")) << c.name;
  }
}

TEST(ShortcutText, LinkPath) {
  const std::string name = "\\Kestrin pc.lnk";  // 15 bytes
  struct Case {
    const char* what;
    std::string folder, path;
  };
  const std::string folder244(244, 'd');  // 244 + 15 = 259 bytes: the longest that fits
  const std::string folder245(245, 'd');
  const Case cases[] = {
      {"shared desktop", "C:\\Users\\Public\\Desktop", "C:\\Users\\Public\\Desktop\\Kestrin pc.lnk"},
      {"drive root gets no second separator", "C:\\", "C:\\Kestrin pc.lnk"},
      {"folder ending in so (trail 0x5C) gets a separator", "C:\\\x83\x5c",
       "C:\\\x83\x5c\\Kestrin pc.lnk"},
      {"no folder", "", ""},
      {"259 bytes fit", folder244, folder244 + name},
      {"260 bytes do not", folder245, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ShortcutLinkPath(c.folder, name), c.path) << c.what;
  }
}

TEST(ShortcutText, WholeCharLength) {
  struct Case {
    const char* what;
    std::string text;
    size_t length;
  };
  const Case cases[] = {
      {"empty", "", 0},          {"ascii", "a", 1},
      {"so", "\x83\x5c", 2},     {"lone lead", "\x83", 0},
      {"lead, slash", "\x83/", 0}, {"half-width katakana", "\xb1", 1},
      {"lead, 0x7F", "\x83\x7f", 0}, {"lead, 0xFC", "\xe0\xfc", 2},
      {"lead, 0xFD", "\xe0\xfd", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(mbcs::WholeCharLength(c.text.data(), c.text.size()), c.length) << c.what;
  }
}

}  // namespace
