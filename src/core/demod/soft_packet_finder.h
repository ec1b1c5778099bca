// Packet finder on soft bits, for any front end that recovers the bit clock.
//
// Input: one soft bit per bit period, in stream order. The sign is the bit
// read upright (positive = 1), the magnitude its reliability, 0 an erasure.
// Every bit position is tried as a packet start in both polarities; a
// candidate whose type byte is a packet type (or that starts right where the
// previous packet ended, since a downlink sends packets back to back; there
// a type byte outside the eight is taken too, as 12 bytes) is checked with
// the two-sum check and, if that fails, corrected: a single bit
// error located from the two sums, or a few flips among the least reliable
// bits. Candidates whose bits look like noise rather than a signal are never
// corrected, so noise yields no more false packets than hard decisions do.
// Output: each candidate that checks goes to the handler, which interprets it
// and answers accepted (the finder then skips the packet's bits) or abandoned.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>

#include "base/packet_outcome.h"

namespace vantrel {

struct FoundPacket {
  const std::uint8_t* bytes = nullptr;  // 12 or 24 bytes, corrected
  int length = 0;
  int correctedBits = 0;
  int polarity = 0;        // 0 upright, 1 inverted
  long long startBit = 0;  // index of the packet's first bit in the stream
};

// How far correction may reach; the defaults suit a front end whose bits
// err one at a time.
struct CorrectionOptions {
  // Only bits weaker than this share of a candidate's mean reliability are flipped.
  float flipFraction = 0.3f;
  // Differential detection turns one bad symbol into two wrong neighbouring
  // bits, often not both among the weakest: this many of the weakest
  // neighbouring pairs (by summed reliability) are tried as one error.
  int pairCandidates = 0;
  // For a continuous downlink, where every packet follows the one before:
  // a corrected packet is taken only on the frame grid of the last accepted
  // one (a whole number of 12-byte packets after its end). A wrong correction
  // of noise or of a shifted reading lies anywhere; off the grid it is left.
  bool framedCorrections = false;
  // The two sums cannot see some flips of two or three high bits (bit 7 in
  // two bytes of the same parity, for one), so a packet read with such
  // errors may be mended into another packet that checks. When > 0, a
  // correction is taken only if no other set of up to three of the weakest
  // bits mends the packet at a cost (summed reliability of the bits flipped)
  // within this share of the mean reliability of the one chosen.
  float ambiguityMargin = 0.0f;
  // Errors come as misread symbols, each flipping two neighbouring bits: the
  // rivals are looked for among one or two of the weakest such flips.
  bool symbolErrors = false;
  // Most weak bits (below half the mean reliability, per 96) a candidate may
  // have to be corrected: noise has about 30. A front end whose bit is as
  // reliable as the weaker of two symbols has more weak bits at a given
  // error rate than one with a reliability per bit, and needs a higher limit.
  int maxWeakToCorrect = 12;
};

class SoftPacketFinder {
 public:
  using Handler = std::function<PacketOutcome(const FoundPacket&)>;

  explicit SoftPacketFinder(Handler handler, CorrectionOptions options = {});

  // Adds the next bit of the stream. Candidates are tried once the longest
  // packet starting at them has arrived, so packets come out 192 bits late.
  void Push(float softBit);
  // Takes back the last bits (at most those no position tried so far has
  // started at) so that they can be pushed again, read better.
  void Rewind(int bits) { pushed_ -= std::min<long long>(bits, pushed_ - nextStart_); }
  // Tries the positions still waiting, as if erasures followed.
  void Flush();
  // Forgets the stream (a new recording or a restart of capture).
  void Reset();

  long long bitsPushed() const { return pushed_; }

 private:
  static constexpr int kHistory = 512;  // bits kept; a power of two
  static constexpr int kLongBits = 192;

  float Bit(long long index) const { return bits_[index & (kHistory - 1)]; }
  void TryStart(long long start);
  // A whole number of short packets after the last accepted packet's end.
  bool OnFrameGrid(long long start) const;
  // otherTypes: take a type byte outside the eight (a back-to-back position).
  bool TryCandidate(long long start, int polarity, int length, bool otherTypes = false);

  Handler handler_;
  CorrectionOptions options_;
  std::array<float, kHistory> bits_{};
  long long pushed_ = 0;
  long long nextStart_ = 0;      // next position to try
  long long skipUntil_ = 0;      // positions before this lie inside an accepted packet
  long long expectedNext_ = -1;  // where a back-to-back packet would begin
  int lastPolarity_ = 0;
};

}  // namespace vantrel
