#pragma once
// One owner per operating-system handle. On POSIX the native handle is a file
// descriptor (-1 when empty); on Windows a HANDLE (null or
// INVALID_HANDLE_VALUE when empty). The close call lives only in handle.cpp.

#include <cstdint>

namespace qm {

#if defined(_WIN32)  // the one place the native handle type differs
using NativeHandle = void*;
#else
using NativeHandle = int;
#endif

class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(NativeHandle h) : h_(h) {}
  UniqueHandle(UniqueHandle&& other) noexcept : h_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { reset(); }

  bool valid() const;
  NativeHandle get() const { return h_; }
  NativeHandle release() {
    NativeHandle h = h_;
    h_ = Empty();
    return h;
  }
  void reset(NativeHandle h = Empty());

  static NativeHandle Empty();

 private:
  NativeHandle h_ = Empty();
};

}  // namespace qm
