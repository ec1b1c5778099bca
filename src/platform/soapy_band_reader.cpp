#include "platform/soapy_band_reader.h"

#include <SoapySDR/Device.hpp>
#include <SoapySDR/Errors.hpp>
#include <SoapySDR/Formats.hpp>

#include <algorithm>
#include <cmath>
#include <exception>

#include "document/vantrel_doc.h"

namespace vantrel {

namespace {
constexpr long kReadTimeoutUs = 200000;
// A receiver that gives nothing for this many reads in a row (5 s) has
// gone away, whatever its driver says.
constexpr int kMaxTimeoutsInARow = 25;
constexpr std::size_t kMaxReadSamples = 65536;
}  // namespace

std::unique_ptr<SoapyBandReader> SoapyBandReader::Open(
    const std::map<std::string, std::string>& arguments, const sdr::SdrTuning& tuning,
    std::string* error) {
  std::unique_ptr<SoapyBandReader> reader(new SoapyBandReader);
  try {
    reader->device_ = SoapySDR::Device::make(SoapySDR::Kwargs(arguments.begin(), arguments.end()));
    SoapySDR::Device& device = *reader->device_;
    device.setSampleRate(SOAPY_SDR_RX, 0, tuning.sampleRate);
    // A receiver that corrects itself is told its error; another is tuned
    // off the dial by it, so that the true centre lands where asked.
    const bool corrects = tuning.ppm != 0.0 && device.hasFrequencyCorrection(SOAPY_SDR_RX, 0);
    if (corrects) device.setFrequencyCorrection(SOAPY_SDR_RX, 0, tuning.ppm);
    const double dial = corrects ? tuning.centreHz : tuning.centreHz / (1.0 + tuning.ppm * 1e-6);
    device.setFrequency(SOAPY_SDR_RX, 0, dial);
    if (device.hasGainMode(SOAPY_SDR_RX, 0))
      device.setGainMode(SOAPY_SDR_RX, 0, tuning.autoGain != 0);
    if (tuning.autoGain == 0) device.setGain(SOAPY_SDR_RX, 0, tuning.gainDb);
    // The band receiver needs the rate and centre the device really took.
    reader->sampleRate_ = device.getSampleRate(SOAPY_SDR_RX, 0);
    reader->centreHz_ =
        device.getFrequency(SOAPY_SDR_RX, 0) * (corrects ? 1.0 : 1.0 + tuning.ppm * 1e-6);
    // Everything downstream is sized by the rate: a driver's NaN or absurd
    // figure is refused, not believed.
    if (!(reader->sampleRate_ >= kMinSdrRate && reader->sampleRate_ <= kMaxSdrRate)) {
      *error = "the receiver refused the sample rate";
      return nullptr;
    }
    if (!std::isfinite(reader->centreHz_)) reader->centreHz_ = tuning.centreHz;
    reader->stream_ = device.setupStream(SOAPY_SDR_RX, SOAPY_SDR_CF32);
    reader->mtu_ =
        std::clamp<std::size_t>(device.getStreamMTU(reader->stream_), 1024, kMaxReadSamples);
    const int result = device.activateStream(reader->stream_);
    if (result != 0) {
      *error = SoapySDR::errToStr(result);
      return nullptr;
    }
  } catch (const std::exception& e) {
    *error = e.what();
    return nullptr;
  }
  return reader;
}

SoapyBandReader::~SoapyBandReader() {
  if (device_ == nullptr) return;
  try {
    if (stream_ != nullptr) {
      device_->deactivateStream(stream_);
      device_->closeStream(stream_);
    }
    SoapySDR::Device::unmake(device_);
  } catch (const std::exception&) {
    // A receiver that was unplugged may fail even to close; nothing is left to do.
  }
}

sdr::BandReader::Result SoapyBandReader::Read(std::vector<sdr::Complex>* out, std::string* error) {
  out->resize(mtu_);
  void* buffers[] = {out->data()};
  int flags = 0;
  long long timeNs = 0;
  int result;
  try {
    result = device_->readStream(stream_, buffers, mtu_, flags, timeNs, kReadTimeoutUs);
  } catch (const std::exception& e) {
    *error = e.what();
    return Result::Failed;
  }
  if (result > 0) {
    out->resize(std::min(static_cast<std::size_t>(result), mtu_));
    for (sdr::Complex& sample : *out) sample = sdr::SaneCf32(sample.real(), sample.imag());
    timeoutsInARow_ = 0;
    return Result::Samples;
  }
  out->clear();
  // An overflow lost samples but the stream goes on.
  if (result == SOAPY_SDR_OVERFLOW) return Result::Idle;
  if (result == SOAPY_SDR_TIMEOUT || result == 0) {
    if (++timeoutsInARow_ < kMaxTimeoutsInARow) return Result::Idle;
    *error = "no samples for 5 seconds";
    return Result::Failed;
  }
  *error = SoapySDR::errToStr(result);
  return Result::Failed;
}

}  // namespace vantrel
