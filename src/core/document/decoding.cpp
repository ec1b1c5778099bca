// The document's decoding calls: samples through the chosen demodulator (the
// packet search part or the sensitive demodulator), packets found elsewhere,
// and the polarity watch.
#include <algorithm>

#include "document/vantrel_doc.h"

namespace vantrel {

void VantrelDoc::FeedSample(std::uint8_t sample) {
  if (demodulator == kDemodulatorSensitive)
    FeedSensitive(&sample, 1);
  else
    search_.FeedSample(sample);
}

void VantrelDoc::FeedSamples(const std::uint8_t* samples, std::size_t count) {
  if (demodulator != kDemodulatorSensitive) {
    search_.Feed(samples, count);
    return;
  }
  for (std::size_t done = 0; done < count; done += kRingLength) {
    const int chunk = static_cast<int>(std::min<std::size_t>(kRingLength, count - done));
    FeedSensitive(samples + done, chunk);
  }
}

void VantrelDoc::FeedBuffer() {
  if (decodingBusy) return;
  decodingBusy = true;
  const std::vector<std::uint8_t>& second = soundCard_.recordedSecond();
  if (captureRunning) FeedSamples(second.data(), second.size());
  decodingBusy = false;
}

std::vector<std::string> VantrelDoc::DecodeSamples(const std::uint8_t* samples, std::size_t count) {
  return CollectLines([&] { FeedSamples(samples, count); });
}

std::vector<std::string> VantrelDoc::DecodePacket(const std::uint8_t* packet,
                                                  const PacketSource& source) {
  return CollectLines([&] { InterpretPacket(packet, source); });
}

std::vector<std::string> VantrelDoc::CollectLines(const std::function<void()>& decode) {
  std::vector<std::string> lines;
  if (decodingBusy) return lines;
  decodingBusy = true;
  postedLines_ = &lines;
  decode();
  postedLines_ = nullptr;
  decodingBusy = false;
  return lines;
}

void VantrelDoc::WatchPolarity() {
  // The sensitive demodulator reads both polarities and needs no watch.
  if (demodulator == kDemodulatorSensitive) return;
  const CTime threshold = clock().Now() - 5;
  if (interpreter_.lastDecodeTime() < threshold)
    search_.SetPolarity(search_.polarity() == 0 ? 1 : 0);
}

}  // namespace vantrel
