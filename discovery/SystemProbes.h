// The sweep's probes over the system (IP Helper, Winsock): local address, echo, ARP, neighbour table and reverse lookup.
#pragma once
#include <string>
#include <vector>

#include "discovery/SweepLoop.h"
#include "framework/Platform.h"

#include <iphlpapi.h>
#include <netioapi.h>

namespace sweep {

// Echo time-out of every probe, in milliseconds.
constexpr DWORD kEchoTimeoutMs = 100;

// The adapter chosen by sweep::ChooseAdapter among the system's adapters, with the interface the
// routing table uses beyond them; its address is "" when none has one (or the query fails).
SweptAdapter LocalIPv4Address();

// Each adapter's first address, mask and gateway, index and kind, in the order of a list that
// the caller holds: end is one past the last byte of the buffer holding it, and no record
// outside [first, end) is read.
std::vector<AdapterAddresses> AdapterList(const IP_ADAPTER_INFO* first, const void* end);

// Hardware address of address (a dotted quad) as "00:A0:B1:C2:D3:E4" from SendARP; "" when ARP
// has none, or where the system has no SendARP.
std::string ResolveMacAddressText(const std::string& address);

// The system's neighbour table (GetIpNetTable2), as NeighbourTableFromRows makes it; empty
// when it cannot be read.
NeighbourTable SystemNeighbourTable();

// The IPv4 rows of table. With statesFromCacheFlags (wine: its states come from the host's ARP
// cache, which marks rows still being checked as complete) a reachable row is
// NeighbourState::kCompleteUnsure. A row flagged unreachable is kUnreachable whatever its state.
NeighbourTable NeighbourTableFromRows(const MIB_IPNET_TABLE2& table, bool statesFromCacheFlags);

// The name the reverse lookup gives for address; "" when it fails or gives no name.
// Needs AfxSocketInit first.
std::string ReverseLookupName(const std::string& address);

// True when the host answered an echo within timeoutMs, as CPingSocket::Ping counts answers.
// No probe for a text that is not a dotted quad, so a bad text can never turn into a broadcast.
bool EchoAnswered(const std::string& address, DWORD timeoutMs);

// The probes above, bound together for RunSweep; under wine, whose SendARP is a stub, without
// resolveMac.
Probes SystemProbes();

}  // namespace sweep
