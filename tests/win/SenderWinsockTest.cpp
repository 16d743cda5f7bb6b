// The sender over real Winsock: one datagram to a loopback listener, port 4352.
#include <gtest/gtest.h>

#include "core/MagicPacketSender.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/UdpListener.h"

namespace {

TEST(WinsockSender, DeliversTheDatagramToLoopback) {
  UdpListener listener("127.0.0.1", 4352);
  ASSERT_TRUE(listener.ok());
  MessageBoxRecorder boxes;
  const MacAddress mac = {0x00, 0xA0, 0xB1, 0xC2, 0xD3, 0xE4};
  EXPECT_EQ(CMagicPacketSender().SendMagicPacket({127, 0, 0, 1}, mac), 0);
  const auto datagrams = listener.ReceiveAll(500);
  ASSERT_EQ(datagrams.size(), 1u);
  const MagicPacket expected = BuildMagicPacket(mac);
  EXPECT_EQ(datagrams[0], std::vector<unsigned char>(expected.begin(), expected.end()));
  EXPECT_TRUE(boxes.Boxes().empty());
}

TEST(WinsockSender, UdpProtocolEntryGivesPort4352) {
  AfxSocketInit();
  const protoent* entry = getprotobyname("UDP");
  const int number = entry ? entry->p_proto : -1;
  const sockaddr_in to = BuildWakeDestination({127, 0, 0, 1}, number);
  EXPECT_EQ(ntohs(to.sin_port), 4352);
}

}  // namespace
