// vantrel: the desktop receiver.
#include <QApplication>
#include <cstdio>

#include "app/command_line.h"
#include "app/vantrel_app.h"

int main(int argc, char* argv[]) {
  // --help, --version and mistakes answer on the terminal, display or not.
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  const vantrel::CommandLineResult parsed = vantrel::ParseCommandLine(arguments);
  if (!parsed.options) {
    std::fputs(parsed.output.toLocal8Bit().constData(), parsed.exitCode == 0 ? stdout : stderr);
    return parsed.exitCode;
  }
  QApplication application(argc, argv);
  vantrel::CVantrelApp app(*parsed.options);
  if (!app.InitInstance()) return 1;
  return QApplication::exec();
}
