// Winsock under CSocket's system backend.
#include <cstdlib>

#include "framework/Socket.h"

bool StartSockets() {
  // Once per process, whichever thread comes first; the clean-up runs at exit.
  static const bool started = [] {
    WSADATA data;
    if (WSAStartup(MAKEWORD(1, 1), &data) != 0) return false;
    std::atexit([] { WSACleanup(); });
    return true;
  }();
  return started;
}

int LastSocketError() { return WSAGetLastError(); }

void CloseSocket(SOCKET s) { closesocket(s); }
