#include "demod/soft_packet_finder.h"

#include <algorithm>
#include <cmath>

#include "base/packet_types.h"

namespace vantrel {

namespace {

// A bit is weak when its magnitude is below half the candidate's mean.
// Signal bits near the decoding limit are weak a few percent of the time,
// Gaussian noise about 31 % of the time, so the share of weak bits tells
// a packet from noise whatever the front end's scale.
constexpr float kWeakFraction = 0.5f;
// Most weak bits a candidate may have to be taken at all (about 1 in 3 of
// noise candidates pass); CorrectionOptions sets how many it may have to be
// corrected (noise practically never).
constexpr int kMaxWeakPerCheck = 24;  // of 96 bits
// Correction only ever flips weak bits: one located from the two sums, or
// two among the kFlipCandidates weakest. Every extra trial is another 1 in
// 65536 chance of taking noise for a packet.
constexpr int kFlipCandidates = 5;
// Where errors come as misread symbols, two among this many of the weakest
// are tried together.
constexpr int kSymbolPairCandidates = 8;

struct Sums {
  int a = 0, b = 0;  // byte sum and sum of running sums, modulo 256
  bool Zero() const { return (a & 0xFF) == 0 && (b & 0xFF) == 0; }
};

Sums TwoSums(const std::uint8_t* bytes, int length) {
  Sums s;
  for (int i = 0; i < length; ++i) {
    s.a += bytes[i];
    s.b += (length - i) * bytes[i];  // byte i enters length - i running sums
  }
  s.a &= 0xFF;
  s.b &= 0xFF;
  return s;
}

// Change of the two sums when bit `bit` of the packet flips.
Sums FlipEffect(const std::uint8_t* bytes, int length, int bit) {
  const int byte = bit / 8;
  const int value = 1 << (bit % 8);
  const int delta = (bytes[byte] & value) != 0 ? -value : value;
  return Sums{delta, (length - byte) * delta};
}

void Flip(std::uint8_t* bytes, int bit) {
  bytes[bit / 8] = static_cast<std::uint8_t>(bytes[bit / 8] ^ (1u << (bit % 8)));
}

// What the check cannot see: the type must agree with the length read, and
// a corrected sync packet must carry the whole sync word. A type byte outside
// the eight is taken, as 12 bytes, only where otherTypes allows it.
bool Plausible(const std::uint8_t* bytes, int length, bool corrected, bool otherTypes) {
  if (!IsPacketType(bytes[0]))
    return otherTypes && length == kShortPacketBytes && !IsBlankPacket(bytes);
  if (PacketLength(bytes[0]) != length) return false;
  if (corrected && bytes[0] == kTypeSync && (bytes[1] != 0xA8 || bytes[2] != 0xF9)) return false;
  return true;
}

// Weakest bits among which a rival correction is looked for.
constexpr int kRivalBits = 24;

// Whether another set of up to three bits among the weakest mends the
// packet (bytes as read, sums their two sums) at a cost within margin of
// cost, the fix's: the packet then cannot be told from another one.
bool RivalFix(const std::uint8_t* bytes, int length, Sums sums, const float* reliability,
              const std::array<int, 4>& fix, int fixBits, float cost, float margin,
              bool otherTypes) {
  const int nbits = length * 8;
  std::array<int, kLongPacketBytes * 8> order{};
  for (int i = 0; i < nbits; ++i) order[i] = i;
  const int n = std::min(nbits, kRivalBits);
  std::partial_sort(order.begin(), order.begin() + n, order.begin() + nbits,
                    [&](int x, int y) { return reliability[x] < reliability[y]; });
  std::array<Sums, kRivalBits> effect{};
  for (int i = 0; i < n; ++i) effect[i] = FlipEffect(bytes, length, order[i]);
  const auto isFix = [&](int count, const int* bits) {
    if (count != fixBits) return false;
    return count == 1 ? bits[0] == fix[0]
                      : (bits[0] == fix[0] && bits[1] == fix[1]) ||
                            (bits[0] == fix[1] && bits[1] == fix[0]);
  };
  const auto rival = [&](int count, const int* index) {
    Sums total = sums;
    float rivalCost = 0.0f;
    int bits[3];
    for (int k = 0; k < count; ++k) {
      total.a += effect[index[k]].a;
      total.b += effect[index[k]].b;
      bits[k] = order[index[k]];
      rivalCost += reliability[bits[k]];
    }
    if (rivalCost >= cost + margin || !total.Zero() || isFix(count, bits)) return false;
    std::array<std::uint8_t, kLongPacketBytes> trial{};
    std::copy_n(bytes, length, trial.begin());
    for (int k = 0; k < count; ++k) Flip(trial.data(), bits[k]);
    return Plausible(trial.data(), length, true, otherTypes);
  };
  for (int i = 0; i < n; ++i) {
    if (rival(1, &i)) return true;
    for (int j = i + 1; j < n; ++j) {
      const int two[] = {i, j};
      if (rival(2, two)) return true;
      for (int k = j + 1; k < n; ++k) {
        const int three[] = {i, j, k};
        if (rival(3, three)) return true;
      }
    }
  }
  return false;
}

// Weakest symbols among which a rival is looked for when errors come as
// misread symbols.
constexpr int kRivalSymbols = 16;

// RivalFix for a front end whose errors are misread symbols, each flipping
// two neighbouring bits (one at the packet's edges): one or two of the
// weakest such flips mend the packet at a cost within margin of the fix's.
bool RivalSymbolFix(const std::uint8_t* bytes, int length, const float* reliability,
                    const std::array<int, 4>& fix, int fixBits, float cost, float margin,
                    bool otherTypes) {
  const int nbits = length * 8;
  struct Flips {
    int first, last;  // bits first..last
    float cost;
  };
  std::array<Flips, kLongPacketBytes * 8 + 1> flips{};
  int count = 0;
  flips[count++] = {0, 0, reliability[0]};
  for (int i = 0; i + 1 < nbits; ++i)
    flips[count++] = {i, i + 1, reliability[i] + reliability[i + 1]};
  flips[count++] = {nbits - 1, nbits - 1, reliability[nbits - 1]};
  const int n = std::min(count, kRivalSymbols);
  std::partial_sort(flips.begin(), flips.begin() + n, flips.begin() + count,
                    [](const Flips& x, const Flips& y) { return x.cost < y.cost; });
  std::array<std::uint8_t, kLongPacketBytes> fixed{};
  std::copy_n(bytes, length, fixed.begin());
  for (int k = 0; k < fixBits; ++k) Flip(fixed.data(), fix[k]);
  const auto rival = [&](const Flips* a, const Flips* b) {
    if (a->cost + (b != nullptr ? b->cost : 0.0f) >= cost + margin) return false;
    std::array<std::uint8_t, kLongPacketBytes> trial{};
    std::copy_n(bytes, length, trial.begin());
    for (const Flips* f : {a, b}) {
      if (f == nullptr) continue;
      for (int bit = f->first; bit <= f->last; ++bit) Flip(trial.data(), bit);
    }
    return trial != fixed && TwoSums(trial.data(), length).Zero() &&
           Plausible(trial.data(), length, true, otherTypes);
  };
  for (int i = 0; i < n; ++i) {
    if (rival(&flips[i], nullptr)) return true;
    for (int j = i + 1; j < n; ++j)
      if (rival(&flips[i], &flips[j])) return true;
  }
  return false;
}

}  // namespace

SoftPacketFinder::SoftPacketFinder(Handler handler, CorrectionOptions options)
    : handler_(std::move(handler)), options_(options) {}

void SoftPacketFinder::Push(float softBit) {
  bits_[pushed_ & (kHistory - 1)] = std::isfinite(softBit) ? softBit : 0.0f;
  ++pushed_;
  while (nextStart_ + kLongBits <= pushed_) TryStart(nextStart_++);
}

void SoftPacketFinder::Flush() {
  for (long long i = pushed_; i < pushed_ + kLongBits; ++i) bits_[i & (kHistory - 1)] = 0.0f;
  while (nextStart_ < pushed_) TryStart(nextStart_++);
}

void SoftPacketFinder::Reset() {
  bits_.fill(0.0f);
  pushed_ = nextStart_ = skipUntil_ = 0;
  expectedNext_ = -1;
}

void SoftPacketFinder::TryStart(long long start) {
  if (start < skipUntil_) return;
  const bool framed = start == expectedNext_;
  for (const int polarity : {lastPolarity_, 1 - lastPolarity_}) {
    const float sign = polarity == 0 ? 1.0f : -1.0f;
    unsigned type = 0;
    for (int k = 0; k < 8; ++k) type |= (sign * Bit(start + k) > 0.0f ? 1u : 0u) << k;
    if (IsPacketType(static_cast<std::uint8_t>(type))) {
      if (TryCandidate(start, polarity, PacketLength(static_cast<std::uint8_t>(type)))) {
        return;
      }
    } else if (framed) {
      // A back-to-back packet whose type byte was hit: correction may mend it.
      if (TryCandidate(start, polarity, kShortPacketBytes) ||
          TryCandidate(start, polarity, kLongPacketBytes)) {
        return;
      }
    }
  }
  if (!framed) return;
  // Only where a packet follows another is a type outside the eight taken,
  // once no reading as one of the eight worked.
  for (const int polarity : {lastPolarity_, 1 - lastPolarity_}) {
    if (TryCandidate(start, polarity, kShortPacketBytes, true)) return;
  }
}

bool SoftPacketFinder::OnFrameGrid(long long start) const {
  constexpr int kFrameBits = kShortPacketBytes * 8;
  return expectedNext_ >= 0 && start >= expectedNext_ && (start - expectedNext_) % kFrameBits == 0;
}

bool SoftPacketFinder::TryCandidate(long long start, int polarity, int length, bool otherTypes) {
  const int nbits = length * 8;
  const float sign = polarity == 0 ? 1.0f : -1.0f;
  std::array<std::uint8_t, kLongPacketBytes> bytes{};
  std::array<float, kLongBits> reliability{};
  float sum = 0.0f;
  for (int i = 0; i < nbits; ++i) {
    const float v = sign * Bit(start + i);
    if (v > 0.0f) bytes[i / 8] = static_cast<std::uint8_t>(bytes[i / 8] | (1u << (i % 8)));
    reliability[i] = std::abs(v);
    sum += reliability[i];
  }
  if (!(sum > 0.0f)) return false;
  const float weakBelow = kWeakFraction * sum / static_cast<float>(nbits);
  const float flipBelow = options_.flipFraction * sum / static_cast<float>(nbits);
  std::array<int, kLongBits> weak{};  // the bits correction may flip
  int weakCount = 0, flippable = 0;
  for (int i = 0; i < nbits; ++i) {
    if (reliability[i] < weakBelow) ++weakCount;
    if (reliability[i] < flipBelow) weak[flippable++] = i;
  }
  const int scale = length / kShortPacketBytes;

  int corrected = -1;
  std::array<int, 4> fix{};  // the bits a correction flipped
  const Sums sums = TwoSums(bytes.data(), length);
  if (sums.Zero() && weakCount <= kMaxWeakPerCheck * scale &&
      Plausible(bytes.data(), length, false, otherTypes)) {
    corrected = 0;
  } else if (!sums.Zero() && weakCount <= options_.maxWeakToCorrect * scale) {
    // The sums locate an error only up to a multiple of 256 / 2^bit between
    // bytes (a bit-7 error reads alike in every other byte), so a correction
    // is made only when exactly one set of weak bits mends the packet.
    int fixes = 0, fixBits = 0;
    const auto consider = [&](int count, std::array<int, 4> flips) {
      Sums e;
      for (int k = 0; k < count; ++k) {
        const Sums one = FlipEffect(bytes.data(), length, flips[k]);
        e = Sums{e.a + one.a, e.b + one.b};
      }
      if (!Sums{sums.a + e.a, sums.b + e.b}.Zero()) return;
      auto trial = bytes;
      for (int k = 0; k < count; ++k) Flip(trial.data(), flips[k]);
      if (!Plausible(trial.data(), length, true, otherTypes)) return;
      fix = flips;
      fixBits = count;
      ++fixes;
    };
    // One weak bit located from the two sums.
    for (int w = 0; w < flippable; ++w) consider(1, {weak[w]});
    if (fixes == 1) {
      Flip(bytes.data(), fix[0]);
      corrected = 1;
    } else if (fixes == 0) {
      // Two flips among the weakest bits.
      const int n = std::min(flippable, kFlipCandidates);
      std::partial_sort(weak.begin(), weak.begin() + n, weak.begin() + flippable,
                        [&](int x, int y) { return reliability[x] < reliability[y]; });
      for (int i = 0; i < n; ++i)
        for (int j = i + 1; j < n; ++j) consider(2, {weak[i], weak[j]});
      if (fixes == 0 && options_.pairCandidates > 0) {
        // Neighbouring pairs, weakest first.
        std::array<int, kLongBits> pairs{};
        for (int i = 0; i + 1 < nbits; ++i) pairs[i] = i;
        const int m = std::min(nbits - 1, options_.pairCandidates);
        std::partial_sort(
            pairs.begin(), pairs.begin() + m, pairs.begin() + nbits - 1, [&](int x, int y) {
              return reliability[x] + reliability[x + 1] < reliability[y] + reliability[y + 1];
            });
        for (int i = 0; i < m; ++i) consider(2, {pairs[i], pairs[i] + 1});
        // Two misread symbols among the weakest.
        const int m2 = fixes == 0 && options_.symbolErrors ? std::min(m, kSymbolPairCandidates) : 0;
        for (int i = 0; i < m2; ++i) {
          for (int j = i + 1; j < m2; ++j) {
            if (std::abs(pairs[i] - pairs[j]) < 2) continue;
            consider(4, {pairs[i], pairs[i] + 1, pairs[j], pairs[j] + 1});
          }
        }
      }
      if (fixes == 1) {
        for (int k = 0; k < fixBits; ++k) Flip(bytes.data(), fix[k]);
        corrected = fixBits;
      }
    }
  }
  if (corrected < 0) return false;
  if (corrected > 0 && options_.ambiguityMargin > 0.0f) {
    // The bytes are mended already; the rivals are looked for from the bytes as read.
    auto read = bytes;
    float cost = 0.0f;
    for (int k = 0; k < corrected; ++k) {
      Flip(read.data(), fix[k]);
      cost += reliability[fix[k]];
    }
    const float margin = options_.ambiguityMargin * sum / static_cast<float>(nbits);
    if (options_.symbolErrors ? RivalSymbolFix(read.data(), length, reliability.data(), fix,
                                               corrected, cost, margin, otherTypes)
                              : RivalFix(read.data(), length, sums, reliability.data(), fix,
                                         corrected, cost, margin, otherTypes)) {
      return false;
    }
  }
  if (corrected > 0 && options_.framedCorrections && !OnFrameGrid(start)) return false;

  const FoundPacket packet{bytes.data(), length, corrected, polarity, start};
  if (handler_(packet) == PacketOutcome::Accepted) {
    skipUntil_ = start + nbits;
    expectedNext_ = start + nbits;
    lastPolarity_ = polarity;
  }
  return true;
}

}  // namespace vantrel
