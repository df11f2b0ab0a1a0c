#pragma once
// ByteSource: the fuzzer's input read as a stream of choices. Every read past the end yields
// zero, so a short input still drives the builders to a finish, always along their first (plain)
// option.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace Jorv {
namespace Fuzz {

class ByteSource {
 public:
  ByteSource(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  // The next byte; 0 once the input is used up.
  std::uint8_t Byte() { return position_ < size_ ? data_[position_++] : 0; }

  // `count` bytes (at most 8) as a little-endian integer.
  std::uint64_t Bits(unsigned count) {
    std::uint64_t bits = 0;
    for (unsigned i = 0; i < count && i < 8; ++i) bits |= std::uint64_t{Byte()} << (8 * i);
    return bits;
  }

  // A number in [0, n), n at most 65536; 0 when n is 0.
  std::size_t Below(std::size_t n) {
    return n <= 1 ? 0 : static_cast<std::size_t>(n <= 256 ? Byte() % n : Bits(2) % n);
  }

  // True about once in `n` reads; false once the input is used up.
  bool OneIn(unsigned n) { return n > 0 && Byte() % n == n - 1; }

  // Up to `max` raw bytes, the length read first: any bytes at all, invalid UTF-8 and NULs
  // included.
  std::string Bytes(std::size_t max) {
    // The length is read before what is left is measured: reading it moves the position.
    const std::size_t wanted = Below(max + 1);
    const std::size_t length = std::min(wanted, size_ - position_);
    std::string text(reinterpret_cast<const char*>(data_ + position_), length);
    position_ += length;
    return text;
  }

  // A double from eight raw bytes: every bit pattern, NaNs, infinities and subnormals included.
  double RawDouble() {
    const std::uint64_t bits = Bits(8);
    double value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t position_ = 0;
};

}  // namespace Fuzz
}  // namespace Jorv
