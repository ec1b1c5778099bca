// The SDR receivers SoapySDR finds (any device one of its modules
// supports), and an IQ recording named on the command line played as the
// first receiver. Devices are looked for when Find is called: at start, and
// when Options > SDR changes the device arguments.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "sdr/iq_file_reader.h"
#include "sdr/sdr_input.h"

namespace vantrel {

class SoapySdrInput final : public sdr::SdrInput {
 public:
  explicit SoapySdrInput(std::optional<sdr::IqRecording> recording);

  void Find(const std::string& arguments) override;
  int DeviceCount() const override;
  std::string DeviceName(int device) const override;
  std::string DeviceArguments(int device) const override;
  std::unique_ptr<sdr::BandReader> Open(int device, const sdr::SdrTuning& tuning,
                                        std::string* error) override;

 private:
  std::optional<sdr::IqRecording> recording_;
  std::vector<std::map<std::string, std::string>> devices_;  // SoapySDR's device arguments
};

}  // namespace vantrel
