/* The least a wake can do, the yardstick of bench/wake.sh: open a datagram socket, switch
   broadcasting on, send one 108-byte magic packet to 127.0.0.1:4352, exit. Nothing else. */
#include <arpa/inet.h>
#include <netinet/in.h>
#include <string.h>
#include <sys/socket.h>
#include <unistd.h>

int main(void) {
  static const unsigned char mac[6] = {0x00, 0xA0, 0xB1, 0xC2, 0xD3, 0xE4};
  unsigned char packet[108];
  memset(packet, 0xFF, 6);
  for (int copy = 1; copy <= 17; ++copy) memcpy(packet + 6 * copy, mac, 6);

  struct sockaddr_in to;
  memset(&to, 0, sizeof to);
  to.sin_family = AF_INET;
  to.sin_port = htons(4352);
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);

  int s = socket(AF_INET, SOCK_DGRAM, 0);
  if (s < 0) return 1;
  int on = 1;
  int failed = setsockopt(s, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0 ||
               sendto(s, packet, sizeof packet, 0, (const struct sockaddr*)&to, sizeof to) != 108;
  close(s);
  return failed;
}
