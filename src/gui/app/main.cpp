// vantrel: the desktop receiver.
#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <clocale>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/headless_receiver.h"
#include "app/vantrel_app.h"
#include "audio/recording_file.h"

int main(int argc, char* argv[]) {
  // --help, --version and mistakes answer on the terminal, display or not.
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  const vantrel::CommandLineResult parsed = vantrel::ParseCommandLine(arguments);
  if (!parsed.options) {
    std::fputs(parsed.output.toLocal8Bit().constData(), parsed.exitCode == 0 ? stdout : stderr);
    return parsed.exitCode;
  }
  vantrel::CommandLineOptions options = *parsed.options;
  if (options.iqRecording) {
    // An IQ recording is read as it plays; one that cannot be opened is refused now.
    std::string error;
    if (!vantrel::sdr::IqFileReader::Open(*options.iqRecording, &error)) {
      std::fprintf(stderr, "vantrel: %s\n", error.c_str());
      return 2;
    }
  } else if (!options.inputFile.isEmpty()) {
    // A recording that cannot be played is refused before any window opens.
    auto samples = std::make_shared<std::vector<std::uint8_t>>();
    std::string error;
    if (!vantrel::LoadRecording(QFile::encodeName(options.inputFile).toStdString(), samples.get(),
                                &error)) {
      std::fprintf(stderr, "vantrel: %s\n", error.c_str());
      return 2;
    }
    options.inputSamples = std::move(samples);
  }
  if (options.headless) {
    // No display needed: the receiver runs on the event loop alone.
    QCoreApplication application(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    vantrel::HeadlessReceiver receiver(std::move(options));
    receiver.Start();
    return QCoreApplication::exec();
  }
  // Started on demand by the session bus there may be no display at all;
  // an automation start shows no window, so it needs none.
  if (options.automation && qEnvironmentVariableIsEmpty("DISPLAY") &&
      qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
      qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication application(argc, argv);
  // Qt adopts the user's locale; decoded lines, log records and settings
  // print numbers with a decimal point whatever the locale says.
  std::setlocale(LC_NUMERIC, "C");
  vantrel::VantrelApp app(std::move(options));
  if (!app.InitInstance()) return 1;
  return QApplication::exec();
}
