#include "app/command_line.h"

#include "vantrel_version.h"

#include <QCommandLineParser>
#include <QFile>
#include <QRegularExpression>

#include <cmath>

#include "document/vantrel_doc.h"
#include "platform/soapy_devices.h"

namespace vantrel {

CommandLineResult ParseCommandLine(const QStringList& arguments) {
  QCommandLineParser parser;
  parser.setApplicationDescription(
      "Decodes the 4800 bit/s downlink packets of low-earth-orbit satellites from a\n"
      "VHF receiver's discriminator audio on a sound-card input.");
  const QCommandLineOption input(
      "input", "Decode the recording FILE.wav (48000 Hz, 8-bit, mono) instead of the sound card.",
      "FILE.wav");
  const QCommandLineOption start("start", "Start processing as soon as the window shows.");
  const QCommandLineOption automation(
      "automation", "Started by an automation client: no window until the client asks for one.");
  const QCommandLineOption headless(
      "headless",
      "Run without a window: process the stored Source (or --input) with the stored settings "
      "until SIGTERM or SIGINT or the recording's end; messages go to standard error.");
  const QCommandLineOption iqFormat(
      "iq-format",
      "The --input file holds an SDR's IQ samples: cu8 (unsigned 8-bit I/Q), cs16 or cf32.",
      "FORMAT");
  const QCommandLineOption iqRate("iq-rate",
                                  "Samples per second of the IQ recording (9600 or more).", "HZ");
  const QCommandLineOption centreFreq("center-freq",
                                      "The SDR's tuning when the IQ recording was made.", "HZ");
  const QCommandLineOption device(
      "device",
      "Offer only the SDR receivers matching these SoapySDR device arguments, e.g. "
      "driver=rtlsdr,serial=00000001 (kept in the settings; '' offers all).",
      "ARGS");
  const QCommandLineOption ppm(
      "ppm", "The SDR receiver's frequency error in parts per million (kept in the settings).",
      "PPM");
  parser.addOption(input);
  parser.addOption(device);
  parser.addOption(ppm);
  parser.addOption(iqFormat);
  parser.addOption(iqRate);
  parser.addOption(centreFreq);
  parser.addOption(start);
  parser.addOption(automation);
  parser.addOption(headless);
  const QCommandLineOption help = parser.addHelpOption();
  const QCommandLineOption version = parser.addVersionOption();

  CommandLineResult result;
  // Mistakes are told in one line, in vantrel-decode's words.
  const auto refuse = [&result](const QString& error) {
    result.output = "vantrel: " + error + "\n";
    result.exitCode = 2;
    return result;
  };
  if (!parser.parse(arguments)) {
    // Qt's parser splits "-x.wav" into short options: the first is named.
    if (const QStringList unknown = parser.unknownOptionNames(); !unknown.isEmpty())
      return refuse("Unknown option '" + QString(unknown[0].size() == 1 ? "-" : "--") + unknown[0] +
                    "'; see --help");
    const QRegularExpressionMatch missing =
        QRegularExpression("^Missing value after '(.*)'\\.$").match(parser.errorText());
    if (missing.hasMatch())
      return refuse("Option '" + missing.captured(1) + "' needs a value; see --help");
    return refuse(parser.errorText().chopped(parser.errorText().endsWith('.') ? 1 : 0));
  }
  if (parser.isSet(help)) {
    // The usage line names the program, whatever the process is called.
    const QString text = parser.helpText();
    result.output = "Usage: vantrel [options]" + text.mid(text.indexOf('\n'));
    return result;
  }
  if (parser.isSet(version)) {
    result.output = "vantrel " VANTREL_VERSION "\n";
    return result;
  }
  if (!parser.positionalArguments().isEmpty())
    return refuse("Unexpected argument '" + parser.positionalArguments().first() +
                  "': a recording is given with --input; see --help");
  CommandLineOptions options;
  options.inputFile = parser.value(input);
  if (parser.isSet(iqFormat) || parser.isSet(iqRate) || parser.isSet(centreFreq)) {
    QString error;
    sdr::IqRecording recording;
    recording.path = QFile::encodeName(options.inputFile).toStdString();
    bool rateRead = false, centreRead = true;
    const auto format = sdr::ParseIqFormat(parser.value(iqFormat).toStdString());
    recording.sampleRate = parser.value(iqRate).toDouble(&rateRead);
    if (parser.isSet(centreFreq))
      recording.centreHz = parser.value(centreFreq).toDouble(&centreRead);
    if (options.inputFile.isEmpty() || !parser.isSet(iqFormat) || !parser.isSet(iqRate))
      error =
          "--iq-format, --iq-rate and --center-freq go with --input FILE; --iq-format and "
          "--iq-rate are needed";
    else if (!format)
      error = "Bad --iq-format '" + parser.value(iqFormat) + "': use cu8, cs16 or cf32";
    else if (!rateRead || !(recording.sampleRate >= 9600.0 && recording.sampleRate <= 20e6))
      error = "Bad --iq-rate '" + parser.value(iqRate) +
              "': use samples per second from 9600 to 20000000";
    else if (!centreRead || (recording.centreHz &&
                             !(std::isfinite(*recording.centreHz) && *recording.centreHz > 0.0)))
      error = "Bad --center-freq '" + parser.value(centreFreq) + "': use Hz, e.g. 137.5e6";
    if (!error.isEmpty()) return refuse(error);
    recording.format = *format;
    options.iqRecording = recording;
  }
  if (parser.isSet(device)) {
    DeviceArguments arguments;
    std::string error;
    if (!ParseDeviceArguments(parser.value(device).toStdString(), &arguments, &error))
      return refuse(QString::fromStdString(error));
    options.sdrDevice = FormatDeviceArguments(arguments);
  }
  if (parser.isSet(ppm)) {
    bool read = false;
    const double value = parser.value(ppm).toDouble(&read);
    if (!read || !(value >= kMinSdrPpm && value <= kMaxSdrPpm))
      return refuse("Bad --ppm '" + parser.value(ppm) +
                    "': use parts per million from -500 to 500");
    options.sdrPpm = value;
  }
  options.start = parser.isSet(start);
  options.automation = parser.isSet(automation);
  options.headless = parser.isSet(headless);
  if (options.headless && options.automation)
    return refuse("--headless and --automation do not go together");
  result.options = options;
  return result;
}

}  // namespace vantrel
