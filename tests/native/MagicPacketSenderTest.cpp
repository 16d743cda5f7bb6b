// The datagram, its destination, the error texts, and the sender against a real listener and failing sockets.
#include <gtest/gtest.h>

#include <cstring>

#include "core/MagicPacketSender.h"
#include "tests/support/FakeSocketBackend.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/UdpListener.h"

namespace {

const MacAddress kMac = {0x00, 0xA0, 0xB1, 0xC2, 0xD3, 0xE4};
const Ipv4Address kLoopback = {127, 0, 0, 1};

TEST(MagicPacket, SixFfThenSeventeenCopies) {
  const MagicPacket packet = BuildMagicPacket(kMac);
  ASSERT_EQ(packet.size(), 108u);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(packet[i], 0xFF) << "byte " << i;
  for (int copy = 1; copy <= 17; ++copy) {
    EXPECT_EQ(0, std::memcmp(packet.data() + 6 * copy, kMac.data(), 6)) << "copy " << copy;
  }
}

TEST(MagicPacket, DestinationCarriesProtocolNumberUnconverted) {
  struct Case {
    int protocolNumber;
    const char* why;
  };
  const Case cases[] = {{17, "database entry for UDP"}, {-1, "no database entry: still 17"}};
  for (const Case& c : cases) {
    const sockaddr_in to = BuildWakeDestination({0xC0, 0xA8, 0x0A, 0xFF}, c.protocolNumber);
    const unsigned char* raw = reinterpret_cast<const unsigned char*>(&to);
    EXPECT_EQ(to.sin_family, AF_INET) << c.why;
    EXPECT_EQ(raw[2], 0x11) << c.why;
    EXPECT_EQ(raw[3], 0x00) << c.why;
    EXPECT_EQ(0, std::memcmp(&to.sin_addr, "\xC0\xA8\x0A\xFF", 4)) << c.why;
    for (int i = 8; i < 16; ++i) EXPECT_EQ(raw[i], 0) << c.why << ", zero byte " << i;
  }
}

TEST(SocketError, Texts) {
  struct Case {
    const char* operation;
    int code;
    const char* expected;
  };
  const Case cases[] = {
      {"SendTo()", 10051, "SendTo() ERROR : WSAENETUNREACH [10051]"},
      {"Create()", 10013, "Create() ERROR : WSAEACCES [10013]"},
      {"Create()", 10093, "Create() ERROR : WSANOTINITIALISED [10093]"},
      {"SetSockOpt()", 10042, "SetSockOpt() ERROR : WSAENOPROTOOPT [10042]"},
      {"SendTo()", 10046, "SendTo() ERROR :  [10046]"},  // between two table entries
      {"SendTo()", 0, "SendTo() ERROR :  [0]"},
      {"SendTo()", -1, "SendTo() ERROR :  [-1]"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatSocketError(c.operation, c.code), c.expected);
  }
}

TEST(SocketError, TableHasExactlyTwentyFiveNames) {
  int named = 0;
  for (int code = 10000; code < 10200; ++code) named += SocketErrorName(code)[0] != '\0';
  EXPECT_EQ(named, 25);
}

TEST(MagicPacketSender, DeliversOneDatagramToPort4352) {
  UdpListener listener("127.0.0.1", 4352);
  ASSERT_TRUE(listener.ok());
  MessageBoxRecorder boxes;
  EXPECT_EQ(CMagicPacketSender().SendMagicPacket(kLoopback, kMac), 0);
  const auto datagrams = listener.ReceiveAll(500);
  ASSERT_EQ(datagrams.size(), 1u);
  const MagicPacket expected = BuildMagicPacket(kMac);
  EXPECT_EQ(datagrams[0], std::vector<unsigned char>(expected.begin(), expected.end()));
  EXPECT_TRUE(boxes.Boxes().empty());
}

TEST(MagicPacketSender, EachFailingStepShowsOneBoxAndClosesTheSocket) {
  using FailAt = FakeSocketBackend::FailAt;
  struct Case {
    FailAt failAt;
    int result;
    const char* box;  // nullptr: no box
    int sends;
    int closed;
  };
  const Case cases[] = {
      {FailAt::Nothing, 0, nullptr, 1, 1},
      {FailAt::Startup, -5, nullptr, 0, 0},
      {FailAt::Open, -1, "Create() ERROR : WSAENETUNREACH [10051]", 0, 0},
      {FailAt::SetOption, -2, "SetSockOpt() ERROR : WSAENETUNREACH [10051]", 0, 1},
      {FailAt::SendTo, -4, "SendTo() ERROR : WSAENETUNREACH [10051]", 1, 1},
      {FailAt::ShortSend, -4, "SendTo() ERROR : WSAENETUNREACH [10051]", 1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.failAt));
    FakeSocketBackend backend(c.failAt);
    ScopedOverride useFake(SocketBackendSeam(), &backend);
    MessageBoxRecorder boxes;
    EXPECT_EQ(CMagicPacketSender().SendMagicPacket(kLoopback, kMac), c.result);
    const auto shown = boxes.Boxes();
    if (c.box == nullptr) {
      EXPECT_TRUE(shown.empty());
    } else {
      ASSERT_EQ(shown.size(), 1u);
      EXPECT_EQ(shown[0].text, c.box);
      EXPECT_EQ(shown[0].type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
      EXPECT_EQ(shown[0].owner, nullptr);
    }
    EXPECT_EQ(backend.sends, c.sends);
    EXPECT_EQ(backend.closed, c.closed);
    if (c.failAt == FailAt::Startup) {
      EXPECT_EQ(backend.opened, 0);
    }
  }
}

}  // namespace
