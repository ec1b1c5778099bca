// The sensitive demodulator on any audio: the first byte picks the size of
// the buffers the rest is handed over in (1 to 255 samples, or a second).
// Checked besides crashes and undefined behaviour: a packet it hands on
// needed at most two corrected bits.
#include <algorithm>

#include "document/vantrel_doc.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  vantrel::HeldClock clock(1178964672);
  vantrel::VantrelDoc doc(clock, vantrel::fuzz::ScratchDirectory());
  doc.logFlag = 0;
  doc.SetDemodulator(vantrel::kDemodulatorSensitive);
  const std::size_t step = data[0] == 0 ? vantrel::VantrelDoc::kRingLength : data[0];
  for (std::size_t at = 1; at < size; at += step) {
    doc.DecodeSamples(data + at, std::min(step, size - at));
    vantrel::fuzz::Check(doc.packetSource.correctedBits >= 0 && doc.packetSource.correctedBits <= 2,
                         "more bits corrected than allowed");
  }
  return 0;
}
