// The Winsock backend of CSocket.
#include <cstdlib>

#include "framework/Socket.h"

namespace {

class WinsockBackend : public SocketBackend {
 public:
  // Once per process, whichever thread comes first; the clean-up runs at exit.
  bool Startup() override {
    static const bool started = [] {
      WSADATA data;
      if (WSAStartup(MAKEWORD(1, 1), &data) != 0) return false;
      std::atexit([] { WSACleanup(); });
      return true;
    }();
    return started;
  }

  SOCKET Open(int type) override {
    SOCKET s = socket(AF_INET, type, 0);
    if (s == INVALID_SOCKET) return s;
    sockaddr_in local = {};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    if (bind(s, reinterpret_cast<const sockaddr*>(&local), sizeof local) == SOCKET_ERROR) {
      const int error = WSAGetLastError();
      closesocket(s);
      WSASetLastError(error);
      return INVALID_SOCKET;
    }
    return s;
  }

  int SetOption(SOCKET s, int level, int name, const void* value, int length) override {
    return setsockopt(s, level, name, static_cast<const char*>(value), length);
  }

  int SendTo(SOCKET s, const void* data, int length, const sockaddr* to, int toLength,
             int flags) override {
    return sendto(s, static_cast<const char*>(data), length, flags, to, toLength);
  }

  void Close(SOCKET s) override { closesocket(s); }

  int LastError() override { return WSAGetLastError(); }
};

}  // namespace

SocketBackend& SystemSocketBackend() {
  static WinsockBackend backend;
  return backend;
}
