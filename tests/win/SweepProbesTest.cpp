// The sweep's system probes under wine: echo to loopback, adapter and ARP table choice, and refusal of bad texts.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "discovery/PingSocket.h"
#include "discovery/SystemProbes.h"

namespace {

TEST(PingSocket, LoopbackAnswers) {
  CPingSocket ping;
  EXPECT_GE(ping.Ping(inet_addr("127.0.0.1"), 1000), 1u);
}

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
  EXPECT_TRUE(sweep::EchoAnswered("127.0.0.1", 1000));
}

TEST(SweepProbes, LocalAddressIsADottedQuadOrNothing) {
  const std::string address = sweep::LocalIPv4Address();
  sweep::LocalAddress parsed;
  EXPECT_TRUE(address.empty() || sweep::ParseLocalAddress(address, &parsed)) << address;
  EXPECT_NE(address, "0.0.0.0");
  std::printf("local address under this system: \"%s\"\n", address.c_str());
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

TEST(SweepProbes, ArpTableRowChoice) {
  struct Row {
    const char* address;
    DWORD type;
    std::vector<unsigned char> mac;
  };
  const std::vector<Row> rows = {
      {"198.51.100.2", MIB_IPNET_TYPE_INVALID, {0x02, 0, 0, 0, 0, 0x02}},
      {"198.51.100.3", MIB_IPNET_TYPE_DYNAMIC, {0, 0, 0, 0, 0, 0}},
      {"198.51.100.4", MIB_IPNET_TYPE_DYNAMIC, {0x00, 0xA0, 0xB1, 0xC2, 0xD3, 0xE4}},
      {"198.51.100.5", MIB_IPNET_TYPE_STATIC, {0x02, 0, 0, 0, 0, 0x05}},
      {"198.51.100.6", MIB_IPNET_TYPE_OTHER, {0x02, 0, 0, 0, 0, 0x06}},
      {"198.51.100.7", MIB_IPNET_TYPE_DYNAMIC, {}},
      // Second rows for .3 and .4, as of another interface: the first usable row counts.
      {"198.51.100.4", MIB_IPNET_TYPE_DYNAMIC, {0x02, 0, 0, 0, 0, 0x04}},
      {"198.51.100.3", MIB_IPNET_TYPE_DYNAMIC, {0x02, 0, 0, 0, 0, 0x03}},
  };
  std::vector<unsigned char> buffer(offsetof(MIB_IPNETTABLE, table) + rows.size() * sizeof(MIB_IPNETROW));
  MIB_IPNETTABLE* table = reinterpret_cast<MIB_IPNETTABLE*>(buffer.data());
  table->dwNumEntries = static_cast<DWORD>(rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    MIB_IPNETROW& row = table->table[i];
    row.dwAddr = inet_addr(rows[i].address);
    row.dwType = rows[i].type;
    row.dwPhysAddrLen = static_cast<DWORD>(rows[i].mac.size());
    std::copy(rows[i].mac.begin(), rows[i].mac.end(), row.bPhysAddr);
  }
  struct Case {
    const char* address;
    const char* expected;
  };
  const Case cases[] = {
      {"198.51.100.2", ""}, {"198.51.100.3", "02:00:00:00:00:03"},
      {"198.51.100.4", "00:A0:B1:C2:D3:E4"},
      {"198.51.100.5", "02:00:00:00:00:05"}, {"198.51.100.6", ""}, {"198.51.100.7", ""},
      {"198.51.100.8", ""},
  };
  const sweep::NeighbourTable neighbours = sweep::NeighbourTableFromRows(*table);
  for (const Case& c : cases) {
    const auto entry = neighbours.find(c.address);
    EXPECT_EQ(entry == neighbours.end() ? "" : entry->second, c.expected) << c.address;
  }
}

}  // namespace
