// Shell links and the placing of desktop shortcuts, through real COM, in scratch folders.
#include <gtest/gtest.h>

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "framework/AfxString.h"
#include "res/resource.h"
#include "shortcut/DesktopShortcut_win32.h"
#include "tests/win/ShortcutTestSupport.h"

namespace {

using namespace shortcut_test;
using shortcut::CreateShellLinkFile;
using shortcut::PlaceDesktopShortcut;

// "Web サーバー" in code page 932.
const std::string kWebServer = "Web \x83\x54\x81\x5b\x83\x6f\x81\x5b";

TEST(ShellLink, SaveIntoAMissingFolderFailsAndLeavesNothing) {
  ScratchFolder folder;
  ComForTest com;
  const std::string linkPath = folder.Path() + "\\no such folder\\Kestrin pc.lnk";
  const HRESULT result = CreateShellLinkFile(linkPath.c_str(), "C:\\k.exe", "pc", "-e 1 -m 2",
                                             nullptr, nullptr, 0, SW_SHOWNORMAL);
  EXPECT_TRUE(FAILED(result)) << std::hex << result;
  EXPECT_TRUE(FileNames(folder).empty());
}

TEST(ShellLink, WithoutComTheLinkObjectCannotBeMade) {
  // A fresh thread has no COM: the first step fails and its result comes back.
  HRESULT result = S_OK;
  std::thread([&] {
    result = CreateShellLinkFile("C:\\x.lnk", "C:\\k.exe", "", "", nullptr, nullptr, 0, 1);
  }).join();
  EXPECT_EQ(result, CO_E_NOTINITIALIZED);
}

// Which texts a host's shortcut gets is the native table's matter: here, that the longest of
// them, with a trail byte 0x5C in its alias, reach the file whole.
TEST(DesktopShortcut, LandsInTheSharedDesktopWithTheHostsTextsNotCut) {
  std::string longest;
  for (int i = 0; i < 31; ++i) longest += "\x95\x5c";  // 31 x "表", then one more byte: 63
  longest += "x";
  const HostEntry host = MakeHost(std::string(31, 'a'), longest, "127.000.000.001.000.000.000.001");
  CString startSuffix;
  startSuffix.LoadString(IDS_SHORTCUT_DESCRIPTION_SUFFIX);
  FakeDesktops desktops;
  const std::string made = PlaceDesktopShortcut(host, nullptr);
  const std::string name = "Kestrin " + longest + ".lnk";
  EXPECT_EQ(made, desktops.shared.Path() + "\\" + name);
  EXPECT_EQ(FileNames(desktops.shared), std::vector<std::string>{name});
  EXPECT_TRUE(FileNames(desktops.own).empty());
  const LinkFields link = ReadLink(made);
  EXPECT_EQ(link.target, RunningProgramPath());
  EXPECT_EQ(link.arguments, "-e " + std::string(host.szMac) + " -m " + host.szBroadcast);
  EXPECT_EQ(link.description, longest + startSuffix.str());
  EXPECT_EQ(link.showCommand, SW_SHOWNORMAL);
}

TEST(DesktopShortcut, FallsBackToTheUsersOwnDesktopAndElseMakesNone) {
  struct Case {
    const char* what;
    bool sharedFolderMissing, ownFolderMissing;
    bool sharedSaveFails, ownSaveFails;
    bool sharedPathTooLong;
    bool madeInOwn;  // otherwise nowhere
  };
  const Case cases[] = {
      {"shared folder cannot be had", true, false, false, false, false, true},
      {"save in the shared folder fails", false, false, true, false, false, true},
      {"path in the shared folder too long", false, false, false, false, true, true},
      {"no folders", true, true, false, false, false, false},
      {"both saves fail", false, false, true, true, false, false},
  };
  for (const Case& c : cases) {
    FakeDesktops desktops;
    if (c.sharedFolderMissing) desktops.system.folders[CSIDL_COMMON_DESKTOPDIRECTORY] = "";
    if (c.ownFolderMissing) desktops.system.folders[CSIDL_DESKTOPDIRECTORY] = "";
    if (c.sharedSaveFails) desktops.system.failingSaves.push_back(desktops.shared.Path());
    if (c.ownSaveFails) desktops.system.failingSaves.push_back(desktops.own.Path());
    if (c.sharedPathTooLong) {
      desktops.system.folders[CSIDL_COMMON_DESKTOPDIRECTORY] = desktops.shared.Path() + std::string(240, 'x');
    }
    const std::string made = PlaceDesktopShortcut(MakeHost("00a0b1c2d3e4", "pc", "127.0.0.1"), nullptr);
    const std::string own = desktops.own.Path() + "\\Kestrin pc.lnk";
    EXPECT_EQ(made, c.madeInOwn ? own : "") << c.what;
    EXPECT_EQ(FileNames(desktops.own), c.madeInOwn ? std::vector<std::string>{"Kestrin pc.lnk"} : std::vector<std::string>{})
        << c.what;
    EXPECT_TRUE(FileNames(desktops.shared).empty()) << c.what;
    if (c.madeInOwn) {
      EXPECT_EQ(ReadLink(made).arguments, "-e 00a0b1c2d3e4 -m 127.0.0.1") << c.what;
    }
    if (c.sharedSaveFails) {
      EXPECT_EQ(desktops.system.saveAttempts, (std::vector<std::string>{desktops.shared.Path() + "\\Kestrin pc.lnk", own}))
          << c.what << ": the shared desktop is tried first";
    }
  }
}

TEST(DesktopShortcut, AShortcutOfItsNameIsReplacedUnlessItWakesAnotherHost) {
  const std::string ours = "-e 00a0b1c2d3e4 -m 127.0.0.1", another = "-e 112233445566 -m 127.0.0.1";
  const std::string plain = "Kestrin pc.lnk", withAddress = "Kestrin pc (00a0b1c2d3e4).lnk";
  struct Case {
    const char* what;
    std::string existing;  // the arguments of the shortcut there, or "" for a file that is none
    std::string made;
  };
  const Case cases[] = {
      {"it wakes the same host", ours, plain},
      {"it wakes another host", another, withAddress},
      {"it is no shortcut", "", plain},
  };
  for (const Case& c : cases) {
    FakeDesktops desktops;
    const std::string existing = desktops.shared.Path() + "\\" + plain;
    if (c.existing.empty()) {
      WriteBytes(existing, "not a shell link");
    } else {
      ComForTest com;
      ASSERT_EQ(CreateShellLinkFile(existing.c_str(), "C:\\k.exe", "old", c.existing.c_str(), nullptr, nullptr, 0,
                                    SW_SHOWNORMAL), S_OK);
    }
    std::vector<std::string> taken;
    const std::string made = PlaceDesktopShortcut(MakeHost("00a0b1c2d3e4", "pc", "127.0.0.1"), nullptr, &taken);
    EXPECT_EQ(made, desktops.shared.Path() + "\\" + c.made) << c.what;
    EXPECT_EQ(ReadLink(made).arguments, ours) << c.what;
    EXPECT_EQ(taken, std::vector<std::string>{"\\" + c.made}) << c.what;
    if (c.made == withAddress) {
      EXPECT_EQ(ReadLink(existing).arguments, another) << c.what << ": the other host's shortcut stays";
    } else {
      EXPECT_EQ(FileNames(desktops.shared), std::vector<std::string>{plain}) << c.what;
    }
  }
}

TEST(DesktopShortcut, NoShortcutWhenComCannotBeInitialised) {
  // A thread already in the multithreaded apartment refuses CoInitialize.
  FakeDesktops desktops;
  std::string made = "not run";
  std::thread([&] {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    made = PlaceDesktopShortcut(MakeHost("00a0b1c2d3e4", "pc", "127.0.0.1"), nullptr);
    CoUninitialize();
  }).join();
  EXPECT_EQ(made, "");
  EXPECT_TRUE(desktops.system.saveAttempts.empty());
  EXPECT_TRUE(FileNames(desktops.shared).empty());
}

TEST(DesktopShortcut, ComIsBalancedAroundEachShortcut) {
  FakeDesktops desktops;
  PlaceDesktopShortcut(MakeHost("00a0b1c2d3e4", "pc", "127.0.0.1"), nullptr);
  // Had the shortcut left COM initialised, this would answer S_FALSE.
  EXPECT_EQ(CoInitialize(nullptr), S_OK);
  CoUninitialize();
}

TEST(DesktopShortcut, SystemFindsBothDesktopsAndTheRunningProgram) {
  shortcut::ShortcutSystem& system = shortcut::SystemShortcutSystem();
  EXPECT_NE(system.FolderPath(nullptr, CSIDL_COMMON_DESKTOPDIRECTORY), "");
  EXPECT_NE(system.FolderPath(nullptr, CSIDL_DESKTOPDIRECTORY), "");
  const std::string path = shortcut::ProgramPath();
  EXPECT_EQ(path, RunningProgramPath());
  EXPECT_NE(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
}

// Leaves one shortcut in the folder named by KESTRIN_LINK_DIR for a reader outside this program
// (tests/e2e/shortcut_lnkinfo.sh); skipped in ordinary runs.
TEST(DesktopShortcutForReader, LeavesAShortcut) {
  const char* folder = std::getenv("KESTRIN_LINK_DIR");
  if (folder == nullptr || *folder == '\0') GTEST_SKIP() << "KESTRIN_LINK_DIR not set";
  FakeDesktops desktops;
  desktops.system.folders[CSIDL_COMMON_DESKTOPDIRECTORY] = folder;
  const std::string made =
      PlaceDesktopShortcut(MakeHost("00a0b1c2d3e4", kWebServer, "127.0.0.1"), nullptr);
  EXPECT_EQ(made, std::string(folder) + "\\Kestrin " + kWebServer + ".lnk");
}

}  // namespace
