// The subnet sweep's order and arithmetic, with its probes and sinks handed in, so it runs without a window or a network.
#pragma once
#include <atomic>
#include <functional>
#include <string>

#include "core/HostEntry.h"

namespace sweep {

// What the sweep asks of the system. Addresses travel as dotted-quad texts ("192.168.1.7").
struct Probes {
  // The machine's own IPv4 address; "" when there is none (or the network library did not start).
  std::function<std::string()> localAddress;
  // True when the host answered an ICMP echo within the sweep's time-out.
  std::function<bool(const std::string& address)> echo;
  // Hardware address as colon-separated hexadecimal ("00:A0:B1:C2:D3:E4"); "" when ARP gives none.
  std::function<std::string(const std::string& address)> resolveMac;
  // Name from the reverse lookup; "" when the lookup fails or has no name.
  std::function<std::string(const std::string& address)> reverseName;
};

// Where the sweep reports. All three are required.
struct Sinks {
  // Position 0..100 of the progress bar, once per host number (own number included), before its probe.
  std::function<void(int position)> progress;
  // One host that answered the echo and ARP, in ascending host order. The record is valid
  // during the call only.
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

// Probes a.b.c.1 to a.b.c.254 of the local address strictly one after another, skipping the
// machine's own number: echo, then ARP for a host that answered, then the reverse lookup for a
// host ARP resolved; such a host goes to hostFound with its address without ':', its name cut
// to the alias field (never splitting a double-byte character) and a.b.c.255.
// stopRequested is read before each host number; once it is true no further host is touched.
SweepEnd RunSweep(const Probes& probes, const Sinks& sinks, const std::atomic<bool>& stopRequested);

}  // namespace sweep
