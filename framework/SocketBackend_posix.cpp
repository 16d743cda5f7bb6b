// The BSD-socket backend of CSocket; errno values are reported under their Winsock numbers.
#include <cerrno>
#include <unistd.h>

#include "framework/Socket.h"

namespace {

thread_local int t_lastError = 0;

// errno to the Winsock code of the same failure, so messages read as they do on Windows: for the
// failures a bound datagram socket that broadcasts can meet (no socket left, no permission to
// broadcast, no route or network, no buffer); any other errno stays its own number.
int WinsockCodeFromErrno(int error) {
  switch (error) {
    case EACCES: case EPERM: return 10013;
    case EINVAL: return 10022;
    case EMFILE: return 10024;
    case ENOPROTOOPT: return 10042;
    case EPROTONOSUPPORT: return 10043;
    case EAFNOSUPPORT: return 10047;
    case EADDRNOTAVAIL: return 10049;
    case ENETDOWN: return 10050;
    case ENETUNREACH: case EHOSTUNREACH: return 10051;
    case ENOBUFS: case ENOMEM: return 10055;
    default: return error;
  }
}

int Fail() {
  t_lastError = WinsockCodeFromErrno(errno);
  return SOCKET_ERROR;
}

class PosixSocketBackend : public SocketBackend {
 public:
  bool Startup() override { return true; }

  SOCKET Open(int type) override {
    SOCKET s = socket(AF_INET, type, 0);
    if (s < 0) return Fail();
    sockaddr_in local = {};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    if (bind(s, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
      Fail();
      ::close(s);
      return INVALID_SOCKET;
    }
    return s;
  }

  int SetOption(SOCKET s, int level, int name, const void* value, int length) override {
    if (setsockopt(s, level, name, value, static_cast<socklen_t>(length)) != 0) return Fail();
    return 0;
  }

  int SendTo(SOCKET s, const void* data, int length, const sockaddr* to, int toLength,
             int flags) override {
    const ssize_t sent = sendto(s, data, static_cast<size_t>(length), flags, to,
                                static_cast<socklen_t>(toLength));
    return sent < 0 ? Fail() : static_cast<int>(sent);
  }

  void Close(SOCKET s) override { ::close(s); }

  int LastError() override { return t_lastError; }
};

}  // namespace

SocketBackend& SystemSocketBackend() {
  static PosixSocketBackend backend;
  return backend;
}
