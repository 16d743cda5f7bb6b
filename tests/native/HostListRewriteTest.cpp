// Storing and removing lines of MacList.txt: which lines change, and that all others keep their bytes.
#include <optional>
#include <string>
#include <vector>

#include "tests/native/HostListTestSupport.h"

namespace {

using namespace std::string_literals;

const char kMac[] = "00a0b1c2d3e4";
const std::string kNewLine = "00a0b1c2d3e4,new host,127.0.0.1\r\n";
// 31 characters "あ" in code page 932: 62 bytes.
const std::string kWideAlias62 = [] {
  std::string text;
  for (int i = 0; i < 31; ++i) text += "\x82\xA0";
  return text;
}();
// Lines of 2,000,000 bytes whose tails would look like lines of this machine if cut in pieces.
const std::string kLongWithComma = std::string(2000000, 'x') + "00a0b1c2d3e4,a,127.0.0.1\r\n";
const std::string kLongNoComma = std::string(2000000, 'y') + "00a0b1c2d3e4\r\n";
const std::string kBigList = hostlist_test::BigList();

struct RewriteCase {
  const char* name;
  std::optional<std::string> before;  // nullopt: no MacList.txt
  HostEntry entry;
  std::optional<std::string> after;   // nullopt: still no MacList.txt
  std::vector<HostEntry> more = {};   // changed after entry, as one action
};

// Runs each case in its own directory twice: a call of one per entry, in turn, and one call of
// many for all of them. Each call must succeed; both runs must give after and leave no MacTemp.txt.
template <size_t N, typename One, typename Many>
void RunRewriteCases(const RewriteCase (&cases)[N], One one, Many many) {
  for (const RewriteCase& c : cases) {
    std::vector<HostEntry> entries = {c.entry};
    entries.insert(entries.end(), c.more.begin(), c.more.end());
    for (const bool atOnce : {false, true}) {
      const std::string name = c.name + std::string(atOnce ? ", all at once" : ", one at a time");
      ScratchFolder dir;
      if (c.before) WriteBytes("MacList.txt", *c.before);
      if (atOnce) {
        EXPECT_EQ(many(entries), 0) << name;
      } else {
        for (const HostEntry& entry : entries) EXPECT_EQ(one(entry), 0) << name;
      }
      EXPECT_EQ(ReadBytes("MacList.txt"), c.after) << name;
      EXPECT_FALSE(Exists("MacTemp.txt")) << name;
    }
  }
}

TEST(HostListStore, ReplacesOrAppends) {
  const HostEntry entry = MakeHost(kMac, "new host");
  const RewriteCase cases[] = {
      {"no list: created with exactly the one line", std::nullopt, entry, kNewLine},
      {"empty list: exactly the one line", ""s, entry, kNewLine},
      {"list of only a line end: kept, line appended", "\r\n"s, entry, "\r\n" + kNewLine},
      {"stored twice: both replaced in place",
       "00a0b1c2d3e4,old,127.0.0.9\r\n112233445566,b,127.0.0.1\r\n00a0b1c2d3e4,older,127.0.0.8\r\n"s,
       entry, kNewLine + "112233445566,b,127.0.0.1\r\n" + kNewLine},
      {"not stored: appended last, others unchanged",
       "112233445566,b,127.0.0.1\r\naabbccddeeff,c,127.0.0.1\r\n"s, entry,
       "112233445566,b,127.0.0.1\r\naabbccddeeff,c,127.0.0.1\r\n" + kNewLine},
      {"upper case, one more digit, a blank or a zero byte make other addresses",
       "00A0B1C2D3E4,upper,1\r\n00a0b1c2d3e45,longer,1\r\n 00a0b1c2d3e4,a,1\r\n00a0b1c2d3e4\0,a,1\r\n"s, entry,
       "00A0B1C2D3E4,upper,1\r\n00a0b1c2d3e45,longer,1\r\n 00a0b1c2d3e4,a,1\r\n00a0b1c2d3e4\0,a,1\r\n"s + kNewLine},
      {"empty address replaces only lines that begin with a comma",
       ",empty,127.0.0.1\r\n00a0b1c2d3e4,a,127.0.0.1\r\nno comma\r\n"s, MakeHost("", "x"),
       ",x,127.0.0.1\r\n00a0b1c2d3e4,a,127.0.0.1\r\nno comma\r\n"},
      {"lines without a comma and with one comma are copied",
       "no comma\r\n00a0b1c2d3e4\r\n00a0b1c2d3e4 one,comma\r\n"s, entry,
       "no comma\r\n00a0b1c2d3e4\r\n00a0b1c2d3e4 one,comma\r\n" + kNewLine},
      {"a matching line with one comma is replaced", "00a0b1c2d3e4,one comma\r\n"s, entry, kNewLine},
      {"LF-only lines are written back with CR LF", "112233445566,b,127.0.0.1\n\n"s, entry,
       "112233445566,b,127.0.0.1\r\n\r\n" + kNewLine},
      {"no final line end: the appended line starts its own line", "112233445566,b,127.0.0.1"s,
       entry, "112233445566,b,127.0.0.1\r\n" + kNewLine},
      {"no final line end on the matching line", "112233445566,b,127.0.0.1\r\n00a0b1c2d3e4,a,x"s,
       entry, "112233445566,b,127.0.0.1\r\n" + kNewLine},
      {"a last line ending in a lone CR keeps it", "112233445566,b,127.0.0.1\r"s, entry,
       "112233445566,b,127.0.0.1\r\r\n" + kNewLine},
      {"lone CRs and zero bytes are copied as they are",
       "11\r22,b\0c,127.0.0.1\r\n\0\r\n"s, entry, "11\r22,b\0c,127.0.0.1\r\n\0\r\n"s + kNewLine},
      {"a comma hidden in a double-byte character does not split the address",
       "00a0b1c2d3e4\x81,x,127.0.0.1\r\n"s, entry, "00a0b1c2d3e4\x81,x,127.0.0.1\r\n" + kNewLine},
      {"an alias with a comma is written unchanged", ""s, MakeHost(kMac, "a,b"),
       "00a0b1c2d3e4,a,b,127.0.0.1\r\n"s},
      {"a double-byte alias of 63 bytes is written whole", ""s,
       MakeHost(kMac, kWideAlias62 + "x"), "00a0b1c2d3e4," + kWideAlias62 + "x,127.0.0.1\r\n"},
      // "バ" and "ü" in UTF-8; バ is 83 6F in code page 932, which lacks ü.
      {"a list saved as UTF-8 is written back whole in the ANSI code page, in order",
       "\xEF\xBB\xBF" "112233445566,\xE3\x83\x90,127.0.0.1\r\nno comma \xC3\xBC\n00a0b1c2d3e4,old\r\n"s, entry,
       "112233445566,\x83\x6F,127.0.0.1\r\nno comma ?\r\n" + kNewLine},
      {"UTF-8 without the mark, found past an ASCII line",
       "112233445566,a,127.0.0.1\r\naabbccddeeff,\xE3\x83\x90,127.0.0.1\r\nno comma\r\n"s, entry,
       "112233445566,a,127.0.0.1\r\naabbccddeeff,\x83\x6F,127.0.0.1\r\nno comma\r\n" + kNewLine},
      {"code page 932 that looks like UTF-8 only at first is copied as it is",
       "aabbccddeeff,\xC3\xBD,127.0.0.1\r\n112233445566,\x82\xA0,127.0.0.1\r\n"s, entry,
       "aabbccddeeff,\xC3\xBD,127.0.0.1\r\n112233445566,\x82\xA0,127.0.0.1\r\n" + kNewLine},
      {"several: one replaced in place, new ones appended in turn; a host given twice keeps the "
       "place of its first line with its last",
       "112233445566,b,127.0.0.1\r\naabbccddeeff,c,127.0.0.1\r\n"s, entry,
       "112233445566,b,127.0.0.1\r\naabbccddeeff,renamed,127.0.0.1\r\n00a0b1c2d3e4,again,127.0.0.1\r\n"
       "0a0b0c0d0e0f,x,127.0.0.1\r\n",
       {MakeHost("aabbccddeeff", "renamed"), MakeHost("0a0b0c0d0e0f", "x"), MakeHost(kMac, "again")}},
      {"several, an address with a comma among them: its line is matched on the text before it",
       ""s, MakeHost("a,b", "x"), "a,y,127.0.0.1\r\na,b,z,127.0.0.1\r\n"s, {MakeHost("a", "y"), MakeHost("a,b", "z")}},
      {"several without a list: created with their lines in turn", std::nullopt, entry,
       kNewLine + "112233445566,b,127.0.0.1\r\n", {MakeHost("112233445566", "b")}},
      {"several on a list saved as UTF-8: converted once", "aabbccddeeff,\xE3\x83\x90,127.0.0.1\r\n"s, entry,
       "aabbccddeeff,\x83\x6F,127.0.0.1\r\n" + kNewLine + "112233445566,b,127.0.0.1\r\n",
       {MakeHost("112233445566", "b")}},
      {"long lines are judged and copied whole", kLongWithComma + kLongNoComma + "00a0b1c2d3e4,old,1\r\n", entry,
       kLongWithComma + kLongNoComma + kNewLine},
      {"many lines keep their order across buffers", kBigList, entry, kBigList + kNewLine},
      {"unterminated fields end at their field size", std::nullopt, [] {
         HostEntry full;
         std::memset(&full, 'z', sizeof(full));
         return full;
       }(), std::string(32, 'z') + "," + std::string(64, 'z') + "," + std::string(32, 'z') + "\r\n"},
  };
  RunRewriteCases(cases, [](const HostEntry& e) { return hostlist::StoreHostEntry(e); },
                  [](const std::vector<HostEntry>& e) { return hostlist::StoreHostEntries(e); });
}

// Alias and name cleaning: what the Add button and the sweep's names become on their way into a
// record, and that the cleaned alias comes back from the file as it went in, on one line.
TEST(HostListStore, CleanedAliasesLoadBackWhole) {
  const std::string kComma = "\x81\x43";  // ，
  const std::string kA = "\x82\xA0";      // あ
  struct Case {
    const char* name;
    std::string raw, stored;
  };
  const Case cases[] = {
      {"half-width commas become full-width", "1F,2F,", "1F" + kComma + "2F" + kComma},
      {"control characters go", "a\tb\r\nc\x1f\x7f\x01" "d\0e"s, "abcde"},
      {"double-byte characters stay whole", kA + "\x95\x5C,", kA + "\x95\x5C" + kComma},
      {"63 bytes fit", std::string(63, 'a'), std::string(63, 'a')},
      {"a lead byte with no partner goes", "pc\x81", "pc"},
      {"a lead byte before a comma or a control character goes", "a\x81,b\x82\n", "a" + kComma + "b"},
      {"a comma in the last byte does not fit", std::string(62, 'a') + ",", std::string(62, 'a')},
      {"the cut keeps whole characters", "bb" + std::string(31, ','),
       "bb" + [&] { std::string s; for (int i = 0; i < 30; ++i) s += kComma; return s; }()},
  };
  for (const Case& c : cases) {
    ScratchFolder dir;
    HostEntry entry = MakeHost(kMac, "");
    CopyTextToField(entry.szAlias, CleanAliasText(c.raw));
    ASSERT_EQ(hostlist::StoreHostEntry(entry), 0) << c.name;
    EXPECT_EQ(hostlist_test::LoadRows(), (std::vector<hostlist_test::Row>{{kMac, c.stored, "127.0.0.1"}})) << c.name;
  }
}

TEST(HostListRemove, DropsTheMachineAndLinesWithoutAComma) {
  const HostEntry entry = MakeHost(kMac, "whatever");
  const RewriteCase cases[] = {
      {"no list: nothing is created", std::nullopt, entry, std::nullopt},
      {"empty list stays empty", ""s, entry, ""s},
      {"only a line end: dropped", "\r\n"s, entry, ""s},
      {"every equal line and every comma-less line go; case differs stays",
       "00a0b1c2d3e4,a,127.0.0.1\r\nno comma\r\n00A0B1C2D3E4,upper,127.0.0.1\r\n"
       "00a0b1c2d3e4,again,127.0.0.1\r\n\r\n112233445566,one comma\r\n"s,
       entry, "00A0B1C2D3E4,upper,127.0.0.1\r\n112233445566,one comma\r\n"s},
      {"not stored: the other lines stay, with CR LF",
       "112233445566,b,127.0.0.1\naabbccddeeff,c,127.0.0.1"s, entry,
       "112233445566,b,127.0.0.1\r\naabbccddeeff,c,127.0.0.1\r\n"s},
      {"a matching last line without line end goes", "112233445566,b,127.0.0.1\r\n00a0b1c2d3e4,a,x"s,
       entry, "112233445566,b,127.0.0.1\r\n"s},
      {"a line with a zero byte before its comma stays", "\0,a,127.0.0.1\r\n"s, entry,
       "\0,a,127.0.0.1\r\n"s},
      {"a comma that is a trail byte is no comma", "00a0b1c2d3e4\x81,\r\n"s, entry, ""s},
      {"an empty address removes lines that begin with a comma", ",a,b\r\nx,y,z\r\n"s,
       MakeHost("", "x"), "x,y,z\r\n"s},
      {"several rows, some gone from the file already, one given twice",
       "112233445566,b,127.0.0.1\r\n00a0b1c2d3e4,a,127.0.0.1\r\nno comma\r\naabbccddeeff,c,127.0.0.1\r\n"
       "0a0b0c0d0e0f,d,127.0.0.1\r\n"s,
       entry, "112233445566,b,127.0.0.1\r\n0a0b0c0d0e0f,d,127.0.0.1\r\n"s,
       {MakeHost("aabbccddeeff", ""), MakeHost("ffffffffffff", ""), MakeHost(kMac, ""), MakeHost("eeeeeeeeeeee", "")}},
  };
  RunRewriteCases(cases, [](const HostEntry& e) { return hostlist::RemoveHostEntry(e); },
                  [](const std::vector<HostEntry>& e) { return hostlist::RemoveHostEntries(e); });
}

}  // namespace
