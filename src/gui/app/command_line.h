// The program's command line: an optional recording to decode instead of the
// sound card, an immediate Start, and the start mode for automation clients.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sdr/iq_file_reader.h"

namespace vantrel {

struct CommandLineOptions {
  QString inputFile;  // --input FILE.wav; empty = the sound card
  // --input FILE with --iq-format, --iq-rate and --center-freq: an SDR's IQ
  // recording played as an SDR receiver instead of a wave recording.
  std::optional<sdr::IqRecording> iqRecording;
  // The recording's samples, read once at start-up (before any window opens).
  std::shared_ptr<const std::vector<std::uint8_t>> inputSamples;
  // --device ARGS and --ppm N: the SDR receivers offered and their
  // frequency error, kept in the settings as if chosen in Options > SDR.
  std::optional<std::string> sdrDevice;
  std::optional<double> sdrPpm;
  bool start = false;       // --start: Process > Start once the window shows
  bool automation = false;  // --automation: started by an automation client
  bool headless = false;    // --headless: no window; messages on standard error
};

struct CommandLineResult {
  std::optional<CommandLineOptions> options;  // empty: exit with exitCode
  QString output;                             // help, version or error text
  int exitCode = 0;
};

// Parses the arguments (argv[0] first). --help and --version give their text
// and exit code 0; an unknown option or a missing value gives an error text
// and exit code 2.
CommandLineResult ParseCommandLine(const QStringList& arguments);

}  // namespace vantrel
