// A second process on the host list for the race measurement: stores its own hosts in the current directory.
//
//   kestrin_hostlist_writer add <prefix> <count>   stores <prefix>-0 .. <prefix>-(count-1)
// Prints "ok <successes> failed <failures>".
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "hostlist/HostListFile.h"

int main(int argc, char** argv) {
  if (argc != 4 || std::strcmp(argv[1], "add") != 0) {
    std::fprintf(stderr, "usage: %s add <prefix> <count>\n", argv[0]);
    return 2;
  }
  const std::string prefix = argv[2];
  const int count = std::atoi(argv[3]);
  int ok = 0, failed = 0;
  for (int i = 0; i < count; ++i) {
    const std::string mac = prefix + "-" + std::to_string(i);
    HostEntry host{};
    CopyTextToField(host.szMac, mac);
    CopyTextToField(host.szAlias, "alias " + mac);
    CopyTextToField(host.szBroadcast, "127.0.0.1");
    ++(hostlist::StoreHostEntry(host) == 0 ? ok : failed);
  }
  std::printf("ok %d failed %d\n", ok, failed);
  return 0;
}
