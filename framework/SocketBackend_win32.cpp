// The Winsock backend of CSocket.
#include <cstdlib>
#include <mutex>

#include "framework/Socket.h"

namespace {

class WinsockBackend : public SocketBackend {
 public:
  bool Startup() override {
    std::call_once(m_once, [this] {
      WSADATA data;
      m_started = WSAStartup(MAKEWORD(1, 1), &data) == 0;
      if (m_started) std::atexit([] { WSACleanup(); });
    });
    return m_started;
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

 private:
  std::once_flag m_once;
  bool m_started = false;
};

}  // namespace

SocketBackend& SystemSocketBackend() {
  static WinsockBackend backend;
  return backend;
}
