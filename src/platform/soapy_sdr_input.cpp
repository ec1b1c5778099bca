#include "platform/soapy_sdr_input.h"

#include <SoapySDR/Device.hpp>

#include <exception>

#include "platform/soapy_band_reader.h"

namespace vantrel {

SoapySdrInput::SoapySdrInput(std::optional<sdr::IqRecording> recording)
    : recording_(std::move(recording)) {
  try {
    for (const SoapySDR::Kwargs& found : SoapySDR::Device::enumerate())
      devices_.emplace_back(found.begin(), found.end());
  } catch (const std::exception&) {
    // A module that fails to look for devices leaves the sound cards only.
  }
}

int SoapySdrInput::DeviceCount() const {
  return static_cast<int>(devices_.size()) + (recording_ ? 1 : 0);
}

std::string SoapySdrInput::DeviceName(int device) const {
  if (recording_ && device-- == 0) {
    const std::string& path = recording_->path;
    return path.substr(path.find_last_of('/') + 1);
  }
  if (device < 0 || device >= static_cast<int>(devices_.size())) return {};
  const auto& arguments = devices_[static_cast<std::size_t>(device)];
  for (const char* key : {"label", "product", "driver"}) {
    if (const auto it = arguments.find(key); it != arguments.end() && !it->second.empty())
      return "SDR " + it->second;
  }
  return "SDR receiver";
}

std::unique_ptr<sdr::BandReader> SoapySdrInput::Open(int device, const sdr::SdrTuning& tuning,
                                                     std::string* error) {
  if (recording_ && device-- == 0) return sdr::IqFileReader::Open(*recording_, error);
  if (device < 0 || device >= static_cast<int>(devices_.size())) {
    *error = "no such receiver";
    return nullptr;
  }
  return SoapyBandReader::Open(devices_[static_cast<std::size_t>(device)], tuning, error);
}

}  // namespace vantrel
