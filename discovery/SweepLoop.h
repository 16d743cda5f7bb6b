// The subnet sweep's order and arithmetic, with its probes and sinks handed in, so it runs without a window or a network.
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/HostEntry.h"

namespace sweep {

// The system's neighbour table as it stands: dotted quad -> hardware-address text of its usable
// entry (see NeighbourHardwareText). Addresses without a usable entry are absent.
using NeighbourTable = std::map<std::string, std::string>;

// What the sweep asks of the system. Addresses travel as dotted-quad texts ("192.168.1.7").
struct Probes {
  // The machine's own IPv4 address on the network to sweep (as ChooseLocalAddress picks it);
  // "" when there is none (or the network library did not start).
  std::function<std::string()> localAddress;
  // True when the host answered an ICMP echo within the sweep's time-out (see EchoReplyCounts).
  std::function<bool(const std::string& address)> echo;
  // Hardware address as colon-separated hexadecimal ("00:A0:B1:C2:D3:E4"); "" when ARP gives none.
  // Asked only for a host whose echo counted, so the system's cache answers at once.
  std::function<std::string(const std::string& address)> resolveMac;
  // The system's neighbour table, hardware addresses formatted as resolveMac's. Read for the hosts
  // whose echo did not count: each echo has made the system resolve its address, so reading
  // sends nothing and waits for nothing.
  std::function<NeighbourTable()> neighbourTable;
  // Name from the reverse lookup; "" when the lookup fails or has no name.
  std::function<std::string(const std::string& address)> reverseName;
};

// Where the sweep reports. All three are required.
struct Sinks {
  // Position 0..100 of the progress bar, once per host number (own number included), before its probe.
  std::function<void(int position)> progress;
  // One host found (by echo and ARP, or in the neighbour table), in ascending host order. The
  // record is valid during the call only.
  std::function<void(const HostEntry& host)> hostFound;
  // Called exactly once, as the last call of every sweep, however it ended.
  std::function<void()> finished;
};

struct LocalAddress {
  int a = 0, b = 0, c = 0, d = 0;  // a.b.c is the network, d the machine's own host number
};

// Reads exactly four decimal numbers 0..255 joined by dots, nothing before or after.
// False for anything else, and for a 0.0.0.x address, which names no network.
bool ParseLocalAddress(const std::string& text, LocalAddress* out);

// One adapter as the system lists it: its first IPv4 address and default gateway as dotted
// quads, each "" or "0.0.0.0" when it has none.
struct AdapterAddresses {
  std::string address;
  std::string gateway;
};

// The address to sweep from: that of the first adapter with an address and a default gateway,
// which is where the LAN is (virtual machine, WSL and VPN adapters usually have no gateway and
// may come first). Without any gateway, the first adapter with an address; "" when none has one.
std::string ChooseLocalAddress(const std::vector<AdapterAddresses>& adapters);

// The status of an echo reply that answers the request (IP_SUCCESS).
constexpr uint32_t kEchoReplySuccess = 0;

// Whether one reply to an echo sent to probedAddress shows the host there: only a success from
// that very address does. Error replies (host unreachable, often sent at once by the machine's
// own stack for an address whose neighbour entry failed) and replies from elsewhere do not.
// Addresses in network order, as the system gives them.
bool EchoReplyCounts(uint32_t status, uint32_t replyAddress, uint32_t probedAddress);

// Kinds of neighbour-table entries: only dynamic and static ones are resolved; kOther stands for
// every other (invalid, incomplete, or of a kind the system adds later).
enum class NeighbourKind { kOther, kDynamic, kStatic };

// The hardware-address text (as FormatHardwareAddress) that a neighbour-table entry gives its
// host: "" unless the entry is dynamic or static and its address is 6 bytes, neither all zeros
// (an entry still waiting for an answer, as wine lists it) nor all 0xFF.
std::string NeighbourHardwareText(NeighbourKind kind, const unsigned char* bytes, size_t length);

// Progress position sent before host number n (1..254): floor(100 * n / 254).
constexpr int ProgressBeforeHost(int n) { return 100 * n / 254; }

// "a.b.c.n" of the local network.
std::string HostAddressText(const LocalAddress& local, int n);
// "a.b.c.255": the broadcast text stored for every host found.
std::string BroadcastText(const LocalAddress& local);
// length bytes as upper-case hexadecimal pairs joined by ':' ("00:A0:B1:C2:D3:E4"); "" for none.
std::string FormatHardwareAddress(const unsigned char* bytes, size_t length);
// The hardware-address text as the record stores it: every ':' removed, case kept.
std::string StripColons(const std::string& macText);

enum class SweepEnd {
  kCompleted,  // hosts 1..254 were all visited
  kNoNetwork,  // no usable local address: nothing was probed
  kStopped,    // stopRequested was seen between two hosts
};

// Host numbers echoed before their hardware addresses are looked up together: the neighbour
// table is read once for them all, as reading it costs time in proportion to its length.
constexpr int kHostsPerTableRead = 64;

// Echoes a.b.c.1 to a.b.c.254 of the local address strictly one after another, skipping the
// machine's own number. After each kHostsPerTableRead host numbers (and after the last) it
// looks up the ones just echoed, in host order: ARP for a host whose echo counted, the
// neighbour table (read once, after those echoes) for one whose echo did not, then the reverse
// lookup for a host either resolved; such a host goes to hostFound with its address without
// ':', its name cut to the alias field (never splitting a double-byte character) and a.b.c.255.
// stopRequested is read before each host number and each lookup; once it is true no further
// host is touched, and the hosts echoed but not yet looked up are let go.
SweepEnd RunSweep(const Probes& probes, const Sinks& sinks, const std::atomic<bool>& stopRequested);

}  // namespace sweep
