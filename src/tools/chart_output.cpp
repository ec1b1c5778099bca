#include "chart_output.h"

#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <clocale>
#include <cstdlib>
#include <iostream>
#include <memory>

#include "platform/data_files.h"
#include "view/chart_screen.h"

namespace vantrel::tools {

namespace {

// Qt's own remarks about its surroundings ("XDG_RUNTIME_DIR not set" under
// cron or ssh) are not the tool's to print: its standard error carries only
// its own one-line errors. What fails for the chart is reported by the tool.
void DropQtMessages(QtMsgType, const QMessageLogContext&, const QString&) {}

// The chart needs a Gui application for fonts; one without a display.
std::unique_ptr<QGuiApplication> MakeApplication() {
  if (QGuiApplication::instance() != nullptr) return nullptr;
  qInstallMessageHandler(DropQtMessages);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  static int argc = 1;
  static char name[] = "vantrel-decode";
  static char* argv[] = {name, nullptr};
  auto application = std::make_unique<QGuiApplication>(argc, argv);
  // Qt adopts the user's locale; printed numbers must keep the decimal point.
  std::setlocale(LC_NUMERIC, "C");
  return application;
}

}  // namespace

bool WriteChartPng(VantrelDoc& doc, const Clock& clock, const std::string& path,
                   std::string* error) {
  const auto app = MakeApplication();
  ChartScreen chart(clock.Now());
  const QString globe = FindDataFile(QStringLiteral("globe.dat"));
  if (globe.isEmpty() || !chart.LoadGlobe(globe.toStdString())) {
    std::cerr << "vantrel-decode: warning: " << ChartScreen::kGlobeMissingText
              << "; the chart shows sea only\n";
  }

  if (doc.tleEnable) chart.ReadTleFileNow(doc.tleFile);
  QImage image(kChartImageSize, kChartImageSize, QImage::Format_RGB32);
  image.fill(QColor(200, 200, 255));
  {
    QPainter painter(&image);
    painter.setFont(QGuiApplication::font());
    chart.Draw(painter, doc, clock);
  }
  QImageWriter writer(QString::fromStdString(path), "png");
  if (!writer.write(image)) {
    *error = "Cannot write chart " + path + ": " + writer.errorString().toStdString();
    return false;
  }
  return true;
}

}  // namespace vantrel::tools
