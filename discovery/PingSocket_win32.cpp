// The ICMP echo over IcmpCreateFile / IcmpSendEcho / IcmpCloseHandle.
#include "discovery/PingSocket.h"

#include <cstddef>

#include "discovery/IpHelper_win32.h"
#include "discovery/SweepLoop.h"

namespace {

// No request data: the echo asks only whether the host is there.
constexpr DWORD kRequestSize = 0;
// The longest IP header (with options) that an ICMP error message quotes.
constexpr size_t kMaxIpHeader = 60;

// As IcmpSendEcho asks: one reply, the request data and 8 bytes of an ICMP error message, and
// room for the IP header such an error carries, which may be written along with it.
// ICMP_ECHO_REPLY holds a pointer, so its size differs between the two builds.
struct EchoReplyBuffer {
  ICMP_ECHO_REPLY reply;
  unsigned char rest[kRequestSize + 8 + kMaxIpHeader];
};

// IcmpSendEcho is told the buffer's size with sizeof; these pin the layouts it writes into, so a
// header or packing change shows here rather than as a reply written past the buffer.
#if defined(_WIN64)
static_assert(sizeof(ICMP_ECHO_REPLY) == 40, "the 64-bit echo reply holds an 8-byte pointer");
static_assert(offsetof(ICMP_ECHO_REPLY, Status) == 4 && offsetof(ICMP_ECHO_REPLY, Data) == 16,
              "the 64-bit echo reply's fields");
static_assert(sizeof(EchoReplyBuffer) == 112, "one 64-bit reply, 68 bytes after it, aligned to 8");
#else
static_assert(sizeof(ICMP_ECHO_REPLY) == 28, "the 32-bit echo reply");
static_assert(offsetof(ICMP_ECHO_REPLY, Status) == 4 && offsetof(ICMP_ECHO_REPLY, Data) == 16,
              "the 32-bit echo reply's fields");
static_assert(sizeof(EchoReplyBuffer) == 96, "one 32-bit reply and 68 bytes after it");
#endif

class EchoHandle {
 public:
  EchoHandle() : m_handle(iphelper::IcmpCreateFile()) {}
  ~EchoHandle() {
    if (valid()) iphelper::IcmpCloseHandle(m_handle);
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
  const DWORD replies = iphelper::IcmpSendEcho(echo.get(), address, nullptr, static_cast<WORD>(kRequestSize),
                                               nullptr, &buffer, sizeof buffer, timeoutMs);
  // The buffer has room for one reply only, so that one is all there is to examine.
  if (replies == 0) return 0;
  return sweep::EchoReplyCounts(buffer.reply.Status, buffer.reply.Address, address) ? 1 : 0;
}
