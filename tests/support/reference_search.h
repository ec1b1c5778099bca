// The packet search in its plain form: for every sample position, 80 ring
// reads with a modulo each for the type byte, and a full read and checksum
// when it is a packet type or the position follows an accepted packet. It
// works on the state of the document's packet search (ring, write index, skip counter,
// back-to-back flag, polarity) and hands checked packets to the document's InterpretPacket, so it
// is the yardstick for the document's FeedSample and DecodeSamples in tests and benchmarks.
#pragma once

#include <cstddef>
#include <cstdint>

#include "document/vantrel_doc.h"

namespace vantrel::test {

void ReferenceFeedSample(VantrelDoc& doc, std::uint8_t sample);
void ReferenceFeedSamples(VantrelDoc& doc, const std::uint8_t* samples, std::size_t count);

}  // namespace vantrel::test
