// The sweep's probes over IP Helper and Winsock, each a thin call with its buffers sized by the system.
#include "discovery/SystemProbes.h"

#include <cstring>
#include <vector>

#include "core/HostEntry.h"
#include "discovery/PingSocket.h"

namespace sweep {

namespace {

// A strict dotted quad in network order; false for anything else (inet_addr would accept
// trailing text) and for 255.255.255.255, which would make a probe a broadcast.
bool ToNetworkAddress(const std::string& address, ULONG* out) {
  in_addr parsed;
  if (inet_pton(AF_INET, address.c_str(), &parsed) != 1) return false;
  if (parsed.s_addr == INADDR_BROADCAST) return false;
  *out = parsed.s_addr;
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
    adapters.push_back({text(adapter->IpAddressList), text(adapter->GatewayList)});
  }
  return adapters;
}

std::string LocalIPv4Address() {
  std::vector<unsigned char> table;
  ULONG size = 0;
  const DWORD result = QueryGrowing(&table, &size, ERROR_BUFFER_OVERFLOW,
                                    [](unsigned char* buffer, ULONG* length) {
                                      return GetAdaptersInfo(
                                          reinterpret_cast<IP_ADAPTER_INFO*>(buffer), length);
                                    });
  if (result != ERROR_SUCCESS || table.size() < sizeof(IP_ADAPTER_INFO)) return std::string();
  return ChooseLocalAddress(
      AdapterList(reinterpret_cast<const IP_ADAPTER_INFO*>(table.data()), table.data() + table.size()));
}

NeighbourTable NeighbourTableFromRows(const MIB_IPNETTABLE& table) {
  NeighbourTable neighbours;
  for (DWORD i = 0; i < table.dwNumEntries; ++i) {
    const MIB_IPNETROW& row = table.table[i];
    NeighbourKind kind = NeighbourKind::kOther;
    if (row.dwType == MIB_IPNET_TYPE_DYNAMIC) kind = NeighbourKind::kDynamic;
    if (row.dwType == MIB_IPNET_TYPE_STATIC) kind = NeighbourKind::kStatic;
    const DWORD length = row.dwPhysAddrLen < MAXLEN_PHYSADDR ? row.dwPhysAddrLen : MAXLEN_PHYSADDR;
    const std::string text = NeighbourHardwareText(kind, row.bPhysAddr, length);
    if (text.empty()) continue;
    in_addr address;
    address.s_addr = row.dwAddr;
    char quad[INET_ADDRSTRLEN];
    if (inet_ntop(AF_INET, &address, quad, sizeof quad) == nullptr) continue;
    neighbours.emplace(quad, text);  // a later row of the same address (another interface) is not taken
  }
  return neighbours;
}

NeighbourTable SystemNeighbourTable() {
  // Room for a few hundred rows at once: wine builds the whole table for each call, the one
  // that only asks for its size included.
  std::vector<unsigned char> table;
  ULONG size = 16384;
  const DWORD result = QueryGrowing(&table, &size, ERROR_INSUFFICIENT_BUFFER,
                                    [](unsigned char* buffer, ULONG* length) {
                                      return GetIpNetTable(
                                          reinterpret_cast<MIB_IPNETTABLE*>(buffer), length, FALSE);
                                    });
  if (result != NO_ERROR || table.size() < sizeof(MIB_IPNETTABLE)) return NeighbourTable();
  const MIB_IPNETTABLE& rows = *reinterpret_cast<const MIB_IPNETTABLE*>(table.data());
  // Never trust the count past the bytes the system wrote.
  const size_t fits = (table.size() - offsetof(MIB_IPNETTABLE, table)) / sizeof(MIB_IPNETROW);
  if (rows.dwNumEntries > fits) return NeighbourTable();
  return NeighbourTableFromRows(rows);
}

std::string ResolveMacAddressText(const std::string& address) {
  ULONG destination = 0;
  if (!ToNetworkAddress(address, &destination)) return std::string();
  unsigned char mac[8];
  std::memset(mac, 0xFF, sizeof mac);
  ULONG length = sizeof mac;  // in: the room we give; out: the address's length
  const DWORD result = SendARP(destination, 0, mac, &length);
  if (result == ERROR_NOT_SUPPORTED) {
    const NeighbourTable table = SystemNeighbourTable();
    const auto entry = table.find(address);
    return entry == table.end() ? std::string() : entry->second;
  }
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
  probes.resolveMac = ResolveMacAddressText;
  probes.neighbourTable = SystemNeighbourTable;
  probes.reverseName = ReverseLookupName;
  return probes;
}

WinsockSession::WinsockSession() {
  WSADATA data;
  m_started = WSAStartup(MAKEWORD(1, 1), &data) == 0;
}

WinsockSession::~WinsockSession() {
  if (m_started) WSACleanup();
}

}  // namespace sweep
