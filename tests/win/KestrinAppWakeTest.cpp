// The application object's command-line path under Winsock: one packet, no window, no main window.
#include <gtest/gtest.h>

#include "app/KestrinApp.h"
#include "tests/support/MessageBoxRecorder.h"
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
  UdpListener listener("127.0.0.1", 4352);
  ASSERT_TRUE(listener.ok());
  MessageBoxRecorder boxes;
  const int windowsBefore = CountThreadWindows();

  CKestrinApp app;
  app.m_lpCmdLine = "-e 00a0b1c2d3e4 -m 127.0.0.1";
  EXPECT_FALSE(app.InitInstance());

  EXPECT_EQ(app.m_pMainWnd, nullptr);
  EXPECT_EQ(CountThreadWindows(), windowsBefore);
  EXPECT_TRUE(boxes.Boxes().empty());
  const auto datagrams = listener.ReceiveAll(500);
  ASSERT_EQ(datagrams.size(), 1u);
  EXPECT_EQ(datagrams[0].size(), 108u);
  EXPECT_EQ(datagrams[0][6], 0x00);
  EXPECT_EQ(datagrams[0][7], 0xA0);
}

}  // namespace
