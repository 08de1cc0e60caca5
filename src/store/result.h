#pragma once
// Result<T>: a value, or the reason why there is none. Expected failures (a missing file, a
// locked table, a malformed line) travel as values; the command that called tells the user.

#include <string>
#include <utility>
#include <variant>

namespace velmoran {

struct Failure {
  std::string reason;
};

inline Failure fail(std::string reason) { return Failure{std::move(reason)}; }

template <typename T>
class [[nodiscard]] Result {
public:
  Result(T value) : m_v(std::move(value)) {}
  Result(Failure f) : m_v(std::move(f)) {}

  bool ok() const { return m_v.index() == 0; }
  explicit operator bool() const { return ok(); }
  T& value() { return std::get<0>(m_v); }
  const T& value() const { return std::get<0>(m_v); }
  T& operator*() { return value(); }
  T* operator->() { return &value(); }
  const std::string& reason() const { return std::get<1>(m_v).reason; }

private:
  std::variant<T, Failure> m_v;
};

template <>
class [[nodiscard]] Result<void> {
public:
  Result() = default;
  Result(Failure f) : m_failed(true), m_reason(std::move(f.reason)) {}

  bool ok() const { return !m_failed; }
  explicit operator bool() const { return ok(); }
  const std::string& reason() const { return m_reason; }

private:
  bool m_failed = false;
  std::string m_reason;
};

}  // namespace velmoran
