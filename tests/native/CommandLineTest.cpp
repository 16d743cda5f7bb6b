// How the program starts: which command lines wake which machine and which open the window, and which folders count as temporary.
#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "app/CommandLine.h"
#include "app/StartFolder.h"
#include "framework/AfxString.h"
#include "tests/support/FakeSocketBackend.h"
#include "tests/support/MessageBoxRecorder.h"

namespace {

const MacAddress kMac = {0x00, 0xA0, 0xB1, 0xC2, 0xD3, 0xE4};
const Ipv4Address kBroadcast = {0xC0, 0xA8, 0x0A, 0xFF};
const MacAddress kZeroMac = {0, 0, 0, 0, 0, 0};
const Ipv4Address kAllOnes = {0xFF, 0xFF, 0xFF, 0xFF};

struct CommandLineCase {
  const char* commandLine;
  bool wakes;
  MacAddress mac;
  Ipv4Address destination;
};

TEST(CommandLine, OutcomeTable) {
  const CommandLineCase cases[] = {
      {"-e 00a0b1c2d3e4 -m 192.168.10.255", true, kMac, kBroadcast},
      {"-m 192.168.10.255 -e 00a0b1c2d3e4", true, kMac, kBroadcast},
      {"-e  00a0b1c2d3e4   -m 192.168.10.255 extra", true, kMac, kBroadcast},
      {"", false, {}, {}},
      {"-e 00a0b1c2d3e4", false, {}, {}},
      {"-e 00a0b1c2d3e4 -m", false, {}, {}},
      {"-e 00a0b1c2d3e4 -m   ", false, {}, {}},
      {"-E 00a0b1c2d3e4 -M 192.168.10.255", false, {}, {}},
      {"-e -m 192.168.10.255", true, kZeroMac, kBroadcast},
      {"-e 00a0b1c2d3e4 -m none", true, kMac, kAllOnes},
      {"\t-e\t00a0b1c2d3e4 -m 192.168.10.255\r\n", true, kMac, kBroadcast},
      // Only the first marker counts; a tab does not end a value, a blank does.
      {"-e 00a0b1c2d3e4 -e 112233445566 -m 192.168.10.255", true, kMac, kBroadcast},
      // Quoted out of habit in a batch file or a scheduled task: the quotes go.
      {"-e \"00-a0-b1-c2-d3-e4\" -m \"192.168.10.255\"", true, kMac, kBroadcast},
      {"-e \"\" -m 192.168.10.255", false, {}, {}},
  };
  for (const CommandLineCase& c : cases) {
    WakeRequest request;
    const bool wakes = ParseWakeCommandLine(c.commandLine, request);
    EXPECT_EQ(wakes, c.wakes) << "command line: \"" << c.commandLine << "\"";
    if (wakes && c.wakes) {
      EXPECT_EQ(request.mac, c.mac) << "command line: \"" << c.commandLine << "\"";
      EXPECT_EQ(request.destination, c.destination) << "command line: \"" << c.commandLine << "\"";
    }
  }
}

// What a batch file or a scheduled task sees: 1 whenever the datagram did not go, after the box.
TEST(CommandLine, WakeExitCode) {
  using FailAt = FakeSocketBackend::FailAt;
  struct Case {
    FailAt failAt;
    int exitCode;
    size_t boxes;
  };
  const Case cases[] = {
      {FailAt::Nothing, 0, 0},
      {FailAt::SendTo, 1, 1},
      {FailAt::Open, 1, 1},
      {FailAt::Startup, 1, 0},
  };
  WakeRequest request;
  ASSERT_TRUE(ParseWakeCommandLine("-e 00a0b1c2d3e4 -m 127.0.0.1", request));
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.failAt));
    FakeSocketBackend backend(c.failAt);
    ScopedOverride useFake(SocketBackendSeam(), &backend);
    MessageBoxRecorder boxes;
    EXPECT_EQ(PerformCommandLineWake(request), c.exitCode);
    EXPECT_EQ(boxes.Boxes().size(), c.boxes);
  }
}

// The value is cut to 127 bytes, never inside a double-byte character.
TEST(CommandLine, ValueIsTheFirstWordAfterTheMarker) {
  struct Case {
    std::string commandLine;
    const char* marker;
    std::string value;
  };
  const std::string a127(127, 'a');
  const Case cases[] = {
      {"-e 00a0b1c2d3e4 -m 1.2.3.4", "-e", "00a0b1c2d3e4"},
      {"-e 00a0b1c2d3e4 -m 1.2.3.4", "-m", "1.2.3.4"},
      {"-e\tab\tcd -m x", "-e", "ab\tcd"},
      {"no markers here", "-e", ""},
      {"-e", "-e", ""},
      {"a-ebc", "-e", "bc"},
      {"-e " + a127 + " -m x", "-e", a127},
      {"-e " + a127 + "a -m x", "-e", a127},
      {"-m " + std::string(300, 'a'), "-m", a127},
      // 126 bytes, then a two-byte character: 128 bytes, which cannot end at byte 127.
      {"-e " + std::string(126, '1') + "\x83\x5c", "-e", std::string(126, '1')},
      // Quoted as Windows reads an argument: blanks inside kept, white space after it dropped.
      {"-e \"00 a0 b1\" -m x", "-e", "00 a0 b1"},
      {"-e \" a\tb \"\t -m x", "-e", " a\tb "},
      {"-e a\"b c\"d e", "-e", "ab cd"},
      {"-e \"no end quote -m x", "-e", "no end quote -m x"},
      {"-e \"a\"\"b\" \\\"c", "-e", "a\"b"},
      {"-e a\\\"b c", "-e", "a\"b"},
      {"-e x\\\\\"c d\" e", "-e", "x\\c d"},
      {"-e e\\f", "-e", "e\\f"},
      {"-e \"\x83\x5c\" -m x", "-e", "\x83\x5c"},  // the trail byte 0x5C escapes no quote
      {"-e \"" + a127 + "a\"", "-e", a127},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ExtractMarkerValue(c.commandLine.c_str(), c.marker), c.value)
        << "command line: \"" << c.commandLine << "\", marker " << c.marker;
  }
  WakeRequest request;
  ASSERT_TRUE(ParseWakeCommandLine(("-e " + a127 + " -m " + a127).c_str(), request));
  EXPECT_EQ(std::string(request.szMac) + "|" + request.szBroadcast, a127 + "|" + a127) << "the request holds every byte";
}

TEST(CString, MultibyteAwareSearchAndTrim) {
  // "ソ" is 0x83 0x5C in code page 932: its trail byte is a backslash, not a character.
  const CString text("\x83\x5c" "-e x");
  EXPECT_EQ(text.Find("\x5c" "-e"), -1);
  EXPECT_EQ(text.Find("-e"), 2);
  CString spaced(" \t\x83\x5c \r\n");
  spaced.TrimRight();
  EXPECT_EQ(spaced, CString(" \t\x83\x5c"));
  spaced.TrimLeft();
  EXPECT_EQ(spaced, CString("\x83\x5c"));
  EXPECT_EQ(CString("abc").Mid(5), CString(""));
}

TEST(StartFolder, ProgramFolderOrCurrentDirectoryUnderTheTemporaryFolder) {
  const std::wstring temp = L"C:\\Users\\Taro\\AppData\\Local\\Temp\\";  // as GetTempPath gives it
  struct Case {
    const wchar_t* program;
    const std::wstring folder;
    bool under;
    const wchar_t* current = L"C:\\Users\\Taro\\Documents";  // where MacList.txt is kept
  };
  const Case cases[] = {
      {L"C:\\Users\\Taro\\AppData\\Local\\Temp\\Temp1_Kestrin-0.71-win32.zip\\Kestrin-0.71", temp, true},
      {L"C:\\Users\\Taro\\AppData\\Local\\Temp", temp, true},
      {L"c:\\users\\TARO\\appdata\\local\\temp\\x", temp, true},
      {L"C:/Users/Taro/AppData/Local/Temp/x/", temp, true},
      {L"C:\\Users\\Taro\\AppData\\Local\\Temp\\x", L"C:\\Users\\Taro\\AppData\\Local\\Temp\\\\", true},
      {L"C:\\Users\\Taro\\AppData\\Local\\Temp2\\Kestrin", temp, false},
      {L"C:\\Users\\Taro\\AppData\\Local", temp, false},
      {L"C:\\Users\\Taro\\Desktop\\Kestrin-0.71", temp, false},
      {L"D:\\Users\\Taro\\AppData\\Local\\Temp\\x", temp, false},
      {L"", temp, false},
      {L"C:\\Kestrin", L"", false},  // a temporary folder the system could not name
      // The list goes with the folder even when the program does not.
      {L"C:\\Tools\\Kestrin", temp, true, L"c:\\users\\taro\\appdata\\local\\temp\\lists"},
      {L"", temp, true, L"C:\\Users\\Taro\\AppData\\Local\\Temp"},
      {L"C:\\Tools\\Kestrin", temp, false, L"C:\\Users\\Taro\\AppData\\Local\\Temp2"},
      {L"C:\\Tools\\Kestrin", temp, false, L""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(KeptInTemporaryFolder(c.program, c.current, c.folder), c.under)
        << std::string(c.program, c.program + std::wcslen(c.program)) << " / "
        << std::string(c.current, c.current + std::wcslen(c.current));
  }
}

}  // namespace
