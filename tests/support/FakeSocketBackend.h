// A socket backend that fails the step a test names and records what reached it.
#pragma once
#include <vector>

#include "framework/Socket.h"

class FakeSocketBackend : public SocketBackend {
 public:
  enum class FailAt { Nothing, Startup, Open, SetOption, SendTo, ShortSend };

  explicit FakeSocketBackend(FailAt failAt, int errorCode = 10051)
      : m_failAt(failAt), m_errorCode(errorCode) {}

  bool Startup() override { return m_failAt != FailAt::Startup; }
  SOCKET Open(int) override {
    ++opened;
    return m_failAt == FailAt::Open ? INVALID_SOCKET : static_cast<SOCKET>(42);
  }
  int SetOption(SOCKET, int, int, const void*, int) override {
    return m_failAt == FailAt::SetOption ? SOCKET_ERROR : 0;
  }
  int SendTo(SOCKET, const void*, int length, const sockaddr*, int, int) override {
    ++sends;
    if (m_failAt == FailAt::SendTo) return SOCKET_ERROR;
    return m_failAt == FailAt::ShortSend ? length - 1 : length;
  }
  void Close(SOCKET) override { ++closed; }
  int LastError() override { return m_errorCode; }

  int opened = 0;
  int sends = 0;
  int closed = 0;

 private:
  FailAt m_failAt;
  int m_errorCode;
};
