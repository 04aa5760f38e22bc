// A value shared between threads without a lock: every load and store is whole (relaxed
// atomic), so a reader sees either the old or the new value and picks up changes on its
// next pass. Read-modify-write helpers are atomic too.
#pragma once

#include <atomic>
#include <type_traits>

template <class T>
class Relaxed {
  static_assert(std::is_trivially_copyable_v<T>);

 public:
  constexpr Relaxed() noexcept : m_value(T{}) {}
  constexpr Relaxed(T value) noexcept : m_value(value) {}  // NOLINT: reads like the plain field
  Relaxed(const Relaxed&) = delete;
  Relaxed& operator=(const Relaxed&) = delete;

  operator T() const noexcept { return m_value.load(std::memory_order_relaxed); }  // NOLINT
  T load() const noexcept { return m_value.load(std::memory_order_relaxed); }
  Relaxed& operator=(T value) noexcept {
    m_value.store(value, std::memory_order_relaxed);
    return *this;
  }

  T operator+=(T delta) noexcept { return Add(delta); }
  T operator-=(T delta) noexcept { return Add(static_cast<T>(-delta)); }
  T operator++() noexcept { return Add(T{1}); }
  T operator--() noexcept { return Add(static_cast<T>(-1)); }

  // Stores `value` and returns what was there before.
  T exchange(T value) noexcept { return m_value.exchange(value, std::memory_order_relaxed); }

 private:
  T Add(T delta) noexcept {
    if constexpr (std::is_integral_v<T>) {
      return m_value.fetch_add(delta, std::memory_order_relaxed) + delta;
    } else {
      T old = m_value.load(std::memory_order_relaxed);
      while (!m_value.compare_exchange_weak(old, old + delta, std::memory_order_relaxed)) {
      }
      return old + delta;
    }
  }

  std::atomic<T> m_value;
};
