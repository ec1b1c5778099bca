// SoapySDR device arguments as typed or stored in the settings file. Checked:
// what parses formats back to text that parses to the same pairs, with no
// empty key.
#include <string>

#include "fuzz_support.h"
#include "platform/soapy_devices.h"

using vantrel::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  vantrel::DeviceArguments arguments;
  std::string error;
  if (!vantrel::ParseDeviceArguments(text, &arguments, &error)) {
    Check(!error.empty(), "refused without a reason");
    return 0;
  }
  Check(!arguments.contains(""), "an empty key");
  vantrel::DeviceArguments again;
  Check(vantrel::ParseDeviceArguments(vantrel::FormatDeviceArguments(arguments), &again, &error),
        "formatted arguments do not parse");
  Check(again == arguments, "formatted arguments parse to other pairs");
  return 0;
}
