// One SoapySDR receiver opened for the band: complex float samples at the
// chosen centre frequency, rate and gain.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "sdr/sdr_input.h"

namespace SoapySDR {
class Device;
class Stream;
}  // namespace SoapySDR

namespace vantrel {

class SoapyBandReader final : public sdr::BandReader {
 public:
  // Null with *error set when the device cannot be made, set or started.
  static std::unique_ptr<SoapyBandReader> Open(const std::map<std::string, std::string>& arguments,
                                               const sdr::SdrTuning& tuning, std::string* error);
  ~SoapyBandReader() override;

  double sampleRate() const override { return sampleRate_; }
  std::optional<double> centreHz() const override { return centreHz_; }
  Result Read(std::vector<sdr::Complex>* out, std::string* error) override;

 private:
  SoapyBandReader() = default;

  SoapySDR::Device* device_ = nullptr;
  SoapySDR::Stream* stream_ = nullptr;
  double sampleRate_ = 0.0;
  double centreHz_ = 0.0;
  std::size_t mtu_ = 0;
  int timeoutsInARow_ = 0;
};

}  // namespace vantrel
