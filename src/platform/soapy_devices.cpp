#include "platform/soapy_devices.h"

#include <SoapySDR/Device.hpp>

#include <algorithm>
#include <exception>
#include <sstream>

namespace vantrel {

namespace {
std::string Trimmed(const std::string& text) {
  const auto begin = text.find_first_not_of(" \t");
  const auto end = text.find_last_not_of(" \t");
  return begin == std::string::npos ? std::string() : text.substr(begin, end - begin + 1);
}
}  // namespace

bool ParseDeviceArguments(const std::string& text, DeviceArguments* arguments, std::string* error) {
  arguments->clear();
  std::stringstream items(text);
  for (std::string item; std::getline(items, item, ',');) {
    if (Trimmed(item).empty()) continue;
    const auto eq = item.find('=');
    const std::string key = Trimmed(item.substr(0, eq));
    if (eq == std::string::npos || key.empty()) {
      *error = "Bad device arguments '" + text + "': use KEY=VALUE,..., e.g. driver=rtlsdr";
      return false;
    }
    (*arguments)[key] = Trimmed(item.substr(eq + 1));
  }
  return true;
}

std::string FormatDeviceArguments(const DeviceArguments& arguments) {
  std::string text;
  for (const auto& [key, value] : arguments) text += (text.empty() ? "" : ",") + key + "=" + value;
  return text;
}

std::string ReceiverName(const DeviceArguments& found) {
  for (const char* key : {"label", "product", "driver"}) {
    if (const auto it = found.find(key); it != found.end() && !it->second.empty())
      return "SDR " + it->second;
  }
  return "SDR receiver";
}

std::vector<DeviceArguments> FindReceivers(const DeviceArguments& wanted) {
  std::vector<DeviceArguments> receivers;
  try {
    for (const SoapySDR::Kwargs& found :
         SoapySDR::Device::enumerate(SoapySDR::Kwargs(wanted.begin(), wanted.end()))) {
      const bool agrees = std::ranges::all_of(wanted, [&](const auto& pair) {
        const auto it = found.find(pair.first);
        return it == found.end() || it->second == pair.second;
      });
      if (agrees) receivers.emplace_back(found.begin(), found.end());
    }
  } catch (const std::exception&) {
    // A module that fails to look for devices leaves the others.
  }
  return receivers;
}

}  // namespace vantrel
