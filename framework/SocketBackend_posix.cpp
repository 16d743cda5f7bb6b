// BSD sockets under CSocket's system backend; errno values are reported under their Winsock numbers.
#include <cerrno>
#include <unistd.h>

#include "framework/Socket.h"

namespace {

// errno to the Winsock code of the same failure, so messages read as they do on Windows: for the
// failures a bound datagram socket that broadcasts can meet (no socket left, no permission to
// broadcast, no route or network, no buffer); any other errno stays its own number.
int WinsockCodeFromErrno(int error) {
  switch (error) {
    case EACCES: case EPERM: return 10013;
    case EINVAL: return 10022;
    case EMFILE: return 10024;
    case ENOPROTOOPT: return 10042;
    case EPROTONOSUPPORT: return 10043;
    case EAFNOSUPPORT: return 10047;
    case EADDRNOTAVAIL: return 10049;
    case ENETDOWN: return 10050;
    case ENETUNREACH: case EHOSTUNREACH: return 10051;
    case ENOBUFS: case ENOMEM: return 10055;
    default: return error;
  }
}

}  // namespace

bool StartSockets() { return true; }

int LastSocketError() { return WinsockCodeFromErrno(errno); }

void CloseSocket(SOCKET s) { ::close(s); }
