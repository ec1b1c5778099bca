#include "iq_decoder.h"

#include <utility>

namespace vantrel::tools {

IqDecoder::IqDecoder(VantrelDoc& doc, HeldClock& clock, CTime start, double sampleRate,
                     std::optional<double> centreHz)
    : doc_(doc), clock_(clock), start_(start), receiver_(sampleRate, centreHz) {}

std::vector<std::string> IqDecoder::Feed(const std::vector<sdr::Complex>& samples) {
  receiver_.Push(samples.data(), samples.size());
  return Deliver();
}

std::vector<std::string> IqDecoder::Finish() {
  receiver_.Finish();
  return Deliver();
}

std::vector<std::string> IqDecoder::Deliver() {
  std::vector<std::string> lines;
  for (const sdr::SdrPacket& packet : receiver_.TakePackets()) {
    // The clock reads start + k + 1 s for a packet sent during second k,
    // as it does when the audio path decodes second k.
    clock_.Set(start_ +
               static_cast<CTime>(static_cast<double>(packet.sample) / receiver_.sampleRate()) + 1);
    for (std::string& line : doc_.DecodePacket(packet.bytes.data(), packet.source))
      lines.push_back(std::move(line));
  }
  return lines;
}

}  // namespace vantrel::tools
