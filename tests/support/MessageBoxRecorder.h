// Captures every message box the program shows and answers it, so no test waits on a person.
#pragma once
#include <mutex>
#include <vector>

#include "framework/MessageBox.h"

class MessageBoxRecorder {
 public:
  // Every box is closed with answer.
  explicit MessageBoxRecorder(int answer = IDOK)
      : m_answer(answer), m_hook(MessageBoxSeam(), [this](const MessageBoxRequest& r) { return Record(r); }) {}

  std::vector<MessageBoxRequest> Boxes() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_boxes;
  }

 private:
  int Record(const MessageBoxRequest& request) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_boxes.push_back(request);
    return m_answer;
  }

  mutable std::mutex m_mutex;
  std::vector<MessageBoxRequest> m_boxes;
  int m_answer;
  ScopedOverride<MessageBoxHook> m_hook;
};
