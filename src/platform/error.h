#pragma once
// How a platform call reports failure, the same way on both systems: the
// call the system refused and the system's code. Messages for the user are
// made by the callers; SystemMessage gives the system's own text for a code.

#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace qm {

struct SystemError {
  std::string call;  // as the system names it: "CreateProcess", "posix_spawn", "open"
  long code = 0;     // errno on POSIX, GetLastError() on Windows
};

// The system's description of `code`, on one line ("No such file or directory").
std::string SystemMessage(long code);

// "CALL failed. Error: CODE": the form the program shows a failed start in.
inline std::string FailedCall(const SystemError& error) {
  return error.call + " failed. Error: " + std::to_string(error.code);
}

// A value or the SystemError that kept it from being made.
template <class T>
class [[nodiscard]] Result {
 public:
  Result(T value) : v_(std::in_place_index<0>, std::move(value)) {}
  Result(SystemError error) : v_(std::in_place_index<1>, std::move(error)) {}

  bool ok() const { return v_.index() == 0; }
  explicit operator bool() const { return ok(); }
  T& operator*() { return std::get<0>(v_); }
  const T& operator*() const { return std::get<0>(v_); }
  T* operator->() { return &std::get<0>(v_); }
  const T* operator->() const { return &std::get<0>(v_); }
  const SystemError& error() const { return std::get<1>(v_); }
  T value_or(T fallback) const& { return ok() ? std::get<0>(v_) : std::move(fallback); }

 private:
  std::variant<T, SystemError> v_;
};

// Success, or the SystemError of the call that failed.
template <>
class [[nodiscard]] Result<void> {
 public:
  Result() = default;
  Result(SystemError error) : error_(std::move(error)) {}

  bool ok() const { return !error_; }
  explicit operator bool() const { return ok(); }
  const SystemError& error() const { return *error_; }

 private:
  std::optional<SystemError> error_;
};

}  // namespace qm
