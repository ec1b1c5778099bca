#include "recording_decoder.h"

#include <algorithm>

namespace vantrel::tools {

RecordingDecoder::RecordingDecoder(CVantrelDoc& doc, HeldClock& clock, CTime start,
                                   PolarityMode polarity)
    : doc_(doc), clock_(clock), start_(start), watchPolarity_(polarity == PolarityMode::Auto) {
  if (polarity == PolarityMode::Upright) doc_.polarity = 0;
  if (polarity == PolarityMode::Inverted) doc_.polarity = 1;
  doc_.ringWriteIndex = 0;  // as capture start does
  doc_.captureRunning = 1;
}

std::vector<std::string> RecordingDecoder::FeedSecond(const std::vector<std::uint8_t>& samples) {
  auto& buffer = doc_.processingBuffer;
  const std::size_t n = std::min(samples.size(), buffer.size());
  std::copy_n(samples.begin(), n, buffer.begin());
  std::fill(buffer.begin() + static_cast<std::ptrdiff_t>(n), buffer.end(), std::uint8_t{128});

  clock_.Set(start_ + secondsFed_ + 1);
  const int head = doc_.messageHead;
  doc_.FeedBuffer();
  ++secondsFed_;
  // At most 51 packets fit in a second, so the ring cannot lap itself here.
  const int posted =
      (doc_.messageHead - head + CVantrelDoc::kMessageRingSize) % CVantrelDoc::kMessageRingSize;
  std::vector<std::string> lines;
  for (int i = 0; i < posted; ++i) {
    lines.push_back(doc_.messages[(head + i) % CVantrelDoc::kMessageRingSize]);
  }
  // The live program's refresh tick comes every two seconds.
  if (watchPolarity_ && secondsFed_ % 2 == 0) doc_.WatchPolarity();
  return lines;
}

std::vector<std::string> RecordingDecoder::Finish() { return FeedSecond({}); }

}  // namespace vantrel::tools
