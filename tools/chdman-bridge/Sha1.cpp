#include "Sha1.h"

#include <algorithm>
#include <cstring>

namespace qm::bridge {
namespace {

constexpr std::uint32_t Rotl(std::uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

}  // namespace

Sha1::Sha1() : h_{0x67452301u, 0xEFCDAB89u, 0x98BADCFEu, 0x10325476u, 0xC3D2E1F0u} {}

void Sha1::Block(const std::uint8_t* p) {
  std::uint32_t w[80];
  for (int i = 0; i < 16; ++i) {
    w[i] = std::uint32_t{p[4 * i]} << 24 | std::uint32_t{p[4 * i + 1]} << 16 | std::uint32_t{p[4 * i + 2]} << 8 |
           std::uint32_t{p[4 * i + 3]};
  }
  for (int i = 16; i < 80; ++i) w[i] = Rotl(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
  std::uint32_t a = h_[0], b = h_[1], c = h_[2], d = h_[3], e = h_[4];
  for (int i = 0; i < 80; ++i) {
    std::uint32_t f, k;
    if (i < 20) {
      f = (b & c) | (~b & d), k = 0x5A827999u;
    } else if (i < 40) {
      f = b ^ c ^ d, k = 0x6ED9EBA1u;
    } else if (i < 60) {
      f = (b & c) | (b & d) | (c & d), k = 0x8F1BBCDCu;
    } else {
      f = b ^ c ^ d, k = 0xCA62C1D6u;
    }
    const std::uint32_t t = Rotl(a, 5) + f + e + k + w[i];
    e = d, d = c, c = Rotl(b, 30), b = a, a = t;
  }
  h_[0] += a, h_[1] += b, h_[2] += c, h_[3] += d, h_[4] += e;
}

void Sha1::Append(std::span<const std::uint8_t> bytes) {
  totalBytes_ += bytes.size();
  while (!bytes.empty()) {
    const std::size_t take = std::min(bytes.size(), pending_.size() - pendingSize_);
    std::memcpy(pending_.data() + pendingSize_, bytes.data(), take);
    pendingSize_ += take;
    bytes = bytes.subspan(take);
    if (pendingSize_ == pending_.size()) {
      Block(pending_.data());
      pendingSize_ = 0;
    }
  }
}

Sha1Digest Sha1::Finish() {
  const std::uint64_t bits = totalBytes_ * 8;
  const std::uint8_t one = 0x80, zero = 0;
  Append({&one, 1});
  while (pendingSize_ != 56) Append({&zero, 1});
  std::uint8_t length[8];
  for (int i = 0; i < 8; ++i) length[i] = static_cast<std::uint8_t>(bits >> (56 - 8 * i));
  Append(length);
  Sha1Digest digest;
  for (int i = 0; i < 20; ++i) digest[i] = static_cast<std::uint8_t>(h_[i / 4] >> (24 - 8 * (i % 4)));
  return digest;
}

Sha1Digest Sha1::Of(std::span<const std::uint8_t> bytes) {
  Sha1 sha1;
  sha1.Append(bytes);
  return sha1.Finish();
}

}  // namespace qm::bridge
