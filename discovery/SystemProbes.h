// The sweep's probes over the system (IP Helper, Winsock): local address, echo, ARP, neighbour table and reverse lookup.
#pragma once
#include <string>
#include <vector>

#include "discovery/SweepLoop.h"
#include "framework/Platform.h"

#include <iphlpapi.h>

namespace sweep {

// Echo time-out of every probe, in milliseconds.
constexpr DWORD kEchoTimeoutMs = 100;

// The local address chosen by sweep::ChooseLocalAddress among the system's adapters, as a
// dotted quad; "" when none has one (or the adapter query fails).
std::string LocalIPv4Address();

// Each adapter's first address and first gateway, in the order of a list that the caller holds:
// end is one past the last byte of the buffer holding it, and no record outside [first, end)
// is read.
std::vector<AdapterAddresses> AdapterList(const IP_ADAPTER_INFO* first, const void* end);

// Hardware address of address (a dotted quad) as "00:A0:B1:C2:D3:E4"; "" when ARP has none.
// Asks SendARP; where the system has no SendARP (ERROR_NOT_SUPPORTED) it reads the system's
// neighbour table instead, which an echo to that host has just filled.
std::string ResolveMacAddressText(const std::string& address);

// The system's neighbour table (GetIpNetTable), as NeighbourTableFromRows makes it; empty when
// it cannot be read.
NeighbourTable SystemNeighbourTable();

// Each address's first row that sweep::NeighbourHardwareText accepts, formatted so.
NeighbourTable NeighbourTableFromRows(const MIB_IPNETTABLE& table);

// The name the reverse lookup gives for address; "" when it fails or gives no name.
// Needs Winsock started on the calling thread's process.
std::string ReverseLookupName(const std::string& address);

// True when the host answered an echo within timeoutMs, as CPingSocket::Ping counts answers.
// No probe for a text that is not a dotted quad, so a bad text can never turn into a broadcast.
bool EchoAnswered(const std::string& address, DWORD timeoutMs);

// The probes above, bound together for RunSweep.
Probes SystemProbes();

// Winsock 1.1 for the length of one sweep.
class WinsockSession {
 public:
  WinsockSession();
  ~WinsockSession();
  WinsockSession(const WinsockSession&) = delete;
  WinsockSession& operator=(const WinsockSession&) = delete;

  bool started() const { return m_started; }

 private:
  bool m_started;
};

}  // namespace sweep
