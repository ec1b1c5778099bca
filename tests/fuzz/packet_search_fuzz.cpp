// The packet search on any sample stream against the plain search: both must
// find the same packets and leave the same state. The first input byte picks
// the starting polarity, how the samples are fed and the buffer size; the
// rest are the samples.
#include <algorithm>
#include <vector>

#include "base/packet_types.h"
#include "document/vantrel_doc.h"
#include "fuzz_support.h"
#include "support/reference_search.h"
#include "support/watched_doc.h"

using vantrel::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::uint8_t mode = data[0];
  const std::vector<std::uint8_t> samples(data + 1, data + size);

  vantrel::HeldClock clock(1178964672);
  vantrel::WatchedDoc fast(clock), plain(clock);
  fast.packetSearch().SetPolarity(mode & 1);
  plain.packetSearch().SetPolarity(mode & 1);
  const int feeding = (mode >> 1) & 3;  // 0 samples, 1 buffers, 2 alternating, 3 buffers + ticks
  const int sizes[8] = {7, 80, 959, 960, 1000, 4096, 12345, vantrel::VantrelDoc::kRingLength};
  auto chunk = static_cast<std::size_t>(sizes[(mode >> 3) & 7]);
  // Each switch from buffers back to single samples rebuilds the whole
  // sample cache; with tiny pieces that would take most of the fuzzing time.
  if (feeding == 2) chunk = std::max<std::size_t>(chunk, 959);

  int piece = 0;
  for (std::size_t at = 0; at < samples.size(); at += chunk, ++piece) {
    const auto end = std::min(samples.size(), at + chunk);
    const bool asBuffer = feeding == 1 || feeding == 3 || (feeding == 2 && piece % 2 == 0);
    if (asBuffer) {
      fast.DecodeSamples(samples.data() + at, end - at);
      vantrel::test::ReferenceFeedSamples(plain, samples.data() + at, end - at);
    } else {
      for (std::size_t i = at; i < end; ++i) {
        fast.FeedSample(samples[i]);
        vantrel::test::ReferenceFeedSample(plain, samples[i]);
      }
    }
    if (feeding == 3) {
      // A refresh tick between buffers: the polarity watch may flip.
      clock.Advance(3);
      fast.WatchPolarity();
      plain.WatchPolarity();
    }
  }

  Check(
      fast.found == plain.found && fast.MessagesInArrivalOrder() == plain.MessagesInArrivalOrder(),
      "packets found or lines differ");
  Check(fast.packetSearch().state() == plain.packetSearch().state(),
        "ring, write index, skip counter, back-to-back flag or polarity differ");
  return 0;
}
