// The SDR receivers SoapySDR finds: their device arguments (what picks one
// of several) and a name to show for each.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace vantrel {

using DeviceArguments = std::map<std::string, std::string>;

// "driver=rtlsdr, serial=0001" into its pairs; a pair without "=" is
// refused with *error set.
bool ParseDeviceArguments(const std::string& text, DeviceArguments* arguments, std::string* error);
// The pairs as "key=value,key=value", as the command line takes them.
std::string FormatDeviceArguments(const DeviceArguments& arguments);
// "SDR " and the receiver's label, product or driver.
std::string ReceiverName(const DeviceArguments& found);

// The receivers matching the arguments (all of them for none): SoapySDR
// asks its modules (only the one named by driver=), and a receiver that
// reports a value other than one asked for is left out. A module that
// fails leaves its receivers out.
std::vector<DeviceArguments> FindReceivers(const DeviceArguments& wanted);

}  // namespace vantrel
