#pragma once
// One owner for each window-system object the front end creates: a window, a
// font, an icon. Move-only; the free function runs once, on a non-null handle.

#include <windows.h>
#include <shellapi.h>

namespace qm {

template <class H, auto Free>
class Owned {
 public:
  Owned() = default;
  explicit Owned(H h) : h_(h) {}
  Owned(Owned&& other) noexcept : h_(other.release()) {}
  Owned& operator=(Owned&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;
  ~Owned() { reset(); }

  H get() const { return h_; }
  bool valid() const { return h_ != nullptr; }
  H release() {
    H h = h_;
    h_ = nullptr;
    return h;
  }
  void reset(H h = nullptr) {
    if (h_ && h_ != h) Free(h_);
    h_ = h;
  }

 private:
  H h_ = nullptr;
};

using OwnedWindow = Owned<HWND, &::DestroyWindow>;
using OwnedFont = Owned<HFONT, &::DeleteObject>;
using OwnedIcon = Owned<HICON, &::DestroyIcon>;
using OwnedMenu = Owned<HMENU, &::DestroyMenu>;
using OwnedDrop = Owned<HDROP, &::DragFinish>;

}  // namespace qm
