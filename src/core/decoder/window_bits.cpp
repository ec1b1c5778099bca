// Whole-stream passes over the raw window signs. The loops work on 16
// positions at a time with the compiler's portable vector types (SSE2 on
// x86-64, NEON on ARM) and finish the last few positions one by one.
#include "decoder/window_bits.h"

#include <cstring>

#include "base/packet_types.h"

namespace vantrel {

namespace {

using U32x4 = std::uint32_t __attribute__((vector_size(16)));
using I32x4 = std::int32_t __attribute__((vector_size(16)));
using U8x16 = std::uint8_t __attribute__((vector_size(16)));

template <typename V, typename T>
inline V Load(const T* p) {
  V v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

// Correlation of the window at q: 2 * (x[q+2] + ... + x[q+6]) - (x[q] + ... + x[q+9]).
inline std::uint32_t Correlation(const std::uint32_t* prefix, int q) {
  return ((prefix[q + 7] - prefix[q + 2]) << 1) - (prefix[q + 10] - prefix[q]);
}

inline U8x16 TypeMask(U8x16 b) {
  const U8x16 first = b - static_cast<std::uint8_t>(kTypeMessage);
  const auto range = first <= static_cast<std::uint8_t>(kTypeEphemeris - kTypeMessage);
  const auto elements = b == kTypeElements;
  const auto sync = b == kTypeSync;
  return reinterpret_cast<U8x16>(range | elements | sync);
}

}  // namespace

void WindowSigns(const std::uint32_t* prefix, int count, std::uint8_t* signs) {
  int q = 0;
  for (; q + 16 <= count; q += 16) {
    I32x4 positive[4];
    for (int b = 0; b < 4; ++b) {
      const std::uint32_t* at = prefix + q + 4 * b;
      const U32x4 r = ((Load<U32x4>(at + 7) - Load<U32x4>(at + 2)) << 1) -
                      (Load<U32x4>(at + 10) - Load<U32x4>(at));
      positive[b] = reinterpret_cast<I32x4>(r) > 0;  // -1 or 0 per lane
    }
    std::uint8_t out[16];
    for (int b = 0; b < 4; ++b) {
      for (int lane = 0; lane < 4; ++lane) {
        out[4 * b + lane] = static_cast<std::uint8_t>(positive[b][lane] & 1);
      }
    }
    std::memcpy(signs + q, out, sizeof out);
  }
  for (; q < count; ++q) signs[q] = RawSign(Correlation(prefix, q)) ? 1 : 0;
}

void CandidateFlags(const std::uint8_t* signs, int count, std::uint8_t* flags) {
  int k = 0;
  for (; k + 16 <= count; k += 16) {
    U8x16 byte = Load<U8x16>(signs + k);
    for (int bit = 1; bit < 8; ++bit) byte |= Load<U8x16>(signs + k + 10 * bit) << bit;
    const U8x16 upright = TypeMask(byte) & kCandidateUpright;
    const U8x16 inverted = TypeMask(~byte) & kCandidateInverted;
    const U8x16 both = upright | inverted;
    std::memcpy(flags + k, &both, sizeof both);
  }
  for (; k < count; ++k) {
    const std::uint8_t byte = AssembleByte(signs + k, 0);
    flags[k] = static_cast<std::uint8_t>(
        (IsPacketType(byte) ? kCandidateUpright : 0) |
        (IsPacketType(static_cast<std::uint8_t>(~byte)) ? kCandidateInverted : 0));
  }
}

int ReadPacketBits(const std::uint8_t* signs, std::uint8_t invert, std::uint8_t* packet,
                   bool anyType) {
  packet[0] = AssembleByte(signs, invert);
  if (!anyType && !IsPacketType(packet[0])) return 0;
  const int length = PacketLength(packet[0]);
  for (int n = 1; n < length; ++n) packet[n] = AssembleByte(signs + kSamplesPerByte * n, invert);
  return length;
}

}  // namespace vantrel
