// The IP Helper functions the sweep calls, taken at first use from system32's iphlpapi.dll, so
// that the program's import table does not name it and no copy beside the program is ever loaded.
#pragma once
#include "framework/Platform.h"

#include <iphlpapi.h>
#include <icmpapi.h>
#include <netioapi.h>

namespace iphelper {

// Each does what its iphlpapi namesake does. Where iphlpapi or the function cannot be loaded
// each fails as its namesake reports failure: ERROR_NOT_SUPPORTED, INVALID_HANDLE_VALUE from
// IcmpCreateFile, no reply from IcmpSendEcho; FreeMibTable then does nothing.
ULONG GetAdaptersInfo(IP_ADAPTER_INFO* adapters, ULONG* size);
DWORD GetBestInterface(IPAddr destination, DWORD* index);
DWORD GetIpForwardTable(MIB_IPFORWARDTABLE* table, ULONG* size, BOOL sorted);
DWORD GetIpNetTable2(ADDRESS_FAMILY family, MIB_IPNET_TABLE2** table);
void FreeMibTable(void* table);
DWORD SendARP(IPAddr destination, IPAddr source, void* mac, ULONG* length);
HANDLE IcmpCreateFile();
BOOL IcmpCloseHandle(HANDLE echo);
DWORD IcmpSendEcho(HANDLE echo, IPAddr destination, void* request, WORD requestSize, IP_OPTION_INFORMATION* options,
                   void* replies, DWORD repliesSize, DWORD timeoutMs);

}  // namespace iphelper
