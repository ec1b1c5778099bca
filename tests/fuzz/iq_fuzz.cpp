// The SDR band receiver on any bytes as each IQ format, through the sample
// converter in uneven pieces. Checked: every whole sample comes out, the
// partial one is held back, and the receiver takes anything without a fault.
#include <vector>

#include "fuzz_support.h"
#include "sdr/sdr_receiver.h"

using vantrel::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vantrel::sdr;
  for (IqFormat format : {IqFormat::Cu8, IqFormat::Cs16, IqFormat::Cf32}) {
    IqConverter converter(format);
    SdrReceiver receiver(48000.0, std::nullopt);
    std::vector<Complex> samples;
    std::size_t at = 0, piece = 1;
    while (at < size) {
      const std::size_t n = std::min(piece, size - at);
      converter.Convert(data + at, n, &samples);
      at += n;
      piece = piece * 3 + 1;
    }
    Check(samples.size() == size / IqSampleBytes(format), "whole samples lost or invented");
    Check(converter.pendingBytes() == size % IqSampleBytes(format), "partial sample not held back");
    receiver.Push(samples.data(), samples.size());
    receiver.Finish();
    for (const auto& packet : receiver.TakePackets())
      Check(packet.length == 12 || packet.length == 24, "bad length");
  }
  return 0;
}
