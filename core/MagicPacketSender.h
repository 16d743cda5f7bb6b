// CMagicPacketSender: one Wake-on-LAN datagram per call, and the Winsock error box.
#pragma once
#include <array>
#include <string>

#include "core/AddressText.h"
#include "framework/Socket.h"

constexpr int kMagicPacketSize = 108;  // six 0xFF bytes, then the address 17 times
constexpr int kUdpProtocolNumber = 17;

using MagicPacket = std::array<unsigned char, kMagicPacketSize>;

MagicPacket BuildMagicPacket(const MacAddress& mac);

// The destination as the program has always addressed it: the protocol number of UDP is
// stored unconverted in the port field, so the bytes read 0x11 0x00 and the datagram goes
// to port 4352. protocolNumber is what the protocol database gave, or -1 when it had nothing.
sockaddr_in BuildWakeDestination(const Ipv4Address& destination, int protocolNumber);

// Name of a Winsock error code from the program's table of 25, or "" for any other code.
const char* SocketErrorName(int code);

// "%s ERROR : %s [%d]": operation, error name, code.
std::string FormatSocketError(const char* operation, int code);

class CMagicPacketSender {
 public:
  virtual ~CMagicPacketSender() = default;

  // Sends one 108-byte datagram with broadcasting on. Returns 0 when sent; -1 when creating
  // the socket failed, -2 when the broadcast option failed, -4 when the send did not take
  // 108 bytes (each after one message box naming the step); -5, silently, when the socket
  // library could not start. Never retries.
  int SendMagicPacket(const Ipv4Address& destination, const MacAddress& mac);

  // Shows "operation ERROR : name [code]" in a message box.
  void ShowSocketError(const char* operation, int code);
};
