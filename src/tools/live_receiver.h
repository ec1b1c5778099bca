// vantrel-decode's SDR receivers: the list of those SoapySDR finds, and
// one opened for live decoding.
#pragma once

#include <iosfwd>
#include <memory>
#include <string>

#include "decode_options.h"
#include "sdr/sdr_input.h"

namespace vantrel::tools {

// One line per receiver matching options.device: its name and the device
// arguments that pick it. False with *error set when the arguments are bad.
bool ListReceivers(const DecodeOptions& options, std::ostream& out, std::string* error);

// The first receiver matching options.device, at the options' tuning. Null
// with *error set when none is found or it cannot be opened.
std::unique_ptr<sdr::BandReader> OpenReceiver(const DecodeOptions& options, std::string* error);

}  // namespace vantrel::tools
