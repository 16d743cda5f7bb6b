// CSocket's calls, routed through whichever backend is in place.
#include "framework/Socket.h"

Overridable<SocketBackend*>& SocketBackendSeam() {
  static Overridable<SocketBackend*> backend{nullptr};
  return backend;
}

namespace {

thread_local int t_lastError = 0;

// Keeps the code of the call that just failed: closing the socket on the way out may replace it.
template <typename T>
T Failed(T result) {
  t_lastError = LastSocketError();
  return result;
}

class SystemSocketBackend : public SocketBackend {
 public:
  bool Startup() override { return StartSockets(); }

  SOCKET Open(int type) override {
    const SOCKET s = socket(AF_INET, type, 0);
    if (s == INVALID_SOCKET) return Failed(s);
    sockaddr_in local = {};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    if (bind(s, reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0) return s;
    Failed(0);
    CloseSocket(s);
    return INVALID_SOCKET;
  }

  int SetOption(SOCKET s, int level, int name, const void* value, int length) override {
    return setsockopt(s, level, name, static_cast<const char*>(value), length) == 0 ? 0 : Failed(SOCKET_ERROR);
  }

  int SendTo(SOCKET s, const void* data, int length, const sockaddr* to, int toLength, int flags) override {
    const auto sent = sendto(s, static_cast<const char*>(data), length, flags, to, toLength);
    return sent < 0 ? Failed(SOCKET_ERROR) : static_cast<int>(sent);
  }

  void Close(SOCKET s) override { CloseSocket(s); }

  int LastError() override { return t_lastError; }
};

SocketBackend& Backend() {
  static SystemSocketBackend system;
  SocketBackend* backend = SocketBackendSeam().Get();
  return backend ? *backend : system;
}

}  // namespace

BOOL AfxSocketInit() { return Backend().Startup() ? TRUE : FALSE; }

CSocket::~CSocket() { Close(); }

BOOL CSocket::Create(UINT port, int type) {
  if (port != 0 || m_hSocket != INVALID_SOCKET) return FALSE;
  m_hSocket = Backend().Open(type);
  return m_hSocket != INVALID_SOCKET ? TRUE : FALSE;
}

BOOL CSocket::SetSockOpt(int optionName, const void* value, int length, int level) {
  return Backend().SetOption(m_hSocket, level, optionName, value, length) == SOCKET_ERROR ? FALSE
                                                                                          : TRUE;
}

int CSocket::SendTo(const void* data, int length, const sockaddr* to, int toLength, int flags) {
  return Backend().SendTo(m_hSocket, data, length, to, toLength, flags);
}

void CSocket::Close() {
  if (m_hSocket == INVALID_SOCKET) return;
  Backend().Close(m_hSocket);
  m_hSocket = INVALID_SOCKET;
}

int CSocket::GetLastError() { return Backend().LastError(); }
