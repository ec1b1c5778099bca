#include "sdr/sdr_receiver.h"

#include <algorithm>
#include <cmath>

#include "sdr/carrier_finder.h"

namespace vantrel::sdr {

namespace {
constexpr double kCheckSeconds = 0.5;
// Downlinks lie at least 25 kHz apart; a channel follows ±3.5 kHz of Doppler.
constexpr double kChannelSpacingHz = 10000.0;
// Two channels that tracked onto one carrier: the younger one closes.
constexpr double kDuplicateHz = 2500.0;
// A fading carrier keeps its channel this long.
constexpr double kFadeSeconds = 15.0;
// A hump this far over the floor still counts as present.
constexpr double kPresentRatio = 1.3;
// A first pass that moved the carrier further than this lost it.
constexpr double kSettledCarrierHz = 2000.0;
// A band narrower than this holds a single downlink, already tuned in.
constexpr double kSingleChannelRate = 40000.0;
// Far more than the downlinks in view at once.
constexpr std::size_t kMaxChannels = 64;
// A single downlink's channel this far from the band's hump lost its
// carrier (a pause let the loop wander off, or the carrier came back
// elsewhere) and starts again at the hump.
constexpr double kReacquireHz = 700.0;
// In a wide band a channel follows its carrier's hump this far: the carrier
// loop alone pulls in only about +-1200 Hz (its error reads modulo 2400 Hz),
// so a channel further off its hump than kRecentreHz (placed beside a
// carrier, or a carrier back elsewhere after a fade or another satellite's
// pass on the same channel) moves to the hump's centre.
constexpr double kPullInHz = 5000.0;
constexpr double kRecentreHz = 700.0;

// a - b folded into [-period/2, period/2).
double Folded(double a, double b, double period) {
  return a - b - period * std::floor((a - b) / period + 0.5);
}
}  // namespace

SdrReceiver::SdrReceiver(double sampleRate, std::optional<double> centreHz)
    : band_(sampleRate),
      centreHz_(centreHz),
      power_(static_cast<std::size_t>(band_.size()), 0.0),
      blocksPerCheck_(
          std::max(1, static_cast<int>(std::lround(kCheckSeconds * sampleRate / band_.step())))) {
  spectrum_.sampleRate = sampleRate;
  spectrum_.centreHz = centreHz;
}

void SdrReceiver::Push(const Complex* samples, std::size_t count) {
  pushed_ += static_cast<std::int64_t>(count);
  band_.Push(samples, count,
             [this](const Complex* block, std::int64_t first) { OnBlock(block, first); });
}

namespace {
void SortByTime(std::vector<SdrPacket>* packets) {
  std::stable_sort(packets->begin(), packets->end(),
                   [](const SdrPacket& a, const SdrPacket& b) { return a.sample < b.sample; });
}
}  // namespace

void SdrReceiver::OnBlock(const Complex* block, std::int64_t firstSample) {
  for (auto& channel : channels_) channel->Process(block, &packets_);
  for (int k = 0; k < band_.size(); ++k) power_[k] += std::norm(block[k]);
  if (history_.size() <= static_cast<std::size_t>(blocksSummed_)) history_.emplace_back();
  history_[blocksSummed_].assign(block, block + band_.size());
  historyFirst_.resize(history_.size());
  historyFirst_[blocksSummed_] = firstSample;
  if (++blocksSummed_ == blocksPerCheck_) CheckCarriers();
}

void SdrReceiver::OpenChannel(double carrierHz) {
  // The hump's centre is only a rough carrier. A first pass over the replayed
  // blocks lets the carrier and timing loops settle; the channel then starts
  // again from them, so its first packets are not lost to the settling.
  const bool inBand = band_.sampleRate() >= kSingleChannelRate;
  SdrChannel trial(band_, 0, carrierHz, historyFirst_[0], inBand);
  std::vector<SdrPacket> unused;
  for (int i = 0; i < blocksSummed_; ++i) trial.Process(history_[i].data(), &unused);
  if (std::fabs(trial.carrierHz() - carrierHz) < kSettledCarrierHz) carrierHz = trial.carrierHz();
  auto channel =
      std::make_unique<SdrChannel>(band_, nextId_++, carrierHz, historyFirst_[0], inBand);
  channel->AdoptTiming(trial);
  for (int i = 0; i < blocksSummed_; ++i) channel->Process(history_[i].data(), &packets_);
  channels_.push_back(std::move(channel));
}

void SdrReceiver::Reopen(std::size_t index, double carrierHz) {
  const int lost = channels_[index]->id();
  channels_[index]->Flush(&packets_);
  channels_.erase(channels_.begin() + static_cast<long>(index));
  OpenChannel(carrierHz);
  // The new channel goes back to the old one's place.
  std::rotate(channels_.begin() + static_cast<long>(index), channels_.end() - 1, channels_.end());
  DropRepeats(lost, channels_[index]->id());
}

void SdrReceiver::DropRepeats(int lost, int replaced) {
  // The new channel replayed blocks the lost one had seen: a packet both
  // found is kept once.
  const auto near = static_cast<std::int64_t>(96 * band_.sampleRate() / kSymbolRate);
  std::vector<SdrPacket> old;
  for (const SdrPacket& p : packets_)
    if (p.channel == lost) old.push_back(p);
  std::erase_if(packets_, [&](const SdrPacket& p) {
    return p.channel == replaced && std::any_of(old.begin(), old.end(), [&](const SdrPacket& o) {
             return o.bytes == p.bytes && std::llabs(o.sample - p.sample) < near;
           });
  });
}

void SdrReceiver::CheckCarriers() {
  for (double& p : power_) p /= blocksSummed_;
  const CarrierFinder finder(power_, band_.binHz());
  const int fadeChecks = static_cast<int>(kFadeSeconds / kCheckSeconds);
  const bool single = band_.sampleRate() < kSingleChannelRate;

  // Close channels that faded for good or ran onto another channel's carrier.
  std::erase_if(channels_, [&](const std::unique_ptr<SdrChannel>& channel) {
    if (single) return false;
    channel->missedChecks =
        finder.LevelAt(channel->carrierHz()) < kPresentRatio ? channel->missedChecks + 1 : 0;
    const bool edge = std::fabs(channel->carrierHz()) > band_.sampleRate() / 2;
    return channel->missedChecks > fadeChecks || edge;
  });
  for (std::size_t i = 0; i < channels_.size(); ++i) {
    for (std::size_t j = i + 1; j < channels_.size(); ++j) {
      if (std::fabs(channels_[i]->carrierHz() - channels_[j]->carrierHz()) < kDuplicateHz) {
        channels_.erase(channels_.begin() + static_cast<long>(j));
        --j;
      }
    }
  }

  if (single) {
    // The whole band is one downlink, anywhere in it; start at its hump.
    const std::optional<double> found = finder.FindSingle();
    const double rate = band_.sampleRate();
    if (channels_.empty()) {
      OpenChannel(found.value_or(0.0));
    } else if (SdrChannel& channel = *channels_.front();
               found && std::fabs(Folded(*found, channel.carrierHz(), rate)) > kReacquireHz) {
      Reopen(0, *found);
    } else {
      // A carrier that drifted over the band's edge is back at the other.
      channel.SetCarrierHz(Folded(channel.carrierHz(), 0.0, rate));
    }
  } else {
    for (std::size_t i = 0; i < channels_.size(); ++i) {
      const std::optional<double> hump = finder.HumpNear(channels_[i]->carrierHz(), kPullInHz);
      if (hump && std::fabs(*hump - channels_[i]->carrierHz()) > kRecentreHz) Reopen(i, *hump);
    }
    std::vector<double> taken;
    for (const auto& channel : channels_) taken.push_back(channel->carrierHz());
    // Strongest first, up to the cap: noise or interference that looks like
    // hundreds of carriers in a wide band must not open a channel each.
    for (double offset : finder.Find(taken, kChannelSpacingHz)) {
      if (channels_.size() >= kMaxChannels) break;
      OpenChannel(offset);
    }
  }

  // The snapshot: the spectrum in dB, reduced to kSpectrumPoints by taking
  // each point's strongest bin so that narrow lines stay visible.
  const int n = band_.size();
  const int points = std::min(n, kSpectrumPoints);
  spectrum_.powerDb.assign(static_cast<std::size_t>(points), -200.0f);
  for (int i = 0; i < n; ++i) {
    const double p = power_[(i + n - n / 2) % n];
    float& point = spectrum_.powerDb[static_cast<std::size_t>(static_cast<long>(i) * points / n)];
    point = std::max(point, static_cast<float>(10.0 * std::log10(p + 1e-20)));
  }
  spectrum_.channels.clear();
  for (const auto& channel : channels_) {
    spectrum_.channels.push_back({channel->id(), channel->carrierHz(),
                                  finder.LevelAt(channel->carrierHz()), channel->satellite()});
  }
  ++spectrumSerial_;
  std::fill(power_.begin(), power_.end(), 0.0);
  blocksSummed_ = 0;
}

void SdrReceiver::Finish() {
  // The last partial block, completed with silence.
  const std::vector<Complex> silence(static_cast<std::size_t>(band_.step()));
  band_.Push(silence.data(), silence.size(),
             [this](const Complex* block, std::int64_t first) { OnBlock(block, first); });
  // A stream shorter than one check still gets its carriers looked for.
  if (blocksSummed_ > 0) CheckCarriers();
  for (auto& channel : channels_) channel->Flush(&packets_);
  finished_ = true;
}

std::vector<SdrPacket> SdrReceiver::TakePackets() {
  SortByTime(&packets_);
  // Replays reach back one check interval; the demodulator and finder answer
  // about 200 bits late.
  const double heldSeconds = (blocksPerCheck_ + 1) * band_.step() / band_.sampleRate() +
                             (200 + DifferentialDemodulator::kPhaseWindow) / kSymbolRate;
  const auto settled = finished_
                           ? pushed_ + 1
                           : pushed_ - static_cast<std::int64_t>(heldSeconds * band_.sampleRate());
  const auto end = std::find_if(packets_.begin(), packets_.end(),
                                [settled](const SdrPacket& p) { return p.sample >= settled; });
  std::vector<SdrPacket> out(packets_.begin(), end);
  packets_.erase(packets_.begin(), end);
  if (centreHz_) {
    for (SdrPacket& packet : out) {
      if (packet.source.carrierHz) {
        packet.source.carrierHz = *packet.source.carrierHz + *centreHz_;
        packet.source.carrierIsAbsolute = true;
      }
    }
  }
  return out;
}

}  // namespace vantrel::sdr
