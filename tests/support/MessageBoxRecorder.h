// Captures every message box the program shows and answers it, so no test waits on a person.
#pragma once
#include <mutex>
#include <queue>
#include <vector>

#include "framework/MessageBox.h"

class MessageBoxRecorder {
 public:
  // Boxes not given an answer by Answer() are closed with defaultAnswer.
  explicit MessageBoxRecorder(int defaultAnswer = IDOK)
      : m_defaultAnswer(defaultAnswer), m_hook(MessageBoxSeam(), [this](const MessageBoxRequest& r) { return Record(r); }) {}

  // The next box is closed with answer (then the next queued one, then the default).
  void Answer(int answer) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_answers.push(answer);
  }

  std::vector<MessageBoxRequest> Boxes() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_boxes;
  }

 private:
  int Record(const MessageBoxRequest& request) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_boxes.push_back(request);
    if (m_answers.empty()) return m_defaultAnswer;
    const int answer = m_answers.front();
    m_answers.pop();
    return answer;
  }

  mutable std::mutex m_mutex;
  std::vector<MessageBoxRequest> m_boxes;
  std::queue<int> m_answers;
  int m_defaultAnswer;
  ScopedOverride<MessageBoxHook> m_hook;
};
