// The sweep's system probes under wine: echo to loopback, adapter and ARP table choice, and refusal of bad texts.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "discovery/PingSocket.h"
#include "discovery/SystemProbes.h"

namespace {

// An error reply is no answer. Needs a host that rejects echo with host-unreachable, which the
// sweep's test LAN has (tests/e2e/sweep_netns.sh names it in KESTRIN_REJECTING_PEER); skipped
// in ordinary runs.
TEST(PingSocketInTestLan, HostUnreachableReplyCountsAsNone) {
  const char* peer = std::getenv("KESTRIN_REJECTING_PEER");
  if (peer == nullptr || *peer == '\0') GTEST_SKIP() << "KESTRIN_REJECTING_PEER not set";
  CPingSocket ping;
  EXPECT_EQ(ping.Ping(inet_addr(peer), 1000), 0u) << peer;
}

TEST(PingSocket, NeverCreatesASocket) {
  CPingSocket ping;
  ping.Ping(inet_addr("127.0.0.1"), 100);
  EXPECT_EQ(ping.m_hSocket, INVALID_SOCKET);
}

TEST(SweepProbes, TextsThatAreNoAddressAreNeverProbed) {
  // "255.255.255.255" would be a broadcast; the others do not parse at all.
  const char* texts[] = {"", "not an address", "255.255.255.255", "127.0.0.1 x"};
  for (const char* text : texts) {
    EXPECT_FALSE(sweep::EchoAnswered(text, 100)) << '"' << text << '"';
    EXPECT_EQ(sweep::ResolveMacAddressText(text), "") << '"' << text << '"';
    EXPECT_EQ(sweep::ReverseLookupName(text), "") << '"' << text << '"';
  }
  // An echo to loopback is answered, through the same ICMP handle every probe opens.
  EXPECT_TRUE(sweep::EchoAnswered("127.0.0.1", 1000));
}

TEST(SweepProbes, LocalAddressIsADottedQuadOrNothing) {
  const std::string address = sweep::LocalIPv4Address().address;
  sweep::LocalAddress parsed;
  EXPECT_TRUE(address.empty() || sweep::ParseLocalAddress(address, &parsed)) << address;
  EXPECT_NE(address, "0.0.0.0");
}

// A list of adapters in one buffer, as GetAdaptersInfo lays it out.
class AdapterTable {
 public:
  explicit AdapterTable(std::vector<sweep::AdapterAddresses> adapters) : m_adapters(adapters.size()) {
    for (size_t i = 0; i < adapters.size(); ++i) {
      std::memset(&m_adapters[i], 0, sizeof m_adapters[i]);
      std::strncpy(m_adapters[i].IpAddressList.IpAddress.String, adapters[i].address.c_str(), 15);
      std::strncpy(m_adapters[i].GatewayList.IpAddress.String, adapters[i].gateway.c_str(), 15);
      m_adapters[i].Next = i + 1 < adapters.size() ? &m_adapters[i + 1] : nullptr;
    }
  }
  const IP_ADAPTER_INFO* first() const { return m_adapters.data(); }
  const void* end() const { return m_adapters.data() + m_adapters.size(); }
  IP_ADAPTER_INFO& at(size_t i) { return m_adapters[i]; }

 private:
  std::vector<IP_ADAPTER_INFO> m_adapters;
};

// Each adapter's address and gateway, in list order, never read past the buffer.
TEST(SweepProbes, AdapterListReadsAddressAndGatewayWithinItsBuffer) {
  using Adapters = std::vector<sweep::AdapterAddresses>;
  const Adapters listed = {{"203.0.113.5", ""}, {"0.0.0.0", "0.0.0.0"}, {"198.51.100.10", "198.51.100.1"}};
  AdapterTable table(listed);
  const Adapters read = sweep::AdapterList(table.first(), table.end());
  ASSERT_EQ(read.size(), listed.size());
  for (size_t i = 0; i < read.size(); ++i) {
    EXPECT_EQ(read[i].address, listed[i].address) << "adapter " << i;
    EXPECT_EQ(read[i].gateway, listed[i].gateway) << "adapter " << i;
  }
  // The buffer ends before the second record: it must not be read.
  const void* cut = reinterpret_cast<const unsigned char*>(table.first()) + sizeof(IP_ADAPTER_INFO);
  EXPECT_EQ(sweep::AdapterList(table.first(), cut).size(), 1u);
  // A 16-byte address text without its terminator stays within the field.
  AdapterTable full(Adapters{{"0.0.0.0", ""}});
  std::memset(full.at(0).IpAddressList.IpAddress.String, '9', 16);
  EXPECT_EQ(sweep::AdapterList(full.first(), full.end()).at(0).address, std::string(16, '9'));
}

TEST(SweepProbes, NeighbourRowsKeepStateInterfaceAndUsableAddress) {
  using S = sweep::NeighbourState;
  struct Row {
    const char* address;
    NL_NEIGHBOR_STATE state;
    bool unreachable;
    std::vector<unsigned char> mac;
    S windows;  // as read on Windows
    S wine;     // as read under wine, whose reachable rows may still be checked
    const char* text;
  };
  const std::vector<Row> rows = {
      {"198.51.100.2", NlnsReachable, false, {0x00, 0xA0, 0xB1, 0xC2, 0xD3, 0xE4}, S::kReachable,
       S::kCompleteUnsure, "00:A0:B1:C2:D3:E4"},
      {"198.51.100.3", NlnsStale, false, {0x02, 0, 0, 0, 0, 0x03}, S::kStale, S::kStale, "02:00:00:00:00:03"},
      {"198.51.100.4", NlnsDelay, false, {0x02, 0, 0, 0, 0, 0x04}, S::kDelay, S::kDelay, "02:00:00:00:00:04"},
      {"198.51.100.5", NlnsPermanent, false, {0x02, 0, 0, 0, 0, 0x05}, S::kPermanent, S::kPermanent,
       "02:00:00:00:00:05"},
      // wine lists a failed row as stale, flagged unreachable, without an address.
      {"198.51.100.6", NlnsStale, true, {0, 0, 0, 0, 0, 0}, S::kUnreachable, S::kUnreachable, ""},
      {"198.51.100.7", NlnsIncomplete, false, {}, S::kIncomplete, S::kIncomplete, ""},
      {"198.51.100.8", static_cast<NL_NEIGHBOR_STATE>(42), false, {0x02, 0, 0, 0, 0, 0x08}, S::kUnreachable,
       S::kUnreachable, "02:00:00:00:00:08"},
  };
  std::vector<unsigned char> buffer(offsetof(MIB_IPNET_TABLE2, Table) + (rows.size() + 1) * sizeof(MIB_IPNET_ROW2));
  MIB_IPNET_TABLE2* table = reinterpret_cast<MIB_IPNET_TABLE2*>(buffer.data());
  table->NumEntries = static_cast<ULONG>(rows.size() + 1);
  for (size_t i = 0; i < rows.size(); ++i) {
    MIB_IPNET_ROW2& row = table->Table[i];
    row.Address.si_family = AF_INET;
    row.Address.Ipv4.sin_addr.s_addr = inet_addr(rows[i].address);
    row.InterfaceIndex = static_cast<NET_IFINDEX>(10 + i);
    row.State = rows[i].state;
    row.IsUnreachable = rows[i].unreachable;
    row.PhysicalAddressLength = static_cast<ULONG>(rows[i].mac.size());
    std::copy(rows[i].mac.begin(), rows[i].mac.end(), row.PhysicalAddress);
  }
  table->Table[rows.size()].Address.si_family = AF_INET6;  // not ours to read
  for (bool wine : {false, true}) {
    const sweep::NeighbourTable read = sweep::NeighbourTableFromRows(*table, wine);
    ASSERT_EQ(read.size(), rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
      EXPECT_EQ(read[i].address, rows[i].address);
      EXPECT_EQ(read[i].interfaceIndex, 10 + i) << rows[i].address;
      EXPECT_EQ(read[i].state, wine ? rows[i].wine : rows[i].windows) << rows[i].address << " wine " << wine;
      EXPECT_EQ(read[i].mac, rows[i].text) << rows[i].address;
    }
  }
}

}  // namespace
