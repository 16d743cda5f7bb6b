// The subnet sweep loop: local network, host order, progress arithmetic and the record of a found host.
#include "discovery/SweepLoop.h"

#include <chrono>
#include <thread>
#include <vector>

#include "core/DottedQuad.h"

namespace sweep {

namespace {

constexpr int kFirstHost = 1;
constexpr int kLastHost = 254;

// Whether text is an address with a network (see ParseLocalAddress).
bool HasAddress(const std::string& text) {
  LocalAddress unused;
  return ParseLocalAddress(text, &unused);
}

// A host number echoed and waiting for its hardware address.
struct EchoedHost {
  int n;
  bool echoCounted;
  long long echoedAtMs;
};

// What one sweep knows of its network.
struct SweptNetwork {
  LocalAddress local;
  unsigned long interfaceIndex;
  std::string broadcast;
};

// The hardware-address text as the record stores it: every ':' removed, case kept.
std::string StripColons(const std::string& macText) {
  std::string stripped;
  stripped.reserve(macText.size());
  for (char ch : macText) {
    if (ch != ':') stripped += ch;
  }
  return stripped;
}

// The record of a found host.
HostEntry FoundHost(const SweptNetwork& network, const std::string& macText, const std::string& name) {
  HostEntry found{};
  CopyTextToField(found.szMac, StripColons(macText));
  CopyTextToField(found.szAlias, name);
  CopyTextToField(found.szBroadcast, network.broadcast);
  return found;
}

// Looks up the hosts still undecided (*waiting) and those echoed since the last call
// (*echoed), in that order, and reports those found in one batch; the undecided stay in *waiting. With
// finalRead, the checks have all had time to end and undecided is no host. Stops before the
// next host once a stop is requested.
void LookUpHosts(const Probes& probes, const Sinks& sinks, const SweptNetwork& network,
                 const std::atomic<bool>& stopRequested, std::vector<EchoedHost>* waiting,
                 std::vector<EchoedHost>* echoed, bool finalRead) {
  std::vector<EchoedHost> hosts;
  hosts.swap(*waiting);
  hosts.insert(hosts.end(), echoed->begin(), echoed->end());
  echoed->clear();
  NeighbourTable table;
  bool tableRead = false;
  std::vector<HostEntry> found;
  for (const EchoedHost& host : hosts) {
    if (stopRequested.load()) break;
    const std::string address = HostAddressText(network.local, host.n);
    std::string macText;
    if (host.echoCounted && probes.resolveMac) {
      macText = probes.resolveMac(address);
    } else {
      // A PC whose firewall drops echo requests still answered the ARP that the echo set off.
      if (!tableRead) table = probes.neighbourTable();
      tableRead = true;
      const bool checkEnded = finalRead || host.echoCounted ||
                              probes.clockMs() - host.echoedAtMs >= kNeighbourCheckMs;
      const NeighbourVerdict verdict =
          JudgeNeighbour(table, address, network.interfaceIndex, checkEnded, &macText);
      if (verdict == NeighbourVerdict::kUndecided && !finalRead) waiting->push_back(host);
      if (verdict != NeighbourVerdict::kHost) macText.clear();
    }
    if (macText.empty()) continue;
    found.push_back(FoundHost(network, macText, probes.reverseName(address)));
  }
  if (!found.empty()) sinks.hostsFound(found);
}

// Sleeps until the clock reads deadlineMs, a short step at a time so a stop is seen at once.
// False when a stop came first.
bool WaitUntil(const Probes& probes, long long deadlineMs, const std::atomic<bool>& stopRequested) {
  constexpr long long kStepMs = 50;
  for (;;) {
    if (stopRequested.load()) return false;
    const long long left = deadlineMs - probes.clockMs();
    if (left <= 0) return true;
    probes.sleepMs(static_cast<int>(left < kStepMs ? left : kStepMs));
  }
}

}  // namespace

long long SteadyClockMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

bool ParseLocalAddress(const std::string& text, LocalAddress* out) {
  const std::optional<uint32_t> address = HostOrderFromDottedQuad(text);
  if (!address || (*address >> 8) == 0) return false;
  out->a = static_cast<int>(*address >> 24);
  out->b = static_cast<int>((*address >> 16) & 0xFF);
  out->c = static_cast<int>((*address >> 8) & 0xFF);
  out->d = static_cast<int>(*address & 0xFF);
  return true;
}

SweptAdapter ChooseAdapter(const std::vector<AdapterAddresses>& adapters, unsigned long routedIndex) {
  auto swept = [](const AdapterAddresses& adapter) {
    return SweptAdapter(adapter.address, adapter.mask, adapter.index);
  };
  if (routedIndex != kAnyInterface) {
    for (const AdapterAddresses& adapter : adapters) {
      if (adapter.index != routedIndex || !HasAddress(adapter.address)) continue;
      // A VPN or dial-up link carries the route, but the machines to wake are not behind it.
      if (adapter.kind != AdapterKind::kDialUp && adapter.kind != AdapterKind::kTunnel) {
        return swept(adapter);
      }
    }
  }
  for (const AdapterAddresses& adapter : adapters) {
    const bool lan = adapter.kind == AdapterKind::kEthernet || adapter.kind == AdapterKind::kWifi;
    if (lan && HasAddress(adapter.address) && HasAddress(adapter.gateway)) return swept(adapter);
  }
  for (const AdapterAddresses& adapter : adapters) {
    if (HasAddress(adapter.address)) return swept(adapter);
  }
  return SweptAdapter();
}

std::string AddressBeyondLocalNetworks(const std::vector<AdapterAddresses>& adapters) {
  for (const char* candidate : {"192.0.2.1", "198.51.100.1", "203.0.113.1"}) {
    const uint32_t address = HostOrderFromDottedQuad(candidate).value_or(0);
    bool local = false;
    for (const AdapterAddresses& adapter : adapters) {
      // A disconnected adapter (0.0.0.0 under 0.0.0.0) would hold every address.
      if (!HasAddress(adapter.address)) continue;
      const std::optional<uint32_t> own = HostOrderFromDottedQuad(adapter.address);
      const std::optional<uint32_t> mask = HostOrderFromDottedQuad(adapter.mask);
      if (own && mask) local = local || (*own & *mask) == (address & *mask);
    }
    if (!local) return candidate;
  }
  return std::string();
}

unsigned long RoutedInterface(const std::vector<Route>& routes, const std::string& address) {
  const std::optional<uint32_t> target = HostOrderFromDottedQuad(address);
  if (!target) return kAnyInterface;
  const Route* best = nullptr;
  uint32_t bestMask = 0;
  for (const Route& route : routes) {
    const std::optional<uint32_t> destination = HostOrderFromDottedQuad(route.destination);
    const std::optional<uint32_t> maskRead = HostOrderFromDottedQuad(route.mask);
    if (!destination || !maskRead) continue;
    const uint32_t mask = *maskRead;
    if ((*target & mask) != (*destination & mask)) continue;
    // Masks are contiguous, so the longer prefix is the larger number.
    if (best == nullptr || mask > bestMask || (mask == bestMask && route.metric < best->metric)) {
      best = &route;
      bestMask = mask;
    }
  }
  return best == nullptr ? kAnyInterface : best->interfaceIndex;
}

std::string DirectedBroadcastText(const std::string& address, const std::string& mask) {
  const std::optional<uint32_t> own = HostOrderFromDottedQuad(address);
  const std::optional<uint32_t> bits = HostOrderFromDottedQuad(mask);
  if (!own || !bits) return std::string();
  return DottedQuadFromHostOrder(*own | ~*bits);
}

bool EchoReplyCounts(uint32_t status, uint32_t replyAddress, uint32_t probedAddress) {
  return status == kEchoReplySuccess && replyAddress == probedAddress;
}

std::string NeighbourHardwareText(const unsigned char* bytes, size_t length) {
  if (length != 6) return std::string();
  bool allZero = true, allOnes = true;
  for (size_t i = 0; i < length; ++i) {
    allZero = allZero && bytes[i] == 0x00;
    allOnes = allOnes && bytes[i] == 0xFF;
  }
  if (allZero || allOnes) return std::string();
  return FormatHardwareAddress(bytes, length);
}

NeighbourVerdict JudgeNeighbour(const NeighbourTable& table, const std::string& address,
                                unsigned long interfaceIndex, bool checkEnded, std::string* mac) {
  NeighbourVerdict verdict = NeighbourVerdict::kNoHost;
  for (const NeighbourRow& row : table) {
    if (row.address != address || row.mac.empty()) continue;
    if (interfaceIndex != kAnyInterface && row.interfaceIndex != interfaceIndex) continue;
    using S = NeighbourState;
    const bool confirmed = row.state == S::kReachable || row.state == S::kPermanent ||
                           (row.state == S::kCompleteUnsure && checkEnded);
    if (confirmed) {
      *mac = row.mac;
      return NeighbourVerdict::kHost;
    }
    const bool checking = row.state == S::kStale || row.state == S::kDelay ||
                          row.state == S::kProbe || row.state == S::kCompleteUnsure;
    if (checking) verdict = NeighbourVerdict::kUndecided;
  }
  return verdict;
}

std::string HostAddressText(const LocalAddress& local, int n) {
  return DottedQuadFromHostOrder(static_cast<uint32_t>(local.a) << 24 | static_cast<uint32_t>(local.b) << 16 |
                                 static_cast<uint32_t>(local.c) << 8 | static_cast<uint32_t>(n));
}

std::string FormatHardwareAddress(const unsigned char* bytes, size_t length) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (size_t i = 0; i < length; ++i) {
    if (i > 0) text += ':';
    text += kDigits[bytes[i] >> 4];
    text += kDigits[bytes[i] & 0x0F];
  }
  return text;
}

SweepEnd RunSweep(const Probes& probes, const Sinks& sinks, const std::atomic<bool>& stopRequested) {
  const SweptAdapter adapter = probes.localAddress();
  SweptNetwork network;
  if (!ParseLocalAddress(adapter.address, &network.local)) {
    sinks.finished(SweepEnd::kNoNetwork);
    return SweepEnd::kNoNetwork;
  }
  network.interfaceIndex = adapter.interfaceIndex;
  network.broadcast = DirectedBroadcastText(adapter.address, adapter.mask);
  if (network.broadcast.empty()) network.broadcast = HostAddressText(network.local, 255);

  std::vector<EchoedHost> echoed, waiting;
  for (int n = kFirstHost; n <= kLastHost; ++n) {
    if (stopRequested.load()) {
      sinks.finished(SweepEnd::kStopped);
      return SweepEnd::kStopped;
    }
    sinks.progress(ProgressBeforeHost(n));
    if (n != network.local.d) {  // the machine does not probe itself
      const long long echoedAt = probes.clockMs();
      echoed.push_back({n, probes.echo(HostAddressText(network.local, n)), echoedAt});
    }
    if (n % kHostsPerTableRead == 0) {
      LookUpHosts(probes, sinks, network, stopRequested, &waiting, &echoed, false);
    }
  }
  LookUpHosts(probes, sinks, network, stopRequested, &waiting, &echoed, false);
  if (!waiting.empty() &&
      WaitUntil(probes, waiting.back().echoedAtMs + kNeighbourCheckMs, stopRequested)) {
    LookUpHosts(probes, sinks, network, stopRequested, &waiting, &echoed, true);
  }
  const SweepEnd end = stopRequested.load() ? SweepEnd::kStopped : SweepEnd::kCompleted;
  sinks.finished(end);
  return end;
}

}  // namespace sweep
