// CSocket and AfxSocketInit over Winsock or BSD sockets, with a seam through which tests make single steps fail.
#pragma once
#include <memory>

#include "framework/Platform.h"
#include "framework/ScopedOverride.h"

#ifndef _WIN32
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
typedef int SOCKET;
#define INVALID_SOCKET (-1)
#define SOCKET_ERROR (-1)
#endif

// The system calls behind CSocket. Error codes are Winsock's (WSAE...) on every platform.
class SocketBackend {
 public:
  virtual ~SocketBackend() = default;
  // Starts the socket library for the process; false on failure.
  virtual bool Startup() = 0;
  // A socket of the type, bound to every local address and a port the system picks;
  // INVALID_SOCKET on failure.
  virtual SOCKET Open(int type) = 0;
  virtual int SetOption(SOCKET s, int level, int name, const void* value, int length) = 0;
  virtual int SendTo(SOCKET s, const void* data, int length, const sockaddr* to, int toLength,
                     int flags) = 0;
  virtual void Close(SOCKET s) = 0;
  // The Winsock error code of the call that just failed on this thread.
  virtual int LastError() = 0;
};

// What the system's own backend needs of each platform (SocketBackend_win32.cpp, _posix.cpp):
// starting the socket library once per process (false on failure), the Winsock code of the call
// that just failed on this thread, and closing a socket.
bool StartSockets();
int LastSocketError();
void CloseSocket(SOCKET s);

// The backend CSocket uses: the system's while this holds null; tests put theirs in with a ScopedOverride.
Overridable<SocketBackend*>& SocketBackendSeam();

// Initialises the socket library once per process (later calls succeed at once);
// the clean-up runs at exit. FALSE on failure.
BOOL AfxSocketInit();

// A blocking socket. Closes itself when destroyed.
class CSocket {
 public:
  CSocket() = default;
  virtual ~CSocket();
  CSocket(const CSocket&) = delete;
  CSocket& operator=(const CSocket&) = delete;

  // Creates the socket and binds it to every local address; port must be 0 (the system picks).
  BOOL Create(UINT port = 0, int type = SOCK_STREAM);
  // setsockopt on this socket; FALSE on failure.
  BOOL SetSockOpt(int optionName, const void* value, int length, int level = SOL_SOCKET);
  // Bytes sent, or SOCKET_ERROR.
  int SendTo(const void* data, int length, const sockaddr* to, int toLength, int flags = 0);
  // Harmless on a socket that was never created.
  void Close();

  // The error code of the socket call that just failed (WSAGetLastError on Windows).
  static int GetLastError();

  SOCKET m_hSocket = INVALID_SOCKET;
};
