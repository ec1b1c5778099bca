#include "view/chart_screen.h"

#include <QColor>
#include <QFontMetrics>
#include <QPainter>
#include <QPen>

#include "orbit/chart_projection.h"
#include "orbit/chart_shading.h"
#include "orbit/orbit_model.h"
#include "orbit/time_base.h"
#include "orbit/tle_reader.h"
#include "view/screens.h"

namespace vantrel {

namespace {

constexpr int kPixels = kChartSize * kChartSize;
constexpr int kDiscRadiusSquared = 57600;  // 240^2

const QColor kMarkerYellow(255, 255, 0);
const QColor kMarkerRed(255, 0, 0);
const QColor kFmLabelColour(255, 255, 100);
const QColor kTleLabelColour(200, 200, 200);

// The 5 x 5 marker of a satellite at (x, y).
void DrawMarker(QPainter& painter, int x, int y) { painter.drawEllipse(QRect(x - 2, y - 2, 4, 4)); }

}  // namespace

ChartScreen::ChartScreen(CTime now)
    : utcOffset_(UtcOffset(now)),
      trackHistory_(kTrackSize * kTrackSize, 0),
      colatitude_(kPixels, kOutsideDisc),
      longitude_(kPixels, 0),
      distance_(kPixels, 0),
      disc_(kChartSize, kChartSize, QImage::Format_RGB32) {}

bool ChartScreen::LoadGlobe(const std::string& path) { return globe_.Load(path); }

bool ChartScreen::LoadGlobe(const std::string& path, DocumentHost& host) {
  if (LoadGlobe(path)) return true;
  host.ShowMessage(kGlobeMissingText);
  return false;
}

void ChartScreen::ReadTleFileNow(const std::string& path) {
  tle_.Wait();  // a check of another file may be under way
  tle_.Sets(path);
  tle_.Wait();
}

void ChartScreen::ClearTrackHistory() { std::fill(trackHistory_.begin(), trackHistory_.end(), 0); }

void ChartScreen::PaintDisc(const VantrelDoc& doc, CTime now, bool project) {
  const SunZenith zenith(ComputeSunPosition(now, utcOffset_));
  const bool showTrack = doc.trackHistory;
  for (int y = 0; y < kChartSize; ++y) {
    auto* line = reinterpret_cast<QRgb*>(disc_.scanLine(y));
    for (int x = 0; x < kChartSize; ++x) {
      const int i = x + kChartSize * y;
      int colatitude, longitude;
      double distance;
      if (project) {
        const ChartCell cell = ComputeChartCell(x, y, doc.homeLatitude, doc.homeLongitude);
        colatitude_[i] = cell.colatitude;
        longitude_[i] = cell.longitude;
        distance_[i] = cell.distance;
        colatitude = cell.colatitude;
        longitude = cell.longitude;
        distance = cell.exactDistance;  // this paint shades from the exact distance
      } else {
        colatitude = colatitude_[i];
        longitude = longitude_[i];
        distance = distance_[i];
      }
      Rgb colour;
      if (colatitude >= 180) {
        colour = StarColour(NextRandom15());
      } else if (showTrack && x < kTrackSize && y < kTrackSize &&
                 trackHistory_[x + kTrackSize * y] != 0) {
        colour = kTrackRed;
      } else {
        const int brightness =
            ShadeForSun(RimBrightness(distance), zenith.At(colatitude, longitude));
        colour = EarthColour(brightness, globe_.IsLand(colatitude, longitude));
      }
      line[x] = 0xFF000000u | colour;
    }
  }
}

void ChartScreen::Draw(QPainter& painter, VantrelDoc& doc, const Clock& clock) {
  // The cache is keyed on home as well as on the document's request, so a
  // home changed without the request still gets its own projection.
  const bool project = doc.projectionDirty || !projected_ ||
                       projectedLatitude_ != doc.homeLatitude ||
                       projectedLongitude_ != doc.homeLongitude;
  PaintDisc(doc, clock.Now(), project);
  if (project) {
    projected_ = true;
    projectedLatitude_ = doc.homeLatitude;
    projectedLongitude_ = doc.homeLongitude;
  }
  doc.projectionDirty = false;

  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setBackgroundMode(Qt::TransparentMode);
  painter.drawImage(QPoint(0, 0), disc_);

  const QPen redPen(kMarkerRed, 1);
  const QBrush yellowBrush(kMarkerYellow);
  const QFontMetrics metrics = painter.fontMetrics();
  const CTime now = clock.Now();
  for (int fm = 1; fm <= kMaxSatellite; ++fm) {
    const SatelliteRecord& record = doc.interpreter().satellites()[static_cast<std::size_t>(fm)];
    if (!record.HasRecentPosition(now)) continue;
    const auto point =
        ProjectToChart(doc.homeLatitude, doc.homeLongitude, record.latitude, record.longitude);
    if (!point) continue;
    const int x = point->x, y = point->y;
    if (x >= 0 && x < kTrackSize && y >= 0 && y < kTrackSize) trackHistory_[x + kTrackSize * y] = 1;
    painter.setPen(redPen);
    painter.setBrush(yellowBrush);
    DrawMarker(painter, x, y);
    const QString label = QString::fromStdString(FmLabel(fm));
    painter.setPen(kFmLabelColour);
    DrawTextAt(painter, x - metrics.horizontalAdvance(label) - 6, y - 6, label);
  }

  painter.setPen(redPen);
  painter.setBrush(yellowBrush);
  painter.drawEllipse(QRect(237, 237, 6, 6));
  painter.drawPoint(kChartCentre, kChartCentre);

  if (doc.tleEnable) {
    const auto tle = tle_.Sets(doc.tleFile);
    if (tle->error != tleError_) {
      tleError_ = tle->error;
      if (!tleError_.empty()) doc.host().ShowStatus("TLE file: " + tleError_);
    }
    for (const TleSet& set : tle->sets) {
      const auto point =
          ComputeSatellitePoint(set.line1, set.line2, doc.homeLatitude, doc.homeLongitude, clock);
      if (!point) continue;
      const int dx = point->x - kChartCentre, dy = point->y - kChartCentre;
      if (dx * dx + dy * dy >= kDiscRadiusSquared) continue;
      painter.setPen(QPen(Qt::black, 1));
      painter.setBrush(Qt::white);
      DrawMarker(painter, point->x, point->y);
      painter.setPen(kTleLabelColour);
      DrawTextAt(painter, point->x + 6, point->y - 6, FromCp1252(TleLabel(set.name)));
    }
  }
  painter.restore();
}

}  // namespace vantrel
