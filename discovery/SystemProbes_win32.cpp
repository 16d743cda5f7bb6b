// The sweep's probes over IP Helper and Winsock, each a thin call with its buffers sized by the system.
#include "discovery/SystemProbes.h"

#include <cstring>
#include <vector>

#include "core/DottedQuad.h"
#include "core/HostEntry.h"
#include "discovery/IpHelper_win32.h"
#include "discovery/PingSocket.h"

namespace sweep {

namespace {

// A strict dotted quad in network order; false for anything else (inet_addr would accept
// trailing text) and for 255.255.255.255, which would make a probe a broadcast.
bool ToNetworkAddress(const std::string& address, ULONG* out) {
  const std::optional<uint32_t> parsed = HostOrderFromDottedQuad(address);
  if (!parsed || *parsed == INADDR_BROADCAST) return false;
  *out = htonl(*parsed);
  return true;
}

// Runs query(buffer, &size) until the buffer is as large as the system says it must be.
// Returns the query's last answer; buffer holds size bytes.
template <typename Query>
DWORD QueryGrowing(std::vector<unsigned char>* buffer, ULONG* size, DWORD tooSmall, Query query) {
  DWORD result = tooSmall;
  for (int attempt = 0; attempt < 4 && result == tooSmall; ++attempt) {
    buffer->resize(*size);
    result = query(buffer->empty() ? nullptr : buffer->data(), size);
  }
  buffer->resize(*size < buffer->size() ? *size : buffer->size());
  return result;
}

// True under wine, whose IP Helper answers some questions differently from Windows (see its uses).
bool RunningUnderWine() {
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

AdapterKind KindOf(UINT type) {
  switch (type) {
    case MIB_IF_TYPE_ETHERNET: return AdapterKind::kEthernet;
    case IF_TYPE_IEEE80211: return AdapterKind::kWifi;
    case MIB_IF_TYPE_PPP:
    case MIB_IF_TYPE_SLIP: return AdapterKind::kDialUp;
    case IF_TYPE_TUNNEL: return AdapterKind::kTunnel;
    default: return AdapterKind::kOther;
  }
}

// wine's GetBestInterface takes the last of equally long routes, whatever their metrics; there
// the routing table is read and weighed here instead.
unsigned long RoutedInterfaceFromTable(const std::string& address) {
  std::vector<unsigned char> table;
  ULONG size = 4096;
  const DWORD result = QueryGrowing(&table, &size, ERROR_INSUFFICIENT_BUFFER,
                                    [](unsigned char* buffer, ULONG* length) {
                                      return iphelper::GetIpForwardTable(
                                          reinterpret_cast<MIB_IPFORWARDTABLE*>(buffer), length, FALSE);
                                    });
  if (result != NO_ERROR || table.size() < sizeof(MIB_IPFORWARDTABLE)) return kAnyInterface;
  const MIB_IPFORWARDTABLE& rows = *reinterpret_cast<const MIB_IPFORWARDTABLE*>(table.data());
  const size_t fits = (table.size() - offsetof(MIB_IPFORWARDTABLE, table)) / sizeof(MIB_IPFORWARDROW);
  if (rows.dwNumEntries > fits) return kAnyInterface;
  std::vector<Route> routes;
  for (DWORD i = 0; i < rows.dwNumEntries; ++i) {
    const MIB_IPFORWARDROW& row = rows.table[i];
    routes.push_back({DottedQuadFromHostOrder(ntohl(row.dwForwardDest)),
                      DottedQuadFromHostOrder(ntohl(row.dwForwardMask)), row.dwForwardMetric1, row.dwForwardIfIndex});
  }
  return RoutedInterface(routes, address);
}

// The interface the routing table uses for address; kAnyInterface when there is no route. A
// lookup only: nothing is sent.
unsigned long RoutedInterfaceFor(const std::string& address) {
  ULONG destination = 0;
  if (!ToNetworkAddress(address, &destination)) return kAnyInterface;
  if (RunningUnderWine()) return RoutedInterfaceFromTable(address);
  DWORD index = 0;
  return iphelper::GetBestInterface(destination, &index) == NO_ERROR ? index : kAnyInterface;
}

}  // namespace

// GetAdaptersInfo writes records of this size, whose last fields are two time_t: 32-bit in
// MinGW's i686 runtime, as the system's 32-bit library writes them.
#if defined(_WIN64)
static_assert(sizeof(IP_ADAPTER_INFO) == 704, "the 64-bit adapter record");
#else
static_assert(sizeof(IP_ADAPTER_INFO) == 640, "the 32-bit adapter record, with a 32-bit time_t");
#endif

std::vector<AdapterAddresses> AdapterList(const IP_ADAPTER_INFO* first, const void* end) {
  // A field of at most 16 characters that the system may have filled to the brim.
  auto text = [](const IP_ADDR_STRING& entry) { return FieldText(entry.IpAddress.String); };
  const unsigned char* limit = static_cast<const unsigned char*>(end);
  std::vector<AdapterAddresses> adapters;
  for (const IP_ADAPTER_INFO* adapter = first; adapter != nullptr; adapter = adapter->Next) {
    const unsigned char* at = reinterpret_cast<const unsigned char*>(adapter);
    if (at < reinterpret_cast<const unsigned char*>(first) || at + sizeof *adapter > limit) break;
    AdapterAddresses listed{text(adapter->IpAddressList), text(adapter->GatewayList)};
    listed.mask = FieldText(adapter->IpAddressList.IpMask.String);
    listed.index = adapter->Index;
    listed.kind = KindOf(adapter->Type);
    adapters.push_back(listed);
  }
  return adapters;
}

SweptAdapter LocalIPv4Address() {
  std::vector<unsigned char> table;
  ULONG size = 0;
  const DWORD result = QueryGrowing(&table, &size, ERROR_BUFFER_OVERFLOW,
                                    [](unsigned char* buffer, ULONG* length) {
                                      return iphelper::GetAdaptersInfo(
                                          reinterpret_cast<IP_ADAPTER_INFO*>(buffer), length);
                                    });
  if (result != ERROR_SUCCESS || table.size() < sizeof(IP_ADAPTER_INFO)) return SweptAdapter();
  const std::vector<AdapterAddresses> adapters =
      AdapterList(reinterpret_cast<const IP_ADAPTER_INFO*>(table.data()), table.data() + table.size());
  return ChooseAdapter(adapters, RoutedInterfaceFor(AddressBeyondLocalNetworks(adapters)));
}

// GetIpNetTable2 hands out rows of this size on both builds: the 64-bit interface identifier
// in each is aligned to 8 bytes on i686 too.
static_assert(sizeof(MIB_IPNET_ROW2) == 88, "the neighbour row");
static_assert(offsetof(MIB_IPNET_ROW2, PhysicalAddress) == 40 && offsetof(MIB_IPNET_ROW2, State) == 76,
              "the neighbour row's fields");

NeighbourTable NeighbourTableFromRows(const MIB_IPNET_TABLE2& table, bool statesFromCacheFlags) {
  NeighbourTable neighbours;
  for (ULONG i = 0; i < table.NumEntries; ++i) {
    const MIB_IPNET_ROW2& row = table.Table[i];
    if (row.Address.si_family != AF_INET) continue;
    NeighbourState state = NeighbourState::kUnreachable;
    switch (row.State) {
      case NlnsIncomplete: state = NeighbourState::kIncomplete; break;
      case NlnsProbe: state = NeighbourState::kProbe; break;
      case NlnsDelay: state = NeighbourState::kDelay; break;
      case NlnsStale: state = NeighbourState::kStale; break;
      case NlnsReachable:
        state = statesFromCacheFlags ? NeighbourState::kCompleteUnsure : NeighbourState::kReachable;
        break;
      case NlnsPermanent: state = NeighbourState::kPermanent; break;
      default: break;
    }
    if (row.IsUnreachable) state = NeighbourState::kUnreachable;
    const ULONG length = row.PhysicalAddressLength < sizeof row.PhysicalAddress
                             ? row.PhysicalAddressLength
                             : static_cast<ULONG>(sizeof row.PhysicalAddress);
    neighbours.push_back({DottedQuadFromHostOrder(ntohl(row.Address.Ipv4.sin_addr.s_addr)), row.InterfaceIndex, state,
                          NeighbourHardwareText(row.PhysicalAddress, length)});
  }
  return neighbours;
}

NeighbourTable SystemNeighbourTable() {
  MIB_IPNET_TABLE2* table = nullptr;
  if (iphelper::GetIpNetTable2(AF_INET, &table) != NO_ERROR || table == nullptr) return NeighbourTable();
  const NeighbourTable neighbours = NeighbourTableFromRows(*table, RunningUnderWine());
  iphelper::FreeMibTable(table);
  return neighbours;
}

std::string ResolveMacAddressText(const std::string& address) {
  ULONG destination = 0;
  if (!ToNetworkAddress(address, &destination)) return std::string();
  unsigned char mac[8];
  std::memset(mac, 0xFF, sizeof mac);
  ULONG length = sizeof mac;  // in: the room we give; out: the address's length
  const DWORD result = iphelper::SendARP(destination, 0, mac, &length);
  if (result != NO_ERROR || length == 0) return std::string();
  return FormatHardwareAddress(mac, length < sizeof mac ? length : sizeof mac);
}

std::string ReverseLookupName(const std::string& address) {
  ULONG destination = 0;
  if (!ToNetworkAddress(address, &destination)) return std::string();
  const hostent* host = gethostbyaddr(reinterpret_cast<const char*>(&destination), 4, AF_INET);
  if (host == nullptr || host->h_name == nullptr) return std::string();
  return host->h_name;
}

bool EchoAnswered(const std::string& address, DWORD timeoutMs) {
  ULONG destination = 0;
  if (!ToNetworkAddress(address, &destination)) return false;
  CPingSocket ping;
  return ping.Ping(destination, timeoutMs) != 0;
}

Probes SystemProbes() {
  Probes probes;
  probes.localAddress = LocalIPv4Address;
  probes.echo = [](const std::string& address) { return EchoAnswered(address, kEchoTimeoutMs); };
  // Without SendARP the sweep reads the hosts that answered from its one read of the neighbour
  // table per look-up, rather than the whole table once for each of them.
  if (!RunningUnderWine()) probes.resolveMac = ResolveMacAddressText;
  probes.neighbourTable = SystemNeighbourTable;
  probes.reverseName = ReverseLookupName;
  return probes;
}

}  // namespace sweep
