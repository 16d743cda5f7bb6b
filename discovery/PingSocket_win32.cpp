// The ICMP echo over IcmpCreateFile / IcmpSendEcho / IcmpCloseHandle.
#include "discovery/PingSocket.h"

#include <iphlpapi.h>
#include <icmpapi.h>

namespace {

// One reply and room for the ICMP error message that may come instead. ICMP_ECHO_REPLY holds
// a pointer, so this is 36 bytes in the 32-bit program and more in the 64-bit one.
struct EchoReplyBuffer {
  ICMP_ECHO_REPLY reply;
  char errorMessage[8];
};

class EchoHandle {
 public:
  EchoHandle() : m_handle(IcmpCreateFile()) {}
  ~EchoHandle() {
    if (valid()) IcmpCloseHandle(m_handle);
  }
  EchoHandle(const EchoHandle&) = delete;
  EchoHandle& operator=(const EchoHandle&) = delete;

  bool valid() const { return m_handle != INVALID_HANDLE_VALUE && m_handle != nullptr; }
  HANDLE get() const { return m_handle; }

 private:
  HANDLE m_handle;
};

}  // namespace

CPingSocket::~CPingSocket() = default;

DWORD CPingSocket::Ping(ULONG address, DWORD timeoutMs) {
  EchoHandle echo;
  if (!echo.valid()) return 0;  // counts as a silent host
  EchoReplyBuffer buffer = {};
  return IcmpSendEcho(echo.get(), address, nullptr, 0, nullptr, &buffer, sizeof buffer, timeoutMs);
}
