// A UDP listener on a loopback address (Winsock or BSD sockets).
#include "tests/support/UdpListener.h"

#include <chrono>
#include <cstring>
#include <thread>

#ifndef _WIN32
#include <sys/select.h>
#include <unistd.h>
#define closesocket ::close
#endif

UdpListener::UdpListener(const char* address, unsigned short port) {
#ifdef _WIN32
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
#endif
  sockaddr_in local;
  std::memset(&local, 0, sizeof local);
  local.sin_family = AF_INET;
  local.sin_port = htons(port);
  local.sin_addr.s_addr = inet_addr(address);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (std::chrono::steady_clock::now() < deadline) {
    SOCKET s = socket(AF_INET, SOCK_DGRAM, 0);
    if (s != INVALID_SOCKET &&
        bind(s, reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0) {
      m_socket = s;
      return;
    }
    if (s != INVALID_SOCKET) closesocket(s);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
}

UdpListener::~UdpListener() {
  if (m_socket != INVALID_SOCKET) closesocket(m_socket);
#ifdef _WIN32
  WSACleanup();
#endif
}

std::optional<std::vector<unsigned char>> UdpListener::Receive(int timeoutMs) {
  if (m_socket == INVALID_SOCKET) return std::nullopt;
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(m_socket, &readable);
  timeval timeout;
  timeout.tv_sec = timeoutMs / 1000;
  timeout.tv_usec = (timeoutMs % 1000) * 1000;
  if (select(static_cast<int>(m_socket) + 1, &readable, nullptr, nullptr, &timeout) <= 0) {
    return std::nullopt;
  }
  std::vector<unsigned char> buffer(2048);
  const int received = static_cast<int>(
      recv(m_socket, reinterpret_cast<char*>(buffer.data()), static_cast<int>(buffer.size()), 0));
  if (received < 0) return std::nullopt;
  buffer.resize(static_cast<size_t>(received));
  return buffer;
}

std::vector<std::vector<unsigned char>> UdpListener::ReceiveAll(int quietMs) {
  std::vector<std::vector<unsigned char>> all;
  while (auto datagram = Receive(quietMs)) all.push_back(std::move(*datagram));
  return all;
}
