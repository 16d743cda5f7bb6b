// Loading MacList.txt: which lines become rows, with which texts, and what odd files do.
#include <sys/stat.h>

#include <string>
#include <vector>

#include "tests/native/HostListTestSupport.h"

namespace {

using namespace std::string_literals;
using hostlist_test::LoadRows;
using hostlist_test::Row;

// Code page 932 characters: "あ", the ideographic space "　", and "表" whose trail byte is '\'.
const std::string kA = "\x82\xA0";
const std::string kWideSpace = "\x81\x40";
const std::string kHyo = "\x95\x5C";

std::string Repeat(const std::string& text, int count) {
  std::string out;
  for (int i = 0; i < count; ++i) out += text;
  return out;
}

std::string AliasLine(const std::string& alias) { return "00a0b1c2d3e4," + alias + ",127.0.0.1\r\n"; }
std::vector<Row> AliasRow(const std::string& alias) { return {{"00a0b1c2d3e4", alias, "127.0.0.1"}}; }

struct LoadCase {
  const char* name;
  std::string file;
  std::vector<Row> rows;
};

TEST(HostListLoad, LinesToRows) {
  const LoadCase cases[] = {
      {"CR LF line with a two-word alias", "00a0b1c2d3e4,my host,127.0.0.1\r\n",
       {{"00a0b1c2d3e4", "my host", "127.0.0.1"}}},
      {"LF-only line end", "00a0b1c2d3e4,a,127.0.0.1\n", {{"00a0b1c2d3e4", "a", "127.0.0.1"}}},
      {"lines with no or one comma add nothing, order kept",
       "112233445566,first,127.0.0.1\r\nno comma\r\n00a0b1c2d3e4,one comma\r\n"
       "aabbccddeeff,last,127.0.0.2\r\n",
       {{"112233445566", "first", "127.0.0.1"}, {"aabbccddeeff", "last", "127.0.0.2"}}},
      {"three commas: the third belongs to the broadcast text", "00a0b1c2d3e4,a,127.0.0.1,x\r\n",
       {{"00a0b1c2d3e4", "a", "127.0.0.1,x"}}},
      {"spaces around address and alias stay, around broadcast go",
       " 00a0b1c2d3e4 , my host , \t\v\f127.0.0.1 \t\v\f\r\n",
       {{" 00a0b1c2d3e4 ", " my host ", "127.0.0.1"}}},
      {"two commas alone", ",,\r\n", {{"", "", ""}}},
      {"no final line end", "112233445566,a,127.0.0.1\r\n00a0b1c2d3e4,b,127.0.0.1",
       {{"112233445566", "a", "127.0.0.1"}, {"00a0b1c2d3e4", "b", "127.0.0.1"}}},
      {"duplicates stay", "00a0b1c2d3e4,a,127.0.0.1\r\n00a0b1c2d3e4,a,127.0.0.1\r\n",
       {{"00a0b1c2d3e4", "a", "127.0.0.1"}, {"00a0b1c2d3e4", "a", "127.0.0.1"}}},
      {"empty file", "", {}},
      {"only a line end", "\r\n", {}},
      {"only line ends of both kinds", "\r\n\n\r\n", {}},
      {"a lone CR does not end a line", "00a0b1c2d3e4,a,127.0.0.1\rbb,c,d\r\n",
       {{"00a0b1c2d3e4", "a", "127.0.0.1\rbb,c,d"}}},
      {"CR CR LF: one CR is text, trimmed from the broadcast", "00a0b1c2d3e4,a\r,127.0.0.1\r\r\n",
       {{"00a0b1c2d3e4", "a\r", "127.0.0.1"}}},
      {"double-byte alias", "00a0b1c2d3e4," + kA + kHyo + "," + "127.0.0.1\r\n",
       {{"00a0b1c2d3e4", kA + kHyo, "127.0.0.1"}}},
      {"a comma after a lead byte is its trail byte, not a separator",
       "00a0b1c2d3e4,\x81,b,127.0.0.1\r\n", {{"00a0b1c2d3e4", "\x81,b", "127.0.0.1"}}},
      {"a double-byte space ends the broadcast text and stays",
       "00a0b1c2d3e4,a, 127.0.0.1" + kWideSpace + " \r\n",
       {{"00a0b1c2d3e4", "a", "127.0.0.1" + kWideSpace}}},
      {"a trail byte that looks like a blank is not trimmed", "00a0b1c2d3e4,a,127.0.0.1\x81 \r\n",
       {{"00a0b1c2d3e4", "a", "127.0.0.1\x81 "}}},
      {"a zero byte ends the text in the record", "00a0\0b1c2d3e4,al\0ias,127.0.0.1\0x\r\n"s,
       {{"00a0", "al", "127.0.0.1"}}},
      {"a zero byte does not hide the commas after it", "\0,\0,\0\r\n"s, {{"", "", ""}}},
      {"texts too long for their fields are cut",
       std::string(40, 'm') + "," + std::string(70, 'a') + "," + std::string(40, 'b') + "\r\n",
       {{std::string(31, 'm'), std::string(63, 'a'), std::string(31, 'b')}}},
      // Lists saved as UTF-8 (Notepad, Excel) come in converted to code page 932; "?" for what it lacks.
      {"UTF-8 with a byte-order mark", "\xEF\xBB\xBF" "00a0b1c2d3e4,Web \xE3\x82\xB5\xE3\x83\xBC,127.0.0.1\r\n",
       {{"00a0b1c2d3e4", "Web \x83\x54\x81\x5B", "127.0.0.1"}}},
      {"the byte-order mark before ASCII alone", "\xEF\xBB\xBF" "00a0b1c2d3e4,a,127.0.0.1\r\n",
       {{"00a0b1c2d3e4", "a", "127.0.0.1"}}},
      {"UTF-8 without the mark, kanji (E4-E9 leads)", "00a0b1c2d3e4,\xE6\xBC\xA2\xE5\xAD\x97,127.0.0.1\r\n",
       {{"00a0b1c2d3e4", "\x8A\xBF\x8E\x9A", "127.0.0.1"}}},
      {"UTF-8 without the mark, full-width letters (EF lead)", "00a0b1c2d3e4,\xEF\xBC\xB0\xEF\xBC\xA3,127.0.0.1\r\n",
       {{"00a0b1c2d3e4", "\x82\x6F\x82\x62", "127.0.0.1"}}},
      // Without the mark a character code page 932 lacks means the bytes were never UTF-8.
      {"valid UTF-8 without the mark, with a character code page 932 lacks, is read as it is",
       "00a0b1c2d3e4,\xE3\x81\x82\xC3\xA9,127.0.0.1\r\n",
       {{"00a0b1c2d3e4", "\xE3\x81\x82\xC3\xA9", "127.0.0.1"}}},
      // Half-width katakana in code page 932 that are also valid UTF-8: Ž, ýİ, and an Arabic letter.
      {"code page 932 \"ﾅｽ\"", "00a0b1c2d3e4,\xC5\xBD,127.0.0.1\r\n", {{"00a0b1c2d3e4", "\xC5\xBD", "127.0.0.1"}}},
      {"code page 932 \"ﾃｽﾄｰ\"", "00a0b1c2d3e4,\xC3\xBD\xC4\xB0,127.0.0.1\r\n",
       {{"00a0b1c2d3e4", "\xC3\xBD\xC4\xB0", "127.0.0.1"}}},
      {"code page 932 \"ﾘｺ\"", "00a0b1c2d3e4,\xD8\xBA,127.0.0.1\r\n", {{"00a0b1c2d3e4", "\xD8\xBA", "127.0.0.1"}}},
      {"code page 932 kanji", "00a0b1c2d3e4,\x8A\xBF\x8E\x9A,127.0.0.1\r\n",
       {{"00a0b1c2d3e4", "\x8A\xBF\x8E\x9A", "127.0.0.1"}}},
      {"UTF-8 \"¥\", which code page 932 holds only as a look-alike, is read as it is",
       "00a0b1c2d3e4,\xC2\xA5,127.0.0.1\r\n", {{"00a0b1c2d3e4", "\xC2\xA5", "127.0.0.1"}}},
      {"with the mark, a character code page 932 lacks is \"?\"",
       "\xEF\xBB\xBF" "00a0b1c2d3e4,\xE3\x81\x82\xC3\xA9,127.0.0.1\r\n", {{"00a0b1c2d3e4", kA + "?", "127.0.0.1"}}},
      // "バ" ends in 0x90, a lead byte of code page 932, which read as such would take the comma.
      {"UTF-8 whose last byte before a comma is a lead byte", "00a0b1c2d3e4,\xE3\x83\x90,127.0.0.1\r\n",
       {{"00a0b1c2d3e4", "\x83\x6F", "127.0.0.1"}}},
      // "ﾃｽ" (C3 BD) happens to be UTF-8, "あ" on the next line is not: the file is code page 932.
      {"code page 932 that looks like UTF-8 only partly",
       "00a0b1c2d3e4,\xC3\xBD,127.0.0.1\r\n112233445566," + kA + ",127.0.0.1\r\n",
       {{"00a0b1c2d3e4", "\xC3\xBD", "127.0.0.1"}, {"112233445566", kA, "127.0.0.1"}}},
      {"a broadcast text cut after the trim", "00a0b1c2d3e4,a,   " + std::string(31, 'b') + "   \r\n",
       {{"00a0b1c2d3e4", "a", std::string(31, 'b')}}},
      // An alias is cut at 63 bytes, never between the two bytes of a character.
      {"31 double-byte (62 bytes) fit", AliasLine(Repeat(kA, 31)), AliasRow(Repeat(kA, 31))},
      {"31 double-byte + 1 ASCII (63 bytes) fit", AliasLine(Repeat(kA, 31) + "x"), AliasRow(Repeat(kA, 31) + "x")},
      {"1 ASCII + 31 double-byte (63 bytes) fit", AliasLine("x" + Repeat(kA, 31)), AliasRow("x" + Repeat(kA, 31))},
      {"32 double-byte (64 bytes) lose the last character", AliasLine(Repeat(kA, 32)), AliasRow(Repeat(kA, 31))},
      {"31 double-byte + 2 ASCII (64 bytes) lose one byte", AliasLine(Repeat(kA, 31) + "xy"),
       AliasRow(Repeat(kA, 31) + "x")},
      {"2 ASCII + 31 double-byte (64 bytes) cannot keep half of the last", AliasLine("xy" + Repeat(kA, 31)),
       AliasRow("xy" + Repeat(kA, 30))},
      {"1 ASCII + 32 double-byte (65 bytes)", AliasLine("x" + Repeat(kA, 32)), AliasRow("x" + Repeat(kA, 31))},
      // Pieces of a fixed-size buffer would turn the tail of each line into rows of their own.
      {"long lines are judged whole",
       std::string(2000000, 'x') + "00a0b1c2d3e4\r\n" + std::string(2000000, 'y') + "00a0b1c2d3e4,bogus,127.0.0.1\r\n" +
           "112233445566," + std::string(2000000 - 30, 'a') + ",127.0.0.1\r\n",
       {{std::string(31, 'y'), "bogus", "127.0.0.1"}, {"112233445566", std::string(63, 'a'), "127.0.0.1"}}},
      {"a line beyond the limit is passed over",
       "112233445566,before,127.0.0.1\r\n00a0b1c2d3e4,a," + std::string(hostlist::detail::kMaxLineBytes, ' ') +
           "x\r\naabbccddeeff,after,127.0.0.1",
       {{"112233445566", "before", "127.0.0.1"}, {"aabbccddeeff", "after", "127.0.0.1"}}},
  };
  for (const LoadCase& c : cases) {
    ScratchFolder dir;
    WriteBytes("MacList.txt", c.file);
    EXPECT_EQ(LoadRows(), c.rows) << "case: " << c.name;
  }
}

TEST(HostListLoad, FilesThatAreNoListLoadNothingAndCreateNothing) {
  {
    ScratchFolder dir;
    EXPECT_TRUE(LoadRows().empty()) << "missing file";
    EXPECT_FALSE(Exists("MacList.txt")) << "missing file";
    EXPECT_FALSE(Exists("MacTemp.txt")) << "missing file";
  }
  {
    ScratchFolder dir;
    ASSERT_EQ(mkdir("MacList.txt", 0755), 0);
    EXPECT_TRUE(LoadRows().empty()) << "a directory named MacList.txt";
  }
  {
    ScratchFolder dir;
    ASSERT_EQ(mkfifo("MacList.txt", 0644), 0);
    EXPECT_TRUE(LoadRows().empty()) << "a FIFO named MacList.txt (must not block)";
  }
}

TEST(HostListLoad, ReadErrorKeepsTheRowsReadBeforeIt) {
  ScratchFolder dir;
  // Enough lines for several read buffers; the second read fails.
  std::string file;
  int lines = 0;
  while (file.size() < 3 * hostlist::detail::kIoBufferBytes) {
    file += "00a0b1c2d3e4,row " + std::to_string(lines++) + ",127.0.0.1\r\n";
  }
  WriteBytes("MacList.txt", file);
  int reads = 0;
  ScopedOverride hook(hostlist::detail::StepHookSeam(), [&](hostlist::detail::Step step) {
    if (step == hostlist::detail::Step::kReadList && ++reads == 2) return hostlist::detail::StepAction::kFail;
    return hostlist::detail::StepAction::kProceed;
  });
  const std::vector<Row> rows = LoadRows();
  EXPECT_GT(rows.size(), 0u);
  EXPECT_LT(rows.size(), static_cast<size_t>(lines));
  for (size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(rows[i].alias, "row " + std::to_string(i));
}

TEST(HostListLoad, RowsMayBeStoredFromTheCallback) {
  ScratchFolder dir;
  WriteBytes("MacList.txt", "00a0b1c2d3e4,a,127.0.0.1\r\n");
  int calls = 0;
  hostlist::LoadHostList([&](const HostEntry& entry) {
    ++calls;
    EXPECT_EQ(hostlist::StoreHostEntry(entry), 0);
  });
  EXPECT_EQ(calls, 1);
  hostlist::LoadHostList({});  // an empty callback is no call
}

}  // namespace
