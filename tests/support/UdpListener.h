// A UDP listener on a loopback address, for tests that check what the program puts on the wire.
#pragma once
#include <optional>
#include <vector>

#include "framework/Socket.h"

class UdpListener {
 public:
  // Binds address:port. Another test run may hold the port for a moment, so the bind is
  // retried for up to 30 seconds; ok() tells whether it succeeded.
  explicit UdpListener(const char* address = "127.0.0.1", unsigned short port = 4352);
  ~UdpListener();
  UdpListener(const UdpListener&) = delete;
  UdpListener& operator=(const UdpListener&) = delete;

  bool ok() const { return m_socket != INVALID_SOCKET; }

  // The next datagram, or nothing when none arrives within timeoutMs.
  std::optional<std::vector<unsigned char>> Receive(int timeoutMs);

  // Receives until timeoutMs passes with nothing more; returns all datagrams in arrival order.
  std::vector<std::vector<unsigned char>> ReceiveAll(int quietMs);

 private:
  SOCKET m_socket = INVALID_SOCKET;
};
