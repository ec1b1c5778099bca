#include "live_receiver.h"

#include <ostream>

#include "platform/soapy_band_reader.h"
#include "platform/soapy_devices.h"

namespace vantrel::tools {

bool ListReceivers(const DecodeOptions& options, std::ostream& out, std::string* error) {
  DeviceArguments wanted;
  if (!ParseDeviceArguments(options.device, &wanted, error)) return false;
  for (const DeviceArguments& found : FindReceivers(wanted))
    out << ReceiverName(found) << ": " << FormatDeviceArguments(found) << '\n';
  return true;
}

std::unique_ptr<sdr::BandReader> OpenReceiver(const DecodeOptions& options, std::string* error) {
  DeviceArguments wanted;
  if (!ParseDeviceArguments(options.device, &wanted, error)) return nullptr;
  const auto found = FindReceivers(wanted);
  if (found.empty()) {
    *error = options.device.empty() ? "No SDR receiver found"
                                    : "No SDR receiver matches '" + options.device + "'";
    return nullptr;
  }
  sdr::SdrTuning tuning;
  tuning.centreHz = options.centreFrequency.value_or(tuning.centreHz);
  tuning.sampleRate = options.iqRate;
  tuning.ppm = options.ppm;
  std::string why;
  auto reader = SoapyBandReader::Open(found.front(), tuning, &why);
  if (!reader) *error = "Cannot open " + ReceiverName(found.front()) + ": " + why;
  return reader;
}

}  // namespace vantrel::tools
