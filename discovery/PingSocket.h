// CPingSocket: the sweep's ICMP echo, one handle per probe.
#pragma once
#include "framework/Platform.h"
#include "framework/Socket.h"

// A socket object that is never created as a socket: its one method sends an ICMP echo
// through the IP Helper functions.
class CPingSocket : public CSocket {
 public:
  CPingSocket() = default;
  ~CPingSocket() override;

  // Sends one ICMP echo without payload to address (IPv4, network byte order, as inet_addr
  // gives it) and waits up to timeoutMs for the answer. Returns the number of replies that
  // answer it (sweep::EchoReplyCounts): 0 when none came, when the reply was an error (such as
  // host unreachable) or came from another address, and when no echo handle could be opened.
  DWORD Ping(ULONG address, DWORD timeoutMs);
};
