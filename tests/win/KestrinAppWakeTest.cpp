// The application object's start: the command-line path under Winsock (one packet, no window, no main window, no host list, its exit code), and the temporary-folder check.
#include <gtest/gtest.h>

#include "app/KestrinApp.h"
#include "app/StartFolder.h"
#include "core/MagicPacketSender.h"
#include "tests/support/FakeSocketBackend.h"
#include "tests/support/FakeWaitClock.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/UdpListener.h"

namespace {

// A callback of the system's calling convention (stdcall in the 32-bit program): no lambda.
BOOL CALLBACK CountWindow(HWND, LPARAM counter) {
  ++*reinterpret_cast<int*>(counter);
  return TRUE;
}

int CountThreadWindows() {
  int count = 0;
  EnumThreadWindows(GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&count));
  return count;
}

TEST(KestrinAppWake, SendsOnePacketAndCreatesNoWindow) {
  ScratchFolder folder;
  // Another Kestrin in the middle of a rewrite: a wake from a shortcut must not wait for it.
  WriteBytes("MacList.txt", "00a0b1c2d3e4,a,127.0.0.1\r\n");
  const HANDLE lock = CreateFileA("MacList.lock", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  OVERLAPPED firstByte{};
  ASSERT_TRUE(LockFileEx(lock, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &firstByte));
  UdpListener listener("127.0.0.1", 4352);
  ASSERT_TRUE(listener.ok());
  MessageBoxRecorder boxes;
  const int windowsBefore = CountThreadWindows();

  CKestrinApp app;
  app.m_lpCmdLine = "-e 00a0b1c2d3e4 -m 127.0.0.1";
  FakeWaitClock clock;
  EXPECT_FALSE(app.InitInstance());
  EXPECT_EQ(clock.waitedMs, 0) << "it waited for the list";
  UnlockFileEx(lock, 0, 1, 0, &firstByte);
  CloseHandle(lock);
  EXPECT_EQ(ReadBytes("MacList.txt"), "00a0b1c2d3e4,a,127.0.0.1\r\n");
  EXPECT_EQ(ReadBytes("MacTemp.txt"), std::nullopt);

  EXPECT_EQ(app.m_pMainWnd, nullptr);
  EXPECT_EQ(CountThreadWindows(), windowsBefore);
  EXPECT_TRUE(boxes.Boxes().empty());
  const auto datagrams = listener.ReceiveAll(500);
  ASSERT_EQ(datagrams.size(), 1u);
  // Every byte through Winsock, to the port the protocol database gives.
  const MagicPacket expected = BuildMagicPacket({0x00, 0xA0, 0xB1, 0xC2, 0xD3, 0xE4});
  EXPECT_EQ(datagrams[0], std::vector<unsigned char>(expected.begin(), expected.end()));
  EXPECT_EQ(app.ExitInstance(), 0);
}

// The process's exit code, which a batch file or a scheduled task reads: 1 after the box.
TEST(KestrinAppWake, AFailedSendEndsWithExitCode1) {
  FakeSocketBackend backend(FakeSocketBackend::FailAt::SendTo);
  ScopedOverride useFake(SocketBackendSeam(), &backend);
  MessageBoxRecorder boxes;
  CKestrinApp app;
  app.m_lpCmdLine = "-e 00a0b1c2d3e4 -m 127.0.0.1";
  EXPECT_FALSE(app.InitInstance());
  EXPECT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(app.ExitInstance(), 1);
}

// The window's warning looks at the current directory too: MacList.txt is kept there.
TEST(StartFolderWin, CurrentDirectoryUnderTheTemporaryFolder) {
  ScratchFolder folder;
  ASSERT_FALSE(RunsInTemporaryFolder()) << "the test program itself runs from the temporary folder";
  wchar_t temp[MAX_PATH + 1] = L"";
  ASSERT_NE(::GetTempPathW(MAX_PATH + 1, temp), 0u);
  const std::wstring lists = std::wstring(temp) + L"KestrinStartFolderTest";
  ::CreateDirectoryW(lists.c_str(), nullptr);
  ASSERT_TRUE(::SetCurrentDirectoryW(lists.c_str()));
  const bool underTemp = RunsInTemporaryFolder();
  ::SetCurrentDirectoryW(folder.path().wstring().c_str());
  ::RemoveDirectoryW(lists.c_str());
  EXPECT_TRUE(underTemp);
}

}  // namespace
