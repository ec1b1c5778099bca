// Spectrum screen: the band's averaged spectrum as a trace, a waterfall of
// the last minute below it (newest at the top), and each carrier the
// receiver follows marked with its satellite and measured frequency.
#include <QImage>
#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <vector>

#include "view/screens.h"
#include "view/spectrum_labels.h"

namespace vantrel {

namespace {

constexpr int kMargin = 10;
// The trace shows this many dB from a little below the floor; the waterfall
// colours span the lower part of it, where weak downlinks lie.
constexpr double kTraceRangeDb = 40.0;
constexpr double kTraceBelowFloorDb = 8.0;
constexpr int kMaxLabelRows = 4;
constexpr double kWaterfallRangeDb = 25.0;
const QColor kPanelColour{0, 0, 30};
const QColor kTraceColour{255, 220, 0};
const QColor kMarkerColour{0, 255, 120};

float Median(std::vector<float> values) {
  if (values.empty()) return 0.0f;
  auto middle = values.begin() + static_cast<long>(values.size() / 2);
  std::nth_element(values.begin(), middle, values.end());
  return *middle;
}

// Dark blue through red to yellow.
QRgb WaterfallColour(double level) {
  level = std::clamp(level, 0.0, 1.0);
  const int r = static_cast<int>(255 * std::min(1.0, 2 * level));
  const int g = static_cast<int>(255 * std::max(0.0, 2 * level - 1));
  const int b = static_cast<int>(80 * (1 - level));
  return qRgb(r, g, b);
}

QString FrequencyText(double offsetHz, const std::optional<double>& centreHz) {
  if (centreHz) return QString::number((*centreHz + offsetHz) / 1e6, 'f', 4) + " MHz";
  return QString("%1%2 kHz").arg(offsetHz >= 0 ? "+" : "").arg(offsetHz / 1e3, 0, 'f', 1);
}

}  // namespace

void DrawSpectrumScreen(QPainter& painter, const VantrelDoc& doc, QSize client) {
  painter.setPen(Qt::black);
  painter.setBackgroundMode(Qt::TransparentMode);
  if (!doc.SlotIsSdr(doc.soundCardSlot)) {
    DrawTextAt(painter, kMargin, kMargin,
               QStringLiteral("The Spectrum screen needs an SDR source."));
    DrawTextAt(painter, kMargin, kMargin + LineHeight(painter),
               QStringLiteral(
                   "Choose an SDR receiver under Options->Audio->Source, then Process->Start."));
    return;
  }
  const sdr::BandDisplay& band = doc.sdrCapture().display();
  const sdr::SpectrumSnapshot& spectrum = band.spectrum;
  if (spectrum.powerDb.empty()) {
    DrawTextAt(painter, kMargin, kMargin,
               QStringLiteral("Waiting for the band's spectrum (Process->Start)."));
    return;
  }

  const int line = LineHeight(painter);
  const QRect area(kMargin, kMargin + line, client.width() - 2 * kMargin,
                   client.height() - 2 * kMargin - 3 * line);
  if (area.width() < 50 || area.height() < 50) return;
  const double halfBand = spectrum.sampleRate / 2;
  auto xOf = [&](double offsetHz) {
    return area.left() + (offsetHz + halfBand) / spectrum.sampleRate * area.width();
  };

  // Carrier labels in rows at the top of the panel, clear of each other and
  // of the markers; the trace lies below them.
  std::vector<CarrierLabel> labels;
  std::vector<QString> texts;
  for (const sdr::ChannelStatus& channel : spectrum.channels) {
    const QString name =
        channel.satellite > 0 ? QString("FM-%1").arg(channel.satellite, 2, 10, QChar('0')) : "FM-?";
    texts.push_back(name + " " + FrequencyText(channel.carrierHz, spectrum.centreHz));
    labels.push_back({.x = static_cast<int>(std::lround(xOf(channel.carrierHz))),
                      .width = painter.fontMetrics().horizontalAdvance(texts.back())});
  }
  const QRect panel(area.left(), area.top(), area.width(), area.height() * 2 / 5);
  LayOutCarrierLabels(labels, panel.left() + 2, panel.right() - 2,
                      std::clamp(panel.height() / 2 / line, 1, kMaxLabelRows));
  int rows = 0;
  for (const CarrierLabel& label : labels) rows = std::max(rows, label.row + 1);
  const int tracesTop = panel.top() + 2 + rows * line;
  const QRect trace(panel.left(), tracesTop, panel.width(), panel.bottom() + 1 - tracesTop);
  const QRect fall(area.left(), panel.bottom() + 1 + line, area.width(),
                   area.bottom() - panel.bottom() - line);
  const float floorDb = Median(spectrum.powerDb);

  const auto count = spectrum.channels.size();
  QString heading = QString("Band %1 to %2, %3 %4")
                        .arg(FrequencyText(-halfBand, spectrum.centreHz),
                             FrequencyText(halfBand, spectrum.centreHz))
                        .arg(count)
                        .arg(count == 1 ? "carrier" : "carriers");
  if (band.inputEnded)
    heading += "; the input has ended";
  else if (!doc.captureRunning)
    heading += "; processing stopped";
  DrawTextAt(painter, kMargin, kMargin - 2, heading);

  // The trace, kept inside its part of the panel.
  painter.fillRect(panel, kPanelColour);
  const auto points = static_cast<int>(spectrum.powerDb.size());
  QPolygonF polyline;
  for (int i = 0; i < points; ++i) {
    const double above =
        std::clamp((spectrum.powerDb[static_cast<std::size_t>(i)] - floorDb + kTraceBelowFloorDb) /
                       kTraceRangeDb,
                   0.0, 1.0);
    polyline << QPointF(trace.left() + (i + 0.5) * trace.width() / points,
                        trace.bottom() - 1 - above * (trace.height() - 3));
  }
  painter.save();
  painter.setClipRect(trace);
  painter.setPen(kTraceColour);
  painter.drawPolyline(polyline);
  painter.restore();

  // The waterfall, one row per spectrum, newest at the top.
  QImage image(points, static_cast<int>(sdr::BandDisplay::kWaterfallRows), QImage::Format_RGB32);
  image.fill(WaterfallColour(0));
  int row = 0;
  for (auto it = band.waterfall.rbegin(); it != band.waterfall.rend() && row < image.height();
       ++it, ++row) {
    auto* pixels = reinterpret_cast<QRgb*>(image.scanLine(row));
    for (int i = 0; i < points && i < static_cast<int>(it->size()); ++i)
      pixels[i] =
          WaterfallColour(((*it)[static_cast<std::size_t>(i)] - floorDb) / kWaterfallRangeDb);
  }
  painter.drawImage(fall, image);
  painter.setPen(Qt::black);
  DrawTextAt(painter, fall.left(), panel.bottom() + 1,
             QStringLiteral("Last minute, newest at the top"));
  // Where the input ended: a line over the newest row.
  if (band.inputEnded) painter.fillRect(fall.left(), fall.top(), fall.width(), 2, Qt::white);

  // Carriers: a marker from below its label through the trace, a tick on the
  // waterfall, and the label.
  for (std::size_t i = 0; i < labels.size(); ++i) {
    const CarrierLabel& label = labels[i];
    const int top = label.row < 0 ? trace.top() : panel.top() + 2 + (label.row + 1) * line;
    painter.setPen(QPen(kMarkerColour, 1, Qt::DashLine));
    painter.drawLine(label.x, top, label.x, panel.bottom());
    painter.drawLine(label.x, fall.top(), label.x, fall.top() + 6);
    if (label.row < 0) continue;
    painter.setPen(kMarkerColour);
    DrawTextAt(painter, label.left, panel.top() + 2 + label.row * line, texts[i]);
  }

  // Frequency scale under the waterfall.
  painter.setPen(Qt::black);
  for (int tick = 0; tick <= 4; ++tick) {
    const double offset = -halfBand + tick * spectrum.sampleRate / 4;
    const QString text = FrequencyText(offset, spectrum.centreHz);
    const int width = painter.fontMetrics().horizontalAdvance(text);
    const int x =
        std::clamp(static_cast<int>(xOf(offset)) - width / 2, area.left(), area.right() - width);
    DrawTextAt(painter, x, fall.bottom() + 2, text);
  }
}

}  // namespace vantrel
