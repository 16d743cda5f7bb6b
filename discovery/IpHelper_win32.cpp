// The IP Helper functions looked up once in system32's iphlpapi.dll.
#include "discovery/IpHelper_win32.h"

#include "framework/SystemLibrary_win32.h"

namespace iphelper {

namespace {

struct Functions {
  decltype(&::GetAdaptersInfo) getAdaptersInfo;
  decltype(&::GetBestInterface) getBestInterface;
  decltype(&::GetIpForwardTable) getIpForwardTable;
  decltype(&::GetIpNetTable2) getIpNetTable2;
  decltype(&::FreeMibTable) freeMibTable;
  decltype(&::SendARP) sendArp;
  decltype(&::IcmpCreateFile) icmpCreateFile;
  decltype(&::IcmpCloseHandle) icmpCloseHandle;
  decltype(&::IcmpSendEcho) icmpSendEcho;
};

const Functions& Loaded() {
  static const Functions functions = [] {
    const HMODULE module = LoadSystemLibrary(L"iphlpapi.dll");
    return Functions{
        SystemFunction<decltype(&::GetAdaptersInfo)>(module, "GetAdaptersInfo"),
        SystemFunction<decltype(&::GetBestInterface)>(module, "GetBestInterface"),
        SystemFunction<decltype(&::GetIpForwardTable)>(module, "GetIpForwardTable"),
        SystemFunction<decltype(&::GetIpNetTable2)>(module, "GetIpNetTable2"),
        SystemFunction<decltype(&::FreeMibTable)>(module, "FreeMibTable"),
        SystemFunction<decltype(&::SendARP)>(module, "SendARP"),
        SystemFunction<decltype(&::IcmpCreateFile)>(module, "IcmpCreateFile"),
        SystemFunction<decltype(&::IcmpCloseHandle)>(module, "IcmpCloseHandle"),
        SystemFunction<decltype(&::IcmpSendEcho)>(module, "IcmpSendEcho"),
    };
  }();
  return functions;
}

constexpr DWORD kUnavailable = ERROR_NOT_SUPPORTED;

}  // namespace

ULONG GetAdaptersInfo(IP_ADAPTER_INFO* adapters, ULONG* size) {
  return CallIfFound(Loaded().getAdaptersInfo, ULONG{kUnavailable}, adapters, size);
}

DWORD GetBestInterface(IPAddr destination, DWORD* index) {
  return CallIfFound(Loaded().getBestInterface, kUnavailable, destination, index);
}

DWORD GetIpForwardTable(MIB_IPFORWARDTABLE* table, ULONG* size, BOOL sorted) {
  return CallIfFound(Loaded().getIpForwardTable, kUnavailable, table, size, sorted);
}

DWORD GetIpNetTable2(ADDRESS_FAMILY family, MIB_IPNET_TABLE2** table) {
  return CallIfFound(Loaded().getIpNetTable2, kUnavailable, family, table);
}

void FreeMibTable(void* table) {
  if (Loaded().freeMibTable != nullptr) Loaded().freeMibTable(table);
}

DWORD SendARP(IPAddr destination, IPAddr source, void* mac, ULONG* length) {
  return CallIfFound(Loaded().sendArp, kUnavailable, destination, source, mac, length);
}

HANDLE IcmpCreateFile() { return CallIfFound(Loaded().icmpCreateFile, INVALID_HANDLE_VALUE); }

BOOL IcmpCloseHandle(HANDLE echo) { return CallIfFound(Loaded().icmpCloseHandle, BOOL{FALSE}, echo); }

DWORD IcmpSendEcho(HANDLE echo, IPAddr destination, void* request, WORD requestSize, IP_OPTION_INFORMATION* options,
                   void* replies, DWORD repliesSize, DWORD timeoutMs) {
  return CallIfFound(Loaded().icmpSendEcho, DWORD{0}, echo, destination, request, requestSize, options, replies,
                repliesSize, timeoutMs);
}

}  // namespace iphelper
