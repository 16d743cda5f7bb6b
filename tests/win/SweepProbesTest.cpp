// The sweep's system probes under wine: echo to loopback, adapter and ARP table choice, and refusal of bad texts.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "discovery/PingSocket.h"
#include "discovery/SystemProbes.h"

namespace {

TEST(PingSocket, LoopbackAnswers) {
  CPingSocket ping;
  EXPECT_GE(ping.Ping(inet_addr("127.0.0.1"), 1000), 1u);
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
  explicit AdapterTable(std::vector<const char*> addresses) : m_adapters(addresses.size()) {
    for (size_t i = 0; i < addresses.size(); ++i) {
      std::memset(&m_adapters[i], 0, sizeof m_adapters[i]);
      std::strncpy(m_adapters[i].IpAddressList.IpAddress.String, addresses[i], 15);
      m_adapters[i].Next = i + 1 < addresses.size() ? &m_adapters[i + 1] : nullptr;
    }
  }
  const IP_ADAPTER_INFO* first() const { return m_adapters.data(); }
  const void* end() const { return m_adapters.data() + m_adapters.size(); }
  IP_ADAPTER_INFO& at(size_t i) { return m_adapters[i]; }

 private:
  std::vector<IP_ADAPTER_INFO> m_adapters;
};

TEST(SweepProbes, FirstAdapterWithAnAddressGivesTheLocalAddress) {
  struct Case {
    std::vector<const char*> adapters;
    const char* expected;
  };
  const Case cases[] = {
      {{"198.51.100.7", "198.51.100.8"}, "198.51.100.7"},
      {{"0.0.0.0", "198.51.100.8", "198.51.100.9"}, "198.51.100.8"},
      {{"", "0.0.0.0", "198.51.100.9"}, "198.51.100.9"},
      {{"0.0.0.0"}, ""},
      {{"0.0.0.0", "0.0.0.0"}, ""},
  };
  for (const Case& c : cases) {
    AdapterTable table(c.adapters);
    EXPECT_EQ(sweep::FirstUsableAdapterAddress(table.first(), table.end()), c.expected)
        << c.adapters.size() << " adapters, expected " << c.expected;
  }
}

TEST(SweepProbes, AdapterListIsNeverReadPastItsBuffer) {
  AdapterTable table({"0.0.0.0", "198.51.100.8"});
  // The buffer ends before the second record: it must not be read.
  const void* cut = reinterpret_cast<const unsigned char*>(table.first()) + sizeof(IP_ADAPTER_INFO);
  EXPECT_EQ(sweep::FirstUsableAdapterAddress(table.first(), cut), "");
  // A 16-byte address text without its terminator stays within the field.
  AdapterTable full({"0.0.0.0"});
  std::memset(full.at(0).IpAddressList.IpAddress.String, '9', 16);
  EXPECT_EQ(sweep::FirstUsableAdapterAddress(full.first(), full.end()), std::string(16, '9'));
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
      {"198.51.100.2", ""}, {"198.51.100.3", ""}, {"198.51.100.4", "00:A0:B1:C2:D3:E4"},
      {"198.51.100.5", "02:00:00:00:00:05"}, {"198.51.100.6", ""}, {"198.51.100.7", ""},
      {"198.51.100.8", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(sweep::MacTextFromArpTable(*table, inet_addr(c.address)), c.expected) << c.address;
  }
}

}  // namespace
