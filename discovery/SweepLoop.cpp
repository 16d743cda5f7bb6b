// The subnet sweep loop: local network, host order, progress arithmetic and the record of a found host.
#include "discovery/SweepLoop.h"

#include <cstring>
#include <vector>

namespace sweep {

namespace {

constexpr int kFirstHost = 1;
constexpr int kLastHost = 254;

// Reads one number 0..255 at text[*pos] (1 to 3 decimal digits) and moves *pos past it.
bool ReadOctet(const std::string& text, size_t* pos, int* value) {
  size_t digits = 0;
  int number = 0;
  while (*pos < text.size() && text[*pos] >= '0' && text[*pos] <= '9') {
    if (++digits > 3) return false;
    number = number * 10 + (text[*pos] - '0');
    ++*pos;
  }
  if (digits == 0 || number > 255) return false;
  *value = number;
  return true;
}

// A host number echoed and waiting for its hardware address.
struct EchoedHost {
  int n;
  bool echoCounted;
};

// The record of a found host.
HostEntry FoundHost(const LocalAddress& local, const std::string& macText, const std::string& name) {
  HostEntry found;
  std::memset(&found, 0, sizeof found);
  const std::string mac = StripColons(macText);
  CopyTextToField(found.szMac, sizeof found.szMac, mac.data(), mac.size());
  CopyTextToField(found.szAlias, sizeof found.szAlias, name.data(), name.size());
  const std::string broadcast = BroadcastText(local);
  CopyTextToField(found.szBroadcast, sizeof found.szBroadcast, broadcast.data(), broadcast.size());
  return found;
}

// Looks up the hosts echoed since the last call, in order, and reports those found; stops before
// the next host once a stop is requested.
void LookUpEchoedHosts(const Probes& probes, const Sinks& sinks, const LocalAddress& local,
                       const std::atomic<bool>& stopRequested, std::vector<EchoedHost>* echoed) {
  NeighbourTable table;
  bool tableRead = false;
  for (const EchoedHost& host : *echoed) {
    if (stopRequested.load()) break;
    const std::string address = HostAddressText(local, host.n);
    std::string macText;
    if (host.echoCounted) {
      macText = probes.resolveMac(address);
    } else {
      // A PC whose firewall drops echo requests still answered the ARP that the echo set off.
      if (!tableRead) table = probes.neighbourTable();
      tableRead = true;
      const auto entry = table.find(address);
      if (entry != table.end()) macText = entry->second;
    }
    if (macText.empty()) continue;
    sinks.hostFound(FoundHost(local, macText, probes.reverseName(address)));
  }
  echoed->clear();
}

}  // namespace

bool ParseLocalAddress(const std::string& text, LocalAddress* out) {
  int octets[4];
  size_t pos = 0;
  for (int i = 0; i < 4; ++i) {
    if (i > 0) {
      if (pos >= text.size() || text[pos] != '.') return false;
      ++pos;
    }
    if (!ReadOctet(text, &pos, &octets[i])) return false;
  }
  if (pos != text.size()) return false;
  if (octets[0] == 0 && octets[1] == 0 && octets[2] == 0) return false;
  out->a = octets[0];
  out->b = octets[1];
  out->c = octets[2];
  out->d = octets[3];
  return true;
}

std::string ChooseLocalAddress(const std::vector<AdapterAddresses>& adapters) {
  LocalAddress unused;
  auto hasAddress = [&](const std::string& text) { return ParseLocalAddress(text, &unused); };
  for (const AdapterAddresses& adapter : adapters) {
    if (hasAddress(adapter.address) && hasAddress(adapter.gateway)) return adapter.address;
  }
  for (const AdapterAddresses& adapter : adapters) {
    if (hasAddress(adapter.address)) return adapter.address;
  }
  return std::string();
}

bool EchoReplyCounts(uint32_t status, uint32_t replyAddress, uint32_t probedAddress) {
  return status == kEchoReplySuccess && replyAddress == probedAddress;
}

std::string NeighbourHardwareText(NeighbourKind kind, const unsigned char* bytes, size_t length) {
  if (kind != NeighbourKind::kDynamic && kind != NeighbourKind::kStatic) return std::string();
  if (length != 6) return std::string();
  bool allZero = true, allOnes = true;
  for (size_t i = 0; i < length; ++i) {
    allZero = allZero && bytes[i] == 0x00;
    allOnes = allOnes && bytes[i] == 0xFF;
  }
  if (allZero || allOnes) return std::string();
  return FormatHardwareAddress(bytes, length);
}

std::string HostAddressText(const LocalAddress& local, int n) {
  return std::to_string(local.a) + '.' + std::to_string(local.b) + '.' + std::to_string(local.c) +
         '.' + std::to_string(n);
}

std::string BroadcastText(const LocalAddress& local) { return HostAddressText(local, 255); }

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

std::string StripColons(const std::string& macText) {
  std::string stripped;
  stripped.reserve(macText.size());
  for (char ch : macText) {
    if (ch != ':') stripped += ch;
  }
  return stripped;
}

SweepEnd RunSweep(const Probes& probes, const Sinks& sinks, const std::atomic<bool>& stopRequested) {
  LocalAddress local;
  if (!ParseLocalAddress(probes.localAddress(), &local)) {
    sinks.finished();
    return SweepEnd::kNoNetwork;
  }
  std::vector<EchoedHost> echoed;
  for (int n = kFirstHost; n <= kLastHost; ++n) {
    if (stopRequested.load()) {
      sinks.finished();
      return SweepEnd::kStopped;
    }
    sinks.progress(ProgressBeforeHost(n));
    if (n != local.d) {  // the machine does not probe itself
      echoed.push_back({n, probes.echo(HostAddressText(local, n))});
    }
    if (n % kHostsPerTableRead == 0) {
      LookUpEchoedHosts(probes, sinks, local, stopRequested, &echoed);
    }
  }
  LookUpEchoedHosts(probes, sinks, local, stopRequested, &echoed);
  sinks.finished();
  return SweepEnd::kCompleted;
}

}  // namespace sweep
