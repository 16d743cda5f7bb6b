// The sweep's choices about its network (which adapter, which broadcast, which echo replies and neighbour rows show a host) and its address texts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "discovery/SweepLoop.h"

namespace {

using State = sweep::NeighbourState;

TEST(SweepNetwork, AdapterIsTheRoutedOneUnlessItLeadsNowhereNear) {
  using K = sweep::AdapterKind;
  const sweep::AdapterAddresses wired{"198.51.100.10", "198.51.100.1", "255.255.255.0", 11, K::kEthernet};
  const sweep::AdapterAddresses wifi{"203.0.113.77", "203.0.113.1", "255.255.255.128", 12, K::kWifi};
  const sweep::AdapterAddresses vpn{"192.0.2.5", "192.0.2.1", "255.255.255.255", 13, K::kTunnel};
  const sweep::AdapterAddresses ppp{"192.0.2.6", "192.0.2.1", "255.255.255.255", 14, K::kDialUp};
  const sweep::AdapterAddresses virtualNet{"172.20.0.1", "", "255.255.240.0", 15, K::kEthernet};
  const sweep::AdapterAddresses other{"203.0.113.9", "203.0.113.1", "255.255.255.0", 16, K::kOther};
  const sweep::AdapterAddresses unset{"0.0.0.0", "198.51.100.1", "0.0.0.0", 17, K::kEthernet};
  using Adapters = std::vector<sweep::AdapterAddresses>;
  struct Case {
    const char* what;
    Adapters adapters;
    unsigned long routed;
    const char* address;
    unsigned long index;
  };
  const Case cases[] = {
      {"routed Wi-Fi, though wired has a gateway too and comes first", {wired, wifi}, 12, "203.0.113.77", 12},
      {"routed wired", {wifi, wired}, 11, "198.51.100.10", 11},
      {"routed adapter of another kind", {wired, other}, 16, "203.0.113.9", 16},
      {"routed VPN: the first LAN adapter with a gateway", {vpn, virtualNet, wifi, wired}, 13, "203.0.113.77", 12},
      {"routed dial-up", {ppp, wired}, 14, "198.51.100.10", 11},
      {"routed adapter without an address", {unset, wifi}, 17, "203.0.113.77", 12},
      {"disconnected adapter listed first, the VPN routed", {unset, vpn, wired}, 13, "198.51.100.10", 11},
      {"no route: first LAN adapter with a gateway", {virtualNet, other, wired}, 0, "198.51.100.10", 11},
      {"route to an adapter not listed", {virtualNet, wired}, 99, "198.51.100.10", 11},
      {"no gateway anywhere: the first with an address", {unset, virtualNet, vpn}, 0, "172.20.0.1", 15},
      {"only a VPN has a gateway", {vpn}, 13, "192.0.2.5", 13},
      {"no address at all", {unset}, 17, "", 0},
      {"no adapter", {}, 0, "", 0},
  };
  for (const Case& c : cases) {
    const sweep::SweptAdapter chosen = sweep::ChooseAdapter(c.adapters, c.routed);
    EXPECT_EQ(chosen.address, c.address) << c.what;
    EXPECT_EQ(chosen.interfaceIndex, c.index) << c.what;
  }
  EXPECT_EQ(sweep::ChooseAdapter({wifi}, 12).mask, "255.255.255.128");
}

TEST(SweepNetwork, RouteIsLookedUpForAnAddressBeyondEveryLocalNetwork) {
  using A = sweep::AdapterAddresses;
  EXPECT_EQ(sweep::AddressBeyondLocalNetworks({}), "192.0.2.1");
  EXPECT_EQ(sweep::AddressBeyondLocalNetworks({A{"192.0.2.200", "", "255.255.255.0"}}), "198.51.100.1");
  EXPECT_EQ(sweep::AddressBeyondLocalNetworks({A{"192.0.2.200", "", "255.255.255.0"},
                                               A{"198.51.100.130", "", "255.255.255.128"}}),
            "198.51.100.1");  // .1 is not on the upper /25
  EXPECT_EQ(sweep::AddressBeyondLocalNetworks({A{"10.0.0.1", "", "0.0.0.0"}}), "");
  EXPECT_EQ(sweep::AddressBeyondLocalNetworks({A{"0.0.0.0", "", "0.0.0.0"}, A{"192.0.2.200", "", "255.255.255.0"}}),
            "198.51.100.1") << "a disconnected adapter holds no address";
  // Longest prefix first, then the lowest metric; the first listed of equals.
  const std::vector<sweep::Route> routes = {
      {"0.0.0.0", "0.0.0.0", 200, 1}, {"0.0.0.0", "0.0.0.0", 100, 2}, {"0.0.0.0", "0.0.0.0", 100, 3},
      {"198.51.100.0", "255.255.255.0", 300, 4}, {"198.51.100.0", "255.255.255.128", 500, 5}};
  struct Case {
    const char* address;
    unsigned long index;
  };
  const Case cases[] = {{"192.0.2.1", 2}, {"198.51.100.200", 4}, {"198.51.100.5", 5}, {"x", 0}};
  for (const Case& c : cases) EXPECT_EQ(sweep::RoutedInterface(routes, c.address), c.index) << c.address;
  EXPECT_EQ(sweep::RoutedInterface({}, "192.0.2.1"), 0u);
}

TEST(SweepNetwork, BroadcastIsTheAdaptersDirectedOne) {
  struct Case {
    const char* address;
    const char* mask;
    const char* broadcast;
  };
  const Case cases[] = {
      {"198.51.100.10", "255.255.255.0", "198.51.100.255"},
      {"203.0.113.77", "255.255.255.128", "203.0.113.127"},
      {"203.0.113.200", "255.255.255.128", "203.0.113.255"},
      {"198.51.100.10", "255.255.254.0", "198.51.101.255"},
      {"172.16.5.4", "255.255.0.0", "172.16.255.255"},
      {"198.51.100.10", "", ""},
      {"x", "255.255.255.0", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(sweep::DirectedBroadcastText(c.address, c.mask), c.broadcast) << c.address << '/' << c.mask;
  }
}

TEST(SweepNetwork, NeighbourRowNamesAHostOnlyWhenConfirmedOnTheSweptInterface) {
  struct Case {
    const char* what;
    State state;
    unsigned long rowInterface;
    unsigned long sweptInterface;
    bool checkEnded;
    sweep::NeighbourVerdict verdict;
  };
  using V = sweep::NeighbourVerdict;
  const Case cases[] = {
      {"reachable", State::kReachable, 7, 7, false, V::kHost},
      {"permanent", State::kPermanent, 7, 7, false, V::kHost},
      {"reachable on another interface", State::kReachable, 8, 7, true, V::kNoHost},
      {"reachable, any interface swept", State::kReachable, 8, sweep::kAnyInterface, false, V::kHost},
      {"stale", State::kStale, 7, 7, false, V::kUndecided},
      {"delay", State::kDelay, 7, 7, false, V::kUndecided},
      {"probe, even once its check has ended", State::kProbe, 7, 7, true, V::kUndecided},
      {"stale on another interface", State::kStale, 8, 7, false, V::kNoHost},
      {"unreachable", State::kUnreachable, 7, 7, false, V::kNoHost},
      {"incomplete", State::kIncomplete, 7, 7, false, V::kNoHost},
      {"complete, maybe still checked", State::kCompleteUnsure, 7, 7, false, V::kUndecided},
      {"complete after its check", State::kCompleteUnsure, 7, 7, true, V::kHost},
  };
  for (const Case& c : cases) {
    const sweep::NeighbourTable table = {{"198.51.100.2", c.rowInterface, c.state, "02:00:00:00:00:02"},
                                         {"198.51.100.3", 7, State::kReachable, "02:00:00:00:00:03"}};
    std::string mac = "unchanged";
    EXPECT_EQ(sweep::JudgeNeighbour(table, "198.51.100.2", c.sweptInterface, c.checkEnded, &mac), c.verdict)
        << c.what;
    EXPECT_EQ(mac, c.verdict == V::kHost ? "02:00:00:00:00:02" : "unchanged") << c.what;
  }
  // A row without a usable address, and no row at all, say nothing; of two rows the confirmed one counts.
  std::string mac;
  EXPECT_EQ(sweep::JudgeNeighbour({{"198.51.100.2", 7, State::kReachable, ""}}, "198.51.100.2", 7, true, &mac),
            V::kNoHost);
  EXPECT_EQ(sweep::JudgeNeighbour({}, "198.51.100.2", 7, true, &mac), V::kNoHost);
  const sweep::NeighbourTable two = {{"198.51.100.2", 7, State::kStale, "02:00:00:00:00:45"},
                                     {"198.51.100.2", 7, State::kReachable, "02:00:00:00:00:46"}};
  EXPECT_EQ(sweep::JudgeNeighbour(two, "198.51.100.2", 7, false, &mac), V::kHost);
  EXPECT_EQ(mac, "02:00:00:00:00:46");
}

TEST(SweepNetwork, EchoCountsOnlyAsASuccessFromTheProbedAddress) {
  const uint32_t probed = 0x0A6433C6u, other = 0x016433C6u;  // 198.51.100.10 and .1, network order
  struct Case {
    const char* what;
    uint32_t status;
    uint32_t from;
    bool counts;
  };
  const Case cases[] = {
      {"success", 0, probed, true},
      {"destination host unreachable", 11003, probed, false},
      {"host unreachable from our own stack", 11003, other, false},
      {"destination net unreachable", 11002, probed, false},
      {"time-to-live expired on a router", 11013, other, false},
      {"success from another address", 0, other, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(sweep::EchoReplyCounts(c.status, c.from, probed), c.counts) << c.what;
  }
}

// A neighbour row's address is shown only once resolved; the address texts are upper-case pairs.
TEST(SweepNetwork, HardwareAddressTexts) {
  using Text = std::string (*)(const unsigned char*, size_t);
  const Text neighbour = &sweep::NeighbourHardwareText, format = &sweep::FormatHardwareAddress;
  struct Case {
    const char* what;
    Text text;
    std::vector<unsigned char> mac;
    const char* expected;
  };
  const Case cases[] = {
      {"an address", neighbour, {0x00, 0xA0, 0xB1, 0xC2, 0xD3, 0xE4}, "00:A0:B1:C2:D3:E4"},
      {"all zeros: still waiting for its answer", neighbour, {0, 0, 0, 0, 0, 0}, ""},
      {"all 0xFF", neighbour, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, ""},
      {"a single 0xFF is fine", neighbour, {0xFF, 0, 0, 0, 0, 0x01}, "FF:00:00:00:00:01"},
      {"no address", neighbour, {}, ""},
      {"5 bytes", neighbour, {0x02, 0, 0, 0, 0x05}, ""},
      {"8 bytes", neighbour, {0x02, 0, 0, 0, 0, 0, 0, 0x08}, ""},
      {"formatted: 8 bytes", format, {0x00, 0xA0, 0xB1, 0xC2, 0xD3, 0xE4, 0x0F, 0xFF}, "00:A0:B1:C2:D3:E4:0F:FF"},
      {"formatted: 1 byte", format, {0x0F}, "0F"},
      {"formatted: none", format, {}, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.text(c.mac.data(), c.mac.size()), c.expected) << c.what;
  }
}

}  // namespace
