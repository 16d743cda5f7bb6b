// The magic packet, its destination, and the sender with its error reporting.
#include "core/MagicPacketSender.h"

#include <cstdio>
#include <cstring>

#include "framework/MessageBox.h"

namespace {

struct SocketErrorNameEntry {
  int code;
  const char* name;
};

const SocketErrorNameEntry kSocketErrorNames[] = {
    {10013, "WSAEACCES"},          {10014, "WSAEFAULT"},          {10022, "WSAEINVAL"},
    {10024, "WSAEMFILE"},          {10035, "WSAEWOULDBLOCK"},     {10036, "WSAEINPROGRESS"},
    {10038, "WSAENOTSOCK"},        {10039, "WSAEDESTADDRREQ"},    {10040, "WSAEMSGSIZE"},
    {10041, "WSAEPROTOTYPE"},      {10042, "WSAENOPROTOOPT"},     {10043, "WSAEPROTONOSUPPORT"},
    {10044, "WSAESOCKTNOSUPPORT"}, {10045, "WSAEOPNOTSUPP"},      {10047, "WSAEAFNOSUPPORT"},
    {10049, "WSAEADDRNOTAVAIL"},   {10050, "WSAENETDOWN"},        {10051, "WSAENETUNREACH"},
    {10052, "WSAENETRESET"},       {10053, "WSAECONNABORTED"},    {10054, "WSAECONNRESET"},
    {10055, "WSAENOBUFS"},         {10057, "WSAENOTCONN"},        {10058, "WSAESHUTDOWN"},
    {10093, "WSANOTINITIALISED"},
};

// The number that goes into the port field: on Windows the protocol database's number for "UDP"
// (-1 when it has no such entry), as the program has always looked it up. Elsewhere the answer is
// UDP's fixed 17, and asking the name service for it would cost more than the whole wake.
int LookUpUdpProtocolNumber() {
#ifdef _WIN32
  const protoent* entry = getprotobyname("UDP");
  return entry ? entry->p_proto : -1;
#else
  return kUdpProtocolNumber;
#endif
}

}  // namespace

MagicPacket BuildMagicPacket(const MacAddress& mac) {
  MagicPacket packet;
  std::memset(packet.data(), 0xFF, 6);
  for (int copy = 1; copy <= 17; ++copy) std::memcpy(packet.data() + 6 * copy, mac.data(), 6);
  return packet;
}

sockaddr_in BuildWakeDestination(const Ipv4Address& destination, int protocolNumber) {
  // Without a database entry the datagram still goes where it always has: port 4352.
  if (protocolNumber < 0) protocolNumber = kUdpProtocolNumber;
  sockaddr_in to;
  std::memset(&to, 0, sizeof to);
  to.sin_family = AF_INET;
  // The number goes in as the little-endian Windows program has always stored it, unconverted:
  // bytes 0x11 0x00, port 4352. Written byte by byte so a big-endian build sends there too.
  const unsigned char portBytes[2] = {static_cast<unsigned char>(protocolNumber & 0xFF),
                                      static_cast<unsigned char>((protocolNumber >> 8) & 0xFF)};
  std::memcpy(&to.sin_port, portBytes, sizeof portBytes);
  std::memcpy(&to.sin_addr, destination.data(), 4);
  return to;
}

const char* SocketErrorName(int code) {
  for (const SocketErrorNameEntry& entry : kSocketErrorNames) {
    if (entry.code == code) return entry.name;
  }
  return "";
}

std::string FormatSocketError(const char* operation, int code) {
  char text[256];
  std::snprintf(text, sizeof text, "%s ERROR : %s [%d]", operation, SocketErrorName(code), code);
  return text;
}

int CMagicPacketSender::SendMagicPacket(const Ipv4Address& destination, const MacAddress& mac) {
  if (!AfxSocketInit()) return -5;

  CSocket socket;
  int result = 0;
  const int on = 1;
  if (!socket.Create(0, SOCK_DGRAM)) {
    ShowSocketError("Create()", CSocket::GetLastError());
    result = -1;
  } else if (!socket.SetSockOpt(SO_BROADCAST, &on, sizeof on, SOL_SOCKET)) {
    ShowSocketError("SetSockOpt()", CSocket::GetLastError());
    result = -2;
  } else {
    const sockaddr_in to = BuildWakeDestination(destination, LookUpUdpProtocolNumber());
    const MagicPacket packet = BuildMagicPacket(mac);
    const int sent = socket.SendTo(packet.data(), kMagicPacketSize,
                                   reinterpret_cast<const sockaddr*>(&to), sizeof to, 0);
    if (sent != kMagicPacketSize) {
      ShowSocketError("SendTo()", CSocket::GetLastError());
      result = -4;
    }
  }
  socket.Close();
  return result;
}

void CMagicPacketSender::ShowSocketError(const char* operation, int code) {
  AfxMessageBox(FormatSocketError(operation, code).c_str(), MB_OK, 0);
}
