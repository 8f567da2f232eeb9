#pragma once
// SHA-1, as the CHD format uses it for its data and metadata digests.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace qm::bridge {

using Sha1Digest = std::array<std::uint8_t, 20>;

class Sha1 {
 public:
  Sha1();
  void Append(std::span<const std::uint8_t> bytes);
  Sha1Digest Finish();  // the object is spent afterwards

  static Sha1Digest Of(std::span<const std::uint8_t> bytes);

 private:
  void Block(const std::uint8_t* block);

  std::array<std::uint32_t, 5> h_;
  std::array<std::uint8_t, 64> pending_{};
  std::size_t pendingSize_ = 0;
  std::uint64_t totalBytes_ = 0;
};

}  // namespace qm::bridge
