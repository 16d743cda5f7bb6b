// The IP Helper functions, each looked up once in system32's iphlpapi.dll.
#include "discovery/IpHelper_win32.h"

#include "framework/SystemLibrary_win32.h"

namespace iphelper {

namespace {

HMODULE IpHlpApi() {
  static const HMODULE module = LoadSystemLibrary(L"iphlpapi.dll");
  return module;
}

constexpr DWORD kUnavailable = ERROR_NOT_SUPPORTED;

}  // namespace

ULONG GetAdaptersInfo(IP_ADAPTER_INFO* adapters, ULONG* size) {
  static const auto function = SystemFunction<decltype(&::GetAdaptersInfo)>(IpHlpApi(), "GetAdaptersInfo");
  return function != nullptr ? function(adapters, size) : kUnavailable;
}

DWORD GetBestInterface(IPAddr destination, DWORD* index) {
  static const auto function = SystemFunction<decltype(&::GetBestInterface)>(IpHlpApi(), "GetBestInterface");
  return function != nullptr ? function(destination, index) : kUnavailable;
}

DWORD GetIpForwardTable(MIB_IPFORWARDTABLE* table, ULONG* size, BOOL sorted) {
  static const auto function = SystemFunction<decltype(&::GetIpForwardTable)>(IpHlpApi(), "GetIpForwardTable");
  return function != nullptr ? function(table, size, sorted) : kUnavailable;
}

DWORD GetIpNetTable2(ADDRESS_FAMILY family, MIB_IPNET_TABLE2** table) {
  static const auto function = SystemFunction<decltype(&::GetIpNetTable2)>(IpHlpApi(), "GetIpNetTable2");
  return function != nullptr ? function(family, table) : kUnavailable;
}

void FreeMibTable(void* table) {
  static const auto function = SystemFunction<decltype(&::FreeMibTable)>(IpHlpApi(), "FreeMibTable");
  if (function != nullptr) function(table);
}

DWORD SendARP(IPAddr destination, IPAddr source, void* mac, ULONG* length) {
  static const auto function = SystemFunction<decltype(&::SendARP)>(IpHlpApi(), "SendARP");
  return function != nullptr ? function(destination, source, mac, length) : kUnavailable;
}

HANDLE IcmpCreateFile() {
  static const auto function = SystemFunction<decltype(&::IcmpCreateFile)>(IpHlpApi(), "IcmpCreateFile");
  return function != nullptr ? function() : INVALID_HANDLE_VALUE;
}

BOOL IcmpCloseHandle(HANDLE echo) {
  static const auto function = SystemFunction<decltype(&::IcmpCloseHandle)>(IpHlpApi(), "IcmpCloseHandle");
  return function != nullptr ? function(echo) : FALSE;
}

DWORD IcmpSendEcho(HANDLE echo, IPAddr destination, void* request, WORD requestSize, IP_OPTION_INFORMATION* options,
                   void* replies, DWORD repliesSize, DWORD timeoutMs) {
  static const auto function = SystemFunction<decltype(&::IcmpSendEcho)>(IpHlpApi(), "IcmpSendEcho");
  if (function == nullptr) return 0;
  return function(echo, destination, request, requestSize, options, replies, repliesSize, timeoutMs);
}

}  // namespace iphelper
