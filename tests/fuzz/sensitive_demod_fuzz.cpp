// The sensitive demodulator on any audio: the first byte picks how the rest
// is handed over (buffers of 1 to 256 samples, or whole seconds). Checked:
// every packet handed to interpretation passes the check, has a known type,
// needed at most two corrected bits and names the sensitive demodulator.
#include "decoder/packet_types.h"
#include "document/vantrel_doc.h"
#include "fuzz_support.h"

namespace {

struct Doc : vantrel::CVantrelDoc {
  using CVantrelDoc::CVantrelDoc;
  vantrel::PacketOutcome InterpretPacket(const std::uint8_t* packet) override {
    const auto check = [](bool ok, const char* what) { vantrel::fuzz::Check(ok, "sensitive_demod", what); };
    check(vantrel::IsPacketType(packet[0]), "unknown packet type");
    check(vantrel::PacketChecksum(packet, vantrel::PacketLength(packet[0])) == 0, "packet fails the check");
    check(packetSource.demodulator == vantrel::DemodulatorKind::Sensitive && packetSource.correctedBits >= 0 &&
              packetSource.correctedBits <= 2, "packet source");
    return CVantrelDoc::InterpretPacket(packet);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  vantrel::HeldClock clock(1178964672);
  Doc doc(clock, vantrel::fuzz::ScratchDirectory());
  doc.logFlag = 0;
  doc.SetDemodulator(vantrel::kDemodulatorSensitive);
  doc.captureRunning = 1;
  const std::size_t step = data[0] == 0 ? Doc::kRingLength : data[0];
  for (std::size_t at = 1; at < size; at += step) {
    const std::size_t n = std::min(step, size - at);
    if (step == Doc::kRingLength) {
      std::copy_n(data + at, n, doc.processingBuffer.begin());
      doc.FeedBuffer();
    } else {
      for (std::size_t i = 0; i < n; ++i) doc.FeedSample(data[at + i]);
    }
  }
  return 0;
}
