// The one seam through which tests replace a system boundary: a value the program reads, and a scope that puts another in its place.
#pragma once
#include <mutex>
#include <utility>

template <typename T>
class ScopedOverride;

// A value the program reads wherever it crosses a boundary that tests replace (an interface
// pointer, a function object). Reading and replacing are safe from any thread, so a worker or
// another thread's file operation may read it while a test's scope begins or ends.
template <typename T>
class Overridable {
 public:
  explicit Overridable(T value = T()) : m_value(std::move(value)) {}
  Overridable(const Overridable&) = delete;
  Overridable& operator=(const Overridable&) = delete;

  // A copy of the value in place now.
  T Get() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_value;
  }

 private:
  friend class ScopedOverride<T>;
  T Exchange(T value) {
    std::lock_guard<std::mutex> lock(m_mutex);
    return std::exchange(m_value, std::move(value));
  }

  mutable std::mutex m_mutex;
  T m_value;
};

// Puts value in place of what slot holds for this object's lifetime, then puts back what was
// there. Scopes nest; they must end in the reverse order of their beginning (tests only).
template <typename T>
class ScopedOverride {
 public:
  ScopedOverride(Overridable<T>& slot, T value) : m_slot(slot), m_previous(slot.Exchange(std::move(value))) {}
  ~ScopedOverride() { m_slot.Exchange(std::move(m_previous)); }
  ScopedOverride(const ScopedOverride&) = delete;
  ScopedOverride& operator=(const ScopedOverride&) = delete;

 private:
  Overridable<T>& m_slot;
  T m_previous;
};

template <typename T, typename U>
ScopedOverride(Overridable<T>&, U) -> ScopedOverride<T>;
