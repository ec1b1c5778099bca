#include "platform/soapy_sdr_input.h"

#include "platform/soapy_band_reader.h"
#include "platform/soapy_devices.h"

namespace vantrel {

SoapySdrInput::SoapySdrInput(std::optional<sdr::IqRecording> recording)
    : recording_(std::move(recording)) {}

void SoapySdrInput::Find(const std::string& arguments) {
  // Stored arguments that no longer parse offer every receiver.
  vantrel::DeviceArguments wanted;  // the type, not the member function
  std::string error;
  if (!ParseDeviceArguments(arguments, &wanted, &error)) wanted.clear();
  devices_ = FindReceivers(wanted);
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
  return ReceiverName(devices_[static_cast<std::size_t>(device)]);
}

std::string SoapySdrInput::DeviceArguments(int device) const {
  if (recording_ && device-- == 0) return {};
  if (device < 0 || device >= static_cast<int>(devices_.size())) return {};
  return FormatDeviceArguments(devices_[static_cast<std::size_t>(device)]);
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
