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

namespace vantrel {

namespace {

constexpr int kMargin = 10;
// The trace shows this many dB above the floor; the waterfall colours span
// the lower part of it, where weak downlinks lie.
constexpr double kTraceRangeDb = 40.0;
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

void DrawSpectrumScreen(QPainter& painter, const CVantrelDoc& doc, QSize client) {
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
  const sdr::SpectrumSnapshot& spectrum = doc.spectrum;
  if (spectrum.powerDb.empty()) {
    DrawTextAt(painter, kMargin, kMargin,
               QStringLiteral("Waiting for the band's spectrum (Process->Start)."));
    return;
  }

  const int line = LineHeight(painter);
  const QRect area(kMargin, kMargin + line, client.width() - 2 * kMargin,
                   client.height() - 2 * kMargin - 3 * line);
  if (area.width() < 50 || area.height() < 50) return;
  const QRect trace(area.left(), area.top(), area.width(), area.height() * 2 / 5);
  const QRect fall(area.left(), trace.bottom() + 1 + line, area.width(),
                   area.bottom() - trace.bottom() - line);
  const float floorDb = Median(spectrum.powerDb);
  const double halfBand = spectrum.sampleRate / 2;
  auto xOf = [&](double offsetHz) {
    return trace.left() + (offsetHz + halfBand) / spectrum.sampleRate * trace.width();
  };

  DrawTextAt(painter, kMargin, kMargin - 2,
             QString("Band %1 to %2, %3 carriers")
                 .arg(FrequencyText(-halfBand, spectrum.centreHz),
                      FrequencyText(halfBand, spectrum.centreHz))
                 .arg(spectrum.channels.size()));

  // The trace.
  painter.fillRect(trace, kPanelColour);
  const auto points = static_cast<int>(spectrum.powerDb.size());
  QPolygonF polyline;
  for (int i = 0; i < points; ++i) {
    const double above = std::clamp(
        (spectrum.powerDb[static_cast<std::size_t>(i)] - floorDb + 5) / kTraceRangeDb, 0.0, 1.0);
    polyline << QPointF(trace.left() + (i + 0.5) * trace.width() / points,
                        trace.bottom() - above * (trace.height() - 1));
  }
  painter.setPen(kTraceColour);
  painter.drawPolyline(polyline);

  // The waterfall, one row per spectrum, newest at the top.
  QImage rows(points, static_cast<int>(doc.kWaterfallRows), QImage::Format_RGB32);
  rows.fill(WaterfallColour(0));
  int row = 0;
  for (auto it = doc.waterfall.rbegin(); it != doc.waterfall.rend() && row < rows.height();
       ++it, ++row) {
    auto* pixels = reinterpret_cast<QRgb*>(rows.scanLine(row));
    for (int i = 0; i < points && i < static_cast<int>(it->size()); ++i)
      pixels[i] =
          WaterfallColour(((*it)[static_cast<std::size_t>(i)] - floorDb) / kWaterfallRangeDb);
  }
  painter.drawImage(fall, rows);
  painter.setPen(Qt::black);
  DrawTextAt(painter, fall.left(), trace.bottom() + 1,
             QStringLiteral("Last minute, newest at the top"));

  // Carriers: a marker through both panels, labelled in the trace.
  int labelRow = 0;
  for (const sdr::ChannelStatus& channel : spectrum.channels) {
    const int x = static_cast<int>(std::lround(xOf(channel.carrierHz)));
    painter.setPen(QPen(kMarkerColour, 1, Qt::DashLine));
    painter.drawLine(x, trace.top(), x, trace.bottom());
    painter.drawLine(x, fall.top(), x, fall.top() + 6);
    const QString name =
        channel.satellite > 0 ? QString("FM-%1").arg(channel.satellite, 2, 10, QChar('0')) : "FM-?";
    const QString label = name + " " + FrequencyText(channel.carrierHz, spectrum.centreHz);
    const int width = painter.fontMetrics().horizontalAdvance(label);
    const int left = std::clamp(x + 3, trace.left(), trace.right() - width);
    painter.setPen(kMarkerColour);
    DrawTextAt(painter, left, trace.top() + 2 + (labelRow++ % 4) * line, label);
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
