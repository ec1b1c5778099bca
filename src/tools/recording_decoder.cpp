#include "recording_decoder.h"

#include <algorithm>

namespace vantrel::tools {

RecordingDecoder::RecordingDecoder(VantrelDoc& doc, HeldClock& clock, CTime start,
                                   PolarityMode polarity)
    : doc_(doc), clock_(clock), start_(start), watchPolarity_(polarity == PolarityMode::Auto) {
  if (polarity == PolarityMode::Upright) doc_.packetSearch().SetPolarity(0);
  if (polarity == PolarityMode::Inverted) doc_.packetSearch().SetPolarity(1);
  doc_.packetSearch().SetWriteIndex(0);  // as capture start does
}

std::vector<std::string> RecordingDecoder::FeedSecond(const std::vector<std::uint8_t>& samples) {
  // A short last second is padded with the mid level, as a capture buffer would be.
  std::vector<std::uint8_t> second(VantrelDoc::kRingLength, std::uint8_t{128});
  std::copy_n(samples.begin(), std::min(samples.size(), second.size()), second.begin());
  clock_.Set(start_ + secondsFed_ + 1);
  std::vector<std::string> lines = doc_.DecodeSamples(second.data(), second.size());
  ++secondsFed_;
  // The live program's refresh tick comes every two seconds.
  if (watchPolarity_ && secondsFed_ % 2 == 0) doc_.WatchPolarity();
  return lines;
}

std::vector<std::string> RecordingDecoder::Finish() { return FeedSecond({}); }

}  // namespace vantrel::tools
