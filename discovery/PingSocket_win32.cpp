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

// IcmpSendEcho is told the buffer's size with sizeof; these pin the layouts it writes into, so a
// header or packing change shows here rather than as a reply written past the buffer.
#if defined(_WIN64)
static_assert(sizeof(ICMP_ECHO_REPLY) == 40, "the 64-bit echo reply holds an 8-byte pointer");
static_assert(sizeof(EchoReplyBuffer) == 48, "one 64-bit reply and 8 bytes of error message");
#else
static_assert(sizeof(ICMP_ECHO_REPLY) == 28, "the 32-bit echo reply");
static_assert(sizeof(EchoReplyBuffer) == 36, "one 32-bit reply and 8 bytes of error message");
#endif

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
