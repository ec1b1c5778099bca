// Command line of vantrel-decode.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "audio/recording_file.h"
#include "base/clock.h"
#include "document/vantrel_doc.h"
#include "feed/feed_settings.h"
#include "sdr/iq_format.h"

namespace vantrel::tools {

enum class PolarityMode { Upright, Inverted, Auto };

struct DecodeOptions {
  std::string input;      // file path, or "-" for standard input (raw only)
  bool rawInput = false;  // raw discriminator samples at 48000 Hz, no header
  RawFormat rawFormat = RawFormat::U8;
  bool iq = false;  // input is an SDR's complex samples of a band
  sdr::IqFormat iqFormat = sdr::IqFormat::Cu8;
  double iqRate = 0.0;                    // samples per second
  std::optional<double> centreFrequency;  // Hz the SDR was tuned to
  std::optional<CTime> startTime;         // clock at the start of the recording; now when unset
  PolarityMode polarity = PolarityMode::Auto;
  int demodulator = kDemodulatorClassic;
  std::array<int, kFilterCount> filters{-1, -1, -1, -1, -1, -1, -1, -1, -1};  // -1: default
  bool table = false;     // print the satellite table after the lines
  std::string logDir;     // append daily log files here when set
  bool rawLog = false;    // also the raw packet log
  std::string chartFile;  // draw the Chart screen at the end into this PNG
  std::optional<double> homeLatitude, homeLongitude;  // the chart's centre; default home when unset
  std::string tleFile;                                // the chart also shows this file's TLE sets
  bool json = false;         // one JSON object per packet instead of the lines
  FeedSettings mqtt;         // publish to this broker when mqtt.enabled
  bool listDevices = false;  // list the SDR receivers found and exit
  std::string device;        // SoapySDR device arguments: decode this receiver live
  bool live = false;         // --device given: the input is a receiver
  double ppm = 0.0;          // the receiver's frequency error
  bool help = false;
  bool version = false;
};

// Parses argv into options. On a mistake returns false with a one-line
// description in *error.
bool ParseDecodeOptions(int argc, char** argv, DecodeOptions* options, std::string* error);

// "2007-05-12T10:11:12Z" (also with a space, without the Z, or "+00:00").
std::optional<CTime> ParseIsoUtc(const std::string& text);

extern const char* const kDecodeUsage;

}  // namespace vantrel::tools
