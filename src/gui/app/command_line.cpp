#include "app/command_line.h"

#include "vantrel_version.h"

#include <QCommandLineParser>

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
  parser.addOption(input);
  parser.addOption(start);
  parser.addOption(automation);
  const QCommandLineOption help = parser.addHelpOption();
  const QCommandLineOption version = parser.addVersionOption();

  CommandLineResult result;
  if (!parser.parse(arguments)) {
    result.output = parser.errorText() + "\nTry 'vantrel --help'.\n";
    result.exitCode = 2;
    return result;
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
  if (!parser.positionalArguments().isEmpty()) {
    result.output = "Unexpected argument: " + parser.positionalArguments().first() +
                    "\nTry 'vantrel --help'.\n";
    result.exitCode = 2;
    return result;
  }
  CommandLineOptions options;
  options.inputFile = parser.value(input);
  options.start = parser.isSet(start);
  options.automation = parser.isSet(automation);
  result.options = options;
  return result;
}

}  // namespace vantrel
