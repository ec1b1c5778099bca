// Bit decisions of the packet search, computed for many sample positions at
// once. A bit window is ten samples weighted - - + + + + + - - -; its raw sign
// is whether that correlation is positive. Polarity is applied only when
// bytes are assembled: inverted polarity reads "correlation <= 0", which is
// the complement of the raw sign, so one set of raw signs serves both.
#pragma once

#include <cstdint>

namespace vantrel {

// Candidate flag bits: the byte assembled at a position is a packet type
// when read upright (polarity 0) or inverted (polarity 1).
constexpr std::uint8_t kCandidateUpright = 1;
constexpr std::uint8_t kCandidateInverted = 2;

// Sums modulo 2^32 keep every correlation exact whenever the correlation
// itself fits in 32 bits, whatever the size of the entries.
inline bool RawSign(std::uint32_t correlation) {
  return static_cast<std::int32_t>(correlation) > 0;
}

// prefix[k] is the sum of the stream's first k entries (modulo 2^32).
// Writes signs[q] = raw sign of the window starting at stream entry q, for
// q < count; reads prefix[0 .. count + 10].
void WindowSigns(const std::uint32_t* prefix, int count, std::uint8_t* signs);

// Writes flags[k] (kCandidate* bits) for k < count from the raw signs of
// the eight windows k, k + 10, ..., k + 70; reads signs[0 .. count + 70).
void CandidateFlags(const std::uint8_t* signs, int count, std::uint8_t* flags);

// The byte whose eight bits are the windows at signs[0], signs[10], ...,
// signs[70], least significant bit first, xor invert (0x00 or 0xFF).
inline std::uint8_t AssembleByte(const std::uint8_t* signs, std::uint8_t invert) {
  unsigned byte = 0;
  for (int k = 0; k < 8; ++k) byte |= static_cast<unsigned>(signs[10 * k]) << k;
  return static_cast<std::uint8_t>(byte ^ invert);
}

// Reads the packet whose first window is signs[0]: returns its length in
// bytes (12 or 24), or 0 when byte 0 is no packet type and anyType is
// false; with anyType any other type byte reads 12 bytes. Reads up to
// signs[1910] for an ephemeris packet.
int ReadPacketBits(const std::uint8_t* signs, std::uint8_t invert, std::uint8_t* packet,
                   bool anyType = false);

}  // namespace vantrel
