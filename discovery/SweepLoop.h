// The subnet sweep's order and arithmetic, with its probes and sinks handed in, so it runs without a window or a network.
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/HostEntry.h"

namespace sweep {

// Interface index that stands for every interface (no system gives it to one).
constexpr unsigned long kAnyInterface = 0;

// The state of a neighbour-table row, as the system keeps it. kCompleteUnsure is a row that is
// either reachable or still being checked, where the system does not say which (wine derives
// states from its host's ARP cache, which marks both alike).
enum class NeighbourState {
  kUnreachable, kIncomplete, kProbe, kDelay, kStale, kReachable, kPermanent, kCompleteUnsure
};

// One row of the system's neighbour table: dotted quad, interface, state and hardware-address
// text (as NeighbourHardwareText gives it; "" when the row holds no usable address).
struct NeighbourRow {
  std::string address;
  unsigned long interfaceIndex;
  NeighbourState state;
  std::string mac;
};
using NeighbourTable = std::vector<NeighbourRow>;

// The adapter to sweep from: its IPv4 address and mask as dotted quads, and its interface index.
// An address alone stands for a /24 on any interface.
struct SweptAdapter {
  SweptAdapter(std::string addressText = std::string(), std::string maskText = "255.255.255.0",
               unsigned long index = kAnyInterface)
      : address(std::move(addressText)), mask(std::move(maskText)), interfaceIndex(index) {}
  std::string address;  // "" when there is none
  std::string mask;
  unsigned long interfaceIndex;
};

// Milliseconds of a steady clock, and a sleep of that many: the sweep's own measure of time.
long long SteadyClockMs();
void SleepMs(int ms);

// What the sweep asks of the system. Addresses travel as dotted-quad texts ("192.168.1.7").
struct Probes {
  // The adapter whose network is swept (as ChooseAdapter picks it); its address is "" when there
  // is none (or the network library did not start).
  std::function<SweptAdapter()> localAddress;
  // True when the host answered an ICMP echo within the sweep's time-out (see EchoReplyCounts).
  std::function<bool(const std::string& address)> echo;
  // Hardware address as colon-separated hexadecimal ("00:A0:B1:C2:D3:E4") from a confirmed ARP
  // answer; "" when there is none. Asked only for a host whose echo counted. Left empty where
  // the system has no ARP query: such a host is then looked up in the neighbour table, whose
  // row its answer has confirmed.
  std::function<std::string(const std::string& address)> resolveMac;
  // The system's neighbour table, hardware addresses formatted as resolveMac's. Read for the hosts
  // whose echo did not count: each echo has made the system resolve its address, so reading
  // sends nothing and waits for nothing.
  std::function<NeighbourTable()> neighbourTable;
  // Name from the reverse lookup; "" when the lookup fails or has no name.
  std::function<std::string(const std::string& address)> reverseName;
  // The clock and the sleep that time the wait for rows still being checked.
  std::function<long long()> clockMs = SteadyClockMs;
  std::function<void(int ms)> sleepMs = SleepMs;
};

enum class SweepEnd {
  kCompleted,  // hosts 1..254 were all visited
  kNoNetwork,  // no usable local address: nothing was probed
  kStopped,    // stopRequested was seen between two hosts
};

// Where the sweep reports. All three are required.
struct Sinks {
  // Position 0..100 of the progress bar, once per host number (own number included), before its probe.
  std::function<void(int position)> progress;
  // The hosts one look-up found (by echo and ARP, or in the neighbour table), once it has ended, so
  // they are stored together: ascending within the look-up, so a host confirmed late may follow
  // higher numbers. Never empty; valid during the call only.
  std::function<void(const std::vector<HostEntry>& hosts)> hostsFound;
  // Called exactly once, as the last call of every sweep, with how it ended (as RunSweep returns it).
  std::function<void(SweepEnd end)> finished;
};

struct LocalAddress {
  int a = 0, b = 0, c = 0, d = 0;  // a.b.c is the network, d the machine's own host number
};

// Reads exactly four decimal numbers 0..255 joined by dots, nothing before or after.
// False for anything else, and for a 0.0.0.x address, which names no network.
bool ParseLocalAddress(const std::string& text, LocalAddress* out);

// Kinds of adapter that matter to the choice of network.
enum class AdapterKind { kEthernet, kWifi, kDialUp, kTunnel, kOther };

// One adapter as the system lists it: its first IPv4 address, default gateway and mask as
// dotted quads (address and gateway "" or "0.0.0.0" when it has none), index and kind.
struct AdapterAddresses {
  std::string address;
  std::string gateway;
  std::string mask = "255.255.255.0";
  unsigned long index = kAnyInterface;
  AdapterKind kind = AdapterKind::kEthernet;
};

// The adapter to sweep from. routedIndex is the interface the routing table uses for addresses
// beyond every local network (kAnyInterface: no route). That adapter, unless it has no address
// or is dial-up or a tunnel; else the first Ethernet or Wi-Fi adapter with an address and a
// gateway; else the first adapter with an address. Its address is "" when none has one.
SweptAdapter ChooseAdapter(const std::vector<AdapterAddresses>& adapters, unsigned long routedIndex);

// An address in none of the adapters' networks, to ask the routing table where the world is:
// the first of three documentation addresses that fits; "" when every one is local. Adapters
// without an address (see ParseLocalAddress) have no network and count for none.
std::string AddressBeyondLocalNetworks(const std::vector<AdapterAddresses>& adapters);

// One row of the routing table: destination and mask (dotted quads), metric and interface.
struct Route {
  std::string destination;
  std::string mask;
  unsigned long metric;
  unsigned long interfaceIndex;
};

// The interface of the route that carries address: the longest matching prefix, of those the
// lowest metric, the first listed of equals; kAnyInterface when none matches.
unsigned long RoutedInterface(const std::vector<Route>& routes, const std::string& address);

// The directed broadcast of address's network under mask (address OR NOT mask), as a dotted
// quad; "" when either text is no dotted quad.
std::string DirectedBroadcastText(const std::string& address, const std::string& mask);

// The status of an echo reply that answers the request (IP_SUCCESS).
constexpr uint32_t kEchoReplySuccess = 0;

// Whether one reply to an echo sent to probedAddress shows the host there: only a success from
// that very address does. Error replies (host unreachable, often sent at once by the machine's
// own stack for an address whose neighbour entry failed) and replies from elsewhere do not.
// Addresses in network order, as the system gives them.
bool EchoReplyCounts(uint32_t status, uint32_t replyAddress, uint32_t probedAddress);

// The hardware-address text (as FormatHardwareAddress) of a neighbour-table row's address: ""
// unless it is 6 bytes, neither all zeros (a row still waiting for an answer, as wine lists it)
// nor all 0xFF.
std::string NeighbourHardwareText(const unsigned char* bytes, size_t length);

// How long the system takes to decide on a row that an echo has set checking (a 5 s delay, then
// three probes a second apart), with room to spare.
constexpr int kNeighbourCheckMs = 8500;

enum class NeighbourVerdict { kNoHost, kUndecided, kHost };

// What the table's rows for address on interfaceIndex (kAnyInterface: any) say of its host, and
// in *mac its hardware-address text when it is a host. A host needs a confirmed row with a usable
// address: reachable or permanent, or kCompleteUnsure once checkEnded (the check that the host's
// echo started has had time to end, or the host answered the echo). Stale, delay and probe rows,
// and kCompleteUnsure before then, are undecided; every other row, or none, is no host.
NeighbourVerdict JudgeNeighbour(const NeighbourTable& table, const std::string& address,
                                unsigned long interfaceIndex, bool checkEnded, std::string* mac);

// Progress position sent before host number n (1..254): floor(100 * n / 254).
constexpr int ProgressBeforeHost(int n) { return 100 * n / 254; }

// "a.b.c.n" of the local network.
std::string HostAddressText(const LocalAddress& local, int n);
// length bytes as upper-case hexadecimal pairs joined by ':' ("00:A0:B1:C2:D3:E4"); "" for none.
std::string FormatHardwareAddress(const unsigned char* bytes, size_t length);

// Host numbers echoed before their hardware addresses are looked up together: the neighbour
// table is read once for them all, as reading it costs time in proportion to its length.
constexpr int kHostsPerTableRead = 64;

// Echoes a.b.c.1 to a.b.c.254 of the adapter's address strictly one after another, skipping
// the machine's own number. After each kHostsPerTableRead host numbers (and after the last) it
// looks up, in host order, the hosts still undecided and then the ones just echoed: ARP for a
// host whose echo counted, the neighbour table (read once, after those echoes) for the others
// (and for all without an ARP query),
// judged by JudgeNeighbour on the adapter's interface; undecided hosts wait for the next look-up.
// Those still undecided after the last one are judged once more, when the check of the last of
// them has had time to end (kNeighbourCheckMs after its echo); then undecided is no host. Each
// host found goes to hostsFound with its address without ':', the reverse lookup's name cut to
// the alias field (never splitting a double-byte character) and the adapter's directed
// broadcast. stopRequested is read before each host number and each lookup, and during the
// wait; once it is true no further host is touched, and the hosts not yet found are let go.
SweepEnd RunSweep(const Probes& probes, const Sinks& sinks, const std::atomic<bool>& stopRequested);

}  // namespace sweep
