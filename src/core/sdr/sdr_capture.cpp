#include "sdr/sdr_capture.h"

#include "sdr/band_worker.h"

namespace vantrel::sdr {

SdrCapture::SdrCapture() = default;
SdrCapture::~SdrCapture() = default;

bool SdrCapture::Start(int device, const SdrTuning& tuning, std::string* error) {
  *error = "no SDR support";
  auto reader = input_ != nullptr ? input_->Open(device, tuning, error) : nullptr;
  if (!reader) return false;
  worker_ = std::make_unique<BandWorker>(std::move(reader));
  display_ = {};
  return true;
}

void SdrCapture::Stop() { worker_.reset(); }

SdrCapture::Poll SdrCapture::TakeNews() {
  Poll poll;
  if (!worker_) return poll;
  // Asked first: once it says so, the last packets and the failure are in.
  poll.ended = worker_->Ended();
  for (SpectrumSnapshot& snapshot : worker_->TakeSpectra()) {
    display_.waterfall.push_back(snapshot.powerDb);
    if (display_.waterfall.size() > BandDisplay::kWaterfallRows) display_.waterfall.pop_front();
    display_.spectrum = std::move(snapshot);
    poll.newSpectrum = true;
  }
  poll.packets = worker_->TakePackets();
  if (poll.ended) {
    display_.inputEnded = true;
    poll.failure = worker_->TakeFailure();
  }
  return poll;
}

}  // namespace vantrel::sdr
