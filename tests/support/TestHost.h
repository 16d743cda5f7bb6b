// The one way tests make a host record.
#pragma once
#include <cstring>
#include <string_view>

#include "core/HostEntry.h"

// A record of these texts (each cut to its field as the program cuts), every byte after them
// set, so nothing may depend on them.
inline HostEntry MakeHost(std::string_view mac, std::string_view alias, std::string_view broadcast = "127.0.0.1") {
  HostEntry host;
  std::memset(&host, 0x5A, sizeof host);
  CopyTextToField(host.szMac, mac);
  CopyTextToField(host.szAlias, alias);
  CopyTextToField(host.szBroadcast, broadcast);
  return host;
}
