// The sweep loop with fake probes: which hosts are probed, in what order, at what progress, and what is stored.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "discovery/SweepLoop.h"

namespace {

// One fake network: the hosts that answer, and what ARP, the neighbour table and the reverse
// lookup say of them.
using State = sweep::NeighbourState;

struct FakeHost {
  bool answersEcho = true;
  std::string mac;       // "" : ARP gives nothing
  std::string name;      // "" : reverse lookup fails
  std::string tableMac;  // "" : the neighbour table holds nothing usable
  // The row's state at each table read, the last one kept for all later reads.
  std::vector<State> states = {State::kReachable};
  unsigned long interfaceIndex = 7;
};

// Time runs as on a network: a silent echo takes 100 ms, an answered one 1 ms.
class FakeNetwork {
 public:
  explicit FakeNetwork(sweep::SweptAdapter local) : m_local(std::move(local)) {}
  // A /24 on interface 7, where the table's rows are unless a host says otherwise.
  explicit FakeNetwork(const std::string& local)
      : FakeNetwork(sweep::SweptAdapter(local, "255.255.255.0", 7)) {}

  void Add(const std::string& address, FakeHost host) { m_hosts[address] = std::move(host); }
  // The stop flag is raised while this host's echo runs, as a closing window would.
  void StopDuringEcho(const std::string& address) { m_stopAt = address; }

  sweep::SweepEnd Run() {
    sweep::Probes probes;
    probes.localAddress = [this] { return m_local; };
    probes.echo = [this](const std::string& address) {
      log.push_back("echo " + address);
      echoed.push_back(address);
      if (address == m_stopAt) stop = true;
      auto it = m_hosts.find(address);
      const bool answered = it != m_hosts.end() && it->second.answersEcho;
      nowMs += answered ? 1 : 100;
      return answered;
    };
    probes.resolveMac = [this](const std::string& address) {
      log.push_back("arp " + address);
      auto it = m_hosts.find(address);
      return it == m_hosts.end() ? std::string() : it->second.mac;
    };
    probes.neighbourTable = [this] {
      log.push_back("table");
      sweep::NeighbourTable table;
      for (const auto& host : m_hosts) {
        const FakeHost& h = host.second;
        if (h.tableMac.empty()) continue;
        const State state = h.states[std::min(tableReads, h.states.size() - 1)];
        table.push_back({host.first, h.interfaceIndex, state, h.tableMac});
      }
      ++tableReads;
      return table;
    };
    probes.clockMs = [this] { return nowMs; };
    probes.sleepMs = [this](int ms) {
      sleptMs += ms;
      nowMs += ms;
      if (stopDuringSleep) stop = true;
    };
    probes.reverseName = [this](const std::string& address) {
      log.push_back("name " + address);
      auto it = m_hosts.find(address);
      return it == m_hosts.end() ? std::string() : it->second.name;
    };
    sweep::Sinks sinks;
    sinks.progress = [this](int position) {
      log.push_back("progress " + std::to_string(position));
      positions.push_back(position);
    };
    sinks.hostsFound = [this](const std::vector<HostEntry>& hosts) {
      ++batches;
      for (const HostEntry& host : hosts) log.push_back(std::string("found ") + host.szMac);
      found.insert(found.end(), hosts.begin(), hosts.end());
    };
    sweep::SweepEnd told = sweep::SweepEnd::kCompleted;
    sinks.finished = [this, &told](sweep::SweepEnd end) {
      log.push_back("finished");
      ++finishedCount;
      told = end;
    };
    if (withoutArp) probes.resolveMac = nullptr;
    const sweep::SweepEnd end = sweep::RunSweep(probes, sinks, stop);
    EXPECT_EQ(told, end) << "the window is told how the sweep ended";
    EXPECT_EQ(finishedCount, 1) << "the window is told once, last";
    EXPECT_EQ(log.back(), "finished") << "the window is told once, last";
    return end;
  }

  // Where entry stands in the log; -1 when it is not there.
  long At(const std::string& entry) const {
    const auto it = std::find(log.begin(), log.end(), entry);
    return it == log.end() ? -1L : static_cast<long>(it - log.begin());
  }

  std::vector<std::string> log;
  std::vector<std::string> echoed;
  std::vector<int> positions;
  std::vector<HostEntry> found;
  int finishedCount = 0;
  int batches = 0;  // calls of hostsFound
  std::atomic<bool> stop{false};
  long long nowMs = 0;
  long long sleptMs = 0;
  size_t tableReads = 0;
  bool stopDuringSleep = false;  // a closing window during the wait at the end
  bool withoutArp = false;       // a system without an ARP query (wine)

 private:
  sweep::SweptAdapter m_local;
  std::string m_stopAt;
  std::map<std::string, FakeHost> m_hosts;
};

std::vector<std::string> ExpectedEchoes(const std::string& network, int skipped) {
  std::vector<std::string> addresses;
  for (int n = 1; n <= 254; ++n) {
    if (n != skipped) addresses.push_back(network + std::to_string(n));
  }
  return addresses;
}

std::string Repeat(const std::string& text, int count) {
  std::string out;
  for (int i = 0; i < count; ++i) out += text;
  return out;
}

TEST(SweepLoop, ProbesEveryHostNumberButItsOwnInOrder) {
  struct Case {
    const char* local;
    const char* network;
    int skipped;  // 0: none of 1..254
  };
  const Case cases[] = {
      {"192.168.1.10", "192.168.1.", 10}, {"10.1.2.0", "10.1.2.", 0},
      {"10.1.2.255", "10.1.2.", 0},       {"172.16.0.1", "172.16.0.", 1},
      {"172.16.0.254", "172.16.0.", 254}, {"1.0.0.77", "1.0.0.", 77},
      // Decimal octets (never octal), in order; leading zeros never reach a probe address.
      {"010.001.002.003", "10.1.2.", 3},  {"0.0.1.0", "0.0.1.", 0},
      {"255.255.255.255", "255.255.255.", 0},
  };
  for (const Case& c : cases) {
    FakeNetwork net(c.local);
    EXPECT_EQ(net.Run(), sweep::SweepEnd::kCompleted) << c.local;
    EXPECT_EQ(net.echoed, ExpectedEchoes(c.network, c.skipped)) << c.local;
    EXPECT_EQ(net.positions.size(), 254u) << c.local;
  }
}

TEST(SweepLoop, ProgressIsSentBeforeEachHostOwnNumberIncluded) {
  // The own number 127 must not hold the bar back.
  FakeNetwork net("192.168.1.127");
  net.Run();
  ASSERT_EQ(net.positions.size(), 254u);
  struct Case {
    int host;
    int position;
  };
  const Case cases[] = {{1, 0}, {2, 0}, {3, 1}, {126, 49}, {127, 50}, {128, 50}, {253, 99}, {254, 100}};
  for (const Case& c : cases) {
    EXPECT_EQ(net.positions[c.host - 1], c.position) << "before host " << c.host;
  }
  for (size_t i = 1; i < net.positions.size(); ++i) {
    EXPECT_LE(net.positions[i - 1], net.positions[i]) << "position falls before host " << i + 1;
  }
  // Each host's position comes right before its echo; the own number has no echo.
  EXPECT_EQ(net.At("echo 192.168.1.3"), net.At("progress 1") + 1);
  EXPECT_EQ(net.At("echo 192.168.1.127"), -1);
  // The last host is silent: its echo, then its look into the neighbour table.
  EXPECT_EQ(net.log[net.log.size() - 4], "progress 100");
  EXPECT_EQ(net.log[net.log.size() - 3], "echo 192.168.1.254");
}

TEST(SweepLoop, StoresHostsFoundByEchoAndArpOrInTheNeighbourTable) {
  FakeNetwork net("198.51.100.10");
  net.Add("198.51.100.2", {true, "00:A0:B1:C2:D3:E4", "alpha.lan"});
  net.Add("198.51.100.3", {true, "", "no-arp.lan", "02:00:00:00:00:03"});  // echo, no ARP answer
  net.Add("198.51.100.4", {false, "00:00:00:00:00:04", "mute"});  // ARP would answer, echo does not
  net.Add("198.51.100.5", {true, "00:a0:B1:c2:D3:e4", ""});       // no name; case as ARP gave it
  net.Add("198.51.100.6", {false, "", "quiet-pc", "02:00:00:00:00:06"});  // drops echo; in the table
  net.Add("198.51.100.10", {true, "00:00:00:00:00:10", "self"});  // never probed
  net.Add("198.51.100.254", {true, "02:00:00:00:00:FE", "last"});
  net.Run();

  struct Expected {
    const char* mac;
    const char* alias;
  };
  const Expected expected[] = {{"00A0B1C2D3E4", "alpha.lan"},
                               {"00a0B1c2D3e4", ""},
                               {"020000000006", "quiet-pc"},
                               {"0200000000FE", "last"}};
  ASSERT_EQ(net.found.size(), 4u);
  EXPECT_EQ(net.batches, 2) << "hosts 2, 5 and 6 at the first look-up, 254 at the last";
  for (size_t i = 0; i < net.found.size(); ++i) {
    EXPECT_STREQ(net.found[i].szMac, expected[i].mac) << "host #" << i;
    EXPECT_STREQ(net.found[i].szAlias, expected[i].alias) << "host #" << i;
  }
  // ARP (which may block on a dead address) only after an echo that counted; no lookup for a
  // host neither ARP nor the table resolved.
  struct Call {
    const char* entry;
    bool made;
  };
  const Call calls[] = {
      {"arp 198.51.100.4", false}, {"name 198.51.100.4", false}, {"arp 198.51.100.3", true},
      {"name 198.51.100.3", false}, {"arp 198.51.100.6", false}, {"name 198.51.100.6", true},
      {"arp 198.51.100.1", false},  {"name 198.51.100.1", false},
  };
  for (const Call& c : calls) {
    EXPECT_EQ(net.At(c.entry) >= 0, c.made) << c.entry;
  }
}

TEST(SweepLoop, NeighbourTableIsReadOncePerBatchAfterItsEchoes) {
  constexpr int k = sweep::kHostsPerTableRead;
  FakeNetwork net("198.51.100.10");
  net.Add("198.51.100.40", {false, "", "quiet-pc", "02:00:00:00:00:28"});
  net.Add("198.51.100.70", {true, "02:00:00:00:00:46", "pinged"});
  net.Run();
  // After every k host numbers and after the last: the table costs time per row.
  EXPECT_EQ(std::count(net.log.begin(), net.log.end(), "table"), (254 + k - 1) / k);
  // Host 40 is found from the read after the last echo of its batch, before the next echo.
  const int batchEnd = (40 + k - 1) / k * k;
  const long found40 = net.At("found 020000000028");
  EXPECT_GT(found40, net.At("echo 198.51.100." + std::to_string(batchEnd)));
  EXPECT_LT(found40, net.At("echo 198.51.100." + std::to_string(batchEnd + 1)));
  EXPECT_GT(net.At("found 020000000046"), found40);
  // Where every echo counts, the table is never read.
  FakeNetwork all("198.51.100.10");
  for (int n = 1; n <= 254; ++n) {
    all.Add("198.51.100." + std::to_string(n), {true, "02:00:00:00:00:01", ""});
  }
  all.Run();
  EXPECT_EQ(std::count(all.log.begin(), all.log.end(), "table"), 0);
  EXPECT_EQ(all.found.size(), 253u);
  EXPECT_EQ(all.batches, (254 + k - 1) / k) << "the hosts of each look-up handed over together";
  // Without an ARP query, the answering hosts come from that one read too; their answer ended
  // any check of their rows, but a row without an address or on another interface is still none.
  FakeNetwork noArp("198.51.100.10");
  noArp.Add("198.51.100.2", {true, "", "a", "02:00:00:00:00:02", {State::kCompleteUnsure}});
  noArp.Add("198.51.100.3", {true, "", "b", "", {State::kReachable}});
  noArp.Add("198.51.100.4", {true, "", "c", "02:00:00:00:00:04", {State::kReachable}, 8});
  noArp.withoutArp = true;
  noArp.Run();
  EXPECT_EQ(std::count(noArp.log.begin(), noArp.log.end(), "table"), (254 + k - 1) / k);
  ASSERT_EQ(noArp.found.size(), 1u);
  EXPECT_STREQ(noArp.found[0].szMac, "020000000002");
}

TEST(SweepLoop, UndecidedRowIsJudgedAgainAtALaterRead) {
  using States = std::vector<State>;
  struct Case {
    const char* what;
    int host;
    States states;
    bool found;
    long long sleptMs;  // the wait at the end
  };
  // Host 10 is read first after host 64 (some 5.4 s after its echo), host 250 at the fourth read,
  // after host 254 (0.5 s after its echo), then at a fifth once its check has had time to end.
  const State d = State::kDelay;
  const Case cases[] = {
      {"confirmed at the next read", 10, {State::kDelay, State::kReachable}, true, 0},
      {"unreachable at the next read", 10, {State::kProbe, State::kUnreachable}, false, 0},
      {"still stale at every read", 10, {State::kStale}, false, 0},
      {"wine's complete row, old enough at the next read", 10, {State::kCompleteUnsure}, true, 0},
      {"near the end: confirmed after the wait", 250, {d, d, d, d, State::kReachable}, true, 8500 - 500},
      {"near the end: gone after the wait", 250, {d, d, d, d, State::kUnreachable}, false, 8500 - 500},
      {"near the end: still probing after the wait", 250, {State::kProbe}, false, 8500 - 500},
      {"near the end: wine's complete row after the wait", 250, {State::kCompleteUnsure}, true, 8500 - 500},
      {"near the end, confirmed at once: no wait", 250, {State::kReachable}, true, 0},
  };
  for (const Case& c : cases) {
    FakeNetwork net(sweep::SweptAdapter("198.51.100.1", "255.255.255.0", 7));
    const std::string address = "198.51.100." + std::to_string(c.host);
    net.Add(address, {false, "", "quiet", "02:00:00:00:00:0A", c.states});
    net.Add("198.51.100.100", {true, "02:00:00:00:00:64", "pinged"});
    EXPECT_EQ(net.Run(), sweep::SweepEnd::kCompleted) << c.what;
    EXPECT_EQ(net.At("found 02000000000A") >= 0, c.found) << c.what;
    EXPECT_EQ(net.sleptMs, c.sleptMs) << c.what;
    if (c.host == 10 && c.found) {
      // Found at the second read, ahead of the host answering at that read.
      EXPECT_LT(net.At("found 02000000000A"), net.At("found 020000000064")) << c.what;
      EXPECT_GT(net.At("found 02000000000A"), net.At("echo 198.51.100.128")) << c.what;
    }
  }
}

// The one host found carries its name cut to the field, never splitting a double-byte character,
// and the adapter's directed broadcast; a mask that is no dotted quad keeps the /24's.
TEST(SweepLoop, FoundHostCarriesItsCutNameAndTheAdaptersBroadcast) {
  const std::string ascii62(62, 'n');
  struct Case {
    const char* what;
    std::string name;
    std::string alias;
    const char* mask = "255.255.255.0";
    const char* broadcast = "203.0.113.255";
  };
  const Case cases[] = {
      // 64 bytes whose 63rd byte leads a double-byte character: the character goes whole.
      {"lead byte at 63", ascii62 + "\x82\xA0", ascii62},
      {"63 bytes kept", std::string(63, 'x'), std::string(63, 'x')},
      {"64 single bytes", std::string(64, 'y'), std::string(63, 'y')},
      {"long name", std::string(300, 'z'), std::string(63, 'z')},
      {"lead byte as the very last byte", ascii62 + "\x82", ascii62 + "\x82"},
      {"double-byte characters only: 31 fit, the 32nd does not", Repeat("\x83\x41", 40), Repeat("\x83\x41", 31)},
      {"a /25", "n", "n", "255.255.255.128", "203.0.113.127"},
      {"no mask", "n", "n", "", "203.0.113.255"},
  };
  for (const Case& c : cases) {
    FakeNetwork net(sweep::SweptAdapter("203.0.113.77", c.mask, 7));
    net.Add("203.0.113.9", {true, "02:00:00:00:00:09", c.name});
    net.Run();
    ASSERT_EQ(net.found.size(), 1u) << c.what;
    EXPECT_EQ(std::string(net.found[0].szAlias), c.alias) << c.what;
    EXPECT_STREQ(net.found[0].szBroadcast, c.broadcast) << c.what;
  }
}

TEST(SweepLoop, NoUsableLocalAddressEndsAtOnce) {
  const char* locals[] = {"",          "abc",         "192.168.1",  "192.168.1.10.5",
                          "256.1.1.1", "1.2.3.256",   "1.2.3.-1",   " 192.168.1.10",
                          "192.168.1.10 ", "1..2.3",  "0.0.0.0",    "0.0.0.5",
                          "1.2.3.0004", "+1.2.3.4",   "1.2.3.4x"};
  for (const char* local : locals) {
    FakeNetwork net(local);
    EXPECT_EQ(net.Run(), sweep::SweepEnd::kNoNetwork) << '"' << local << '"';
    EXPECT_EQ(net.log, std::vector<std::string>{"finished"}) << '"' << local << '"';
  }
}

// The stop flag is looked at before each host and during the wait at the end; the step under way
// finishes, and nothing is touched after it, not even the hosts already echoed.
TEST(SweepLoop, StopRequestEndsTheSweepAtItsNextStep) {
  struct Case {
    const char* what;
    void (*setUp)(FakeNetwork&);
    size_t echoes;
    const char* lastBeforeFinished;  // nullptr: nothing at all
    long long sleptMs;
    size_t tableReads;
  };
  const Case cases[] = {
      {"raised before the start", [](FakeNetwork& net) { net.stop = true; }, 0, nullptr, 0, 0},
      {"raised during host 5's echo",
       [](FakeNetwork& net) {
         net.Add("198.51.100.5", {true, "02:00:00:00:00:05", "five"});
         net.StopDuringEcho("198.51.100.5");
       },
       5, "echo 198.51.100.5", 0, 0},
      {"raised during the wait for an undecided row: one short step of it, not the whole wait",
       [](FakeNetwork& net) {
         net.Add("198.51.100.250", {false, "", "late", "02:00:00:00:00:FA",
                                    {State::kDelay, State::kDelay, State::kDelay, State::kDelay, State::kReachable}});
         net.stopDuringSleep = true;
       },
       253, "table", 50, 4},
  };
  const std::vector<std::string> all = ExpectedEchoes("198.51.100.", 200);
  for (const Case& c : cases) {
    FakeNetwork net("198.51.100.200");
    c.setUp(net);
    EXPECT_EQ(net.Run(), sweep::SweepEnd::kStopped) << c.what;
    EXPECT_EQ(net.echoed, std::vector<std::string>(all.begin(), all.begin() + c.echoes)) << c.what;
    EXPECT_EQ(net.found.size(), 0u) << c.what;
    EXPECT_EQ(net.log.size() >= 2 ? net.log[net.log.size() - 2] : "", c.lastBeforeFinished ? c.lastBeforeFinished : "")
        << c.what;
    EXPECT_EQ(net.sleptMs, c.sleptMs) << c.what;
    EXPECT_EQ(net.tableReads, c.tableReads) << c.what;
  }
}

}  // namespace
