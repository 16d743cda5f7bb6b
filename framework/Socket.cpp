// CSocket's calls, routed through whichever backend is in place.
#include "framework/Socket.h"

Overridable<SocketBackend*>& SocketBackendSeam() {
  static Overridable<SocketBackend*> backend{nullptr};
  return backend;
}

namespace {

SocketBackend& Backend() {
  SocketBackend* backend = SocketBackendSeam().Get();
  return backend ? *backend : SystemSocketBackend();
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
