// The Chart screen: the earth around home in an azimuthal equidistant disc
// 480 pixels across, land and sea from the land mask, shaded by the sun and
// darkened towards the rim, stars around it, the decoded satellites of the
// last five minutes, their track history, the home marker and the sets of
// the TLE file. The view owns one ChartScreen for its whole life.
#pragma once

#include <QImage>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "base/clock.h"
#include "document/host.h"
#include "document/vantrel_doc.h"
#include "orbit/globe_mask.h"
#include "orbit/tle_catalog.h"

class QPainter;

namespace vantrel {

class ChartScreen {
 public:
  static constexpr int kTrackSize = 480;  // the track history map is 480 x 480
  static constexpr const char* kGlobeMissingText = "The file globe.dat could not be opened";

  // now: the current time, from which the UTC offset is taken once.
  explicit ChartScreen(CTime now);

  // Reads the land mask. When the file cannot be opened the chart is all
  // sea, and, with a host, its message box says so.
  bool LoadGlobe(const std::string& path);
  bool LoadGlobe(const std::string& path, DocumentHost& host);

  // Paints the chart at the top-left of the painter's device, with the time
  // read from clock. Recomputes the projection cache first when the
  // document asks for it or home has moved; marks the decoded satellites in
  // the track history.
  void Draw(QPainter& painter, VantrelDoc& doc, const Clock& clock);
  void Draw(QPainter& painter, VantrelDoc& doc) { Draw(painter, doc, doc.clock()); }

  // The TLE file is read in the background, so a first paint may come
  // before its sets; a single picture waits for them here first.
  void ReadTleFileNow(const std::string& path);

  // Index x + 480 * y; 1 where a decoded satellite has been plotted.
  std::uint8_t* trackHistory() { return trackHistory_.data(); }
  void ClearTrackHistory();

  std::int32_t utcOffset() const { return utcOffset_; }
  const GlobeMask& globe() const { return globe_; }
  // The star field's generator; tests seed it to repeat a picture.
  void SeedStars(unsigned seed) { stars_.seed(seed); }

 private:
  // Fills disc_ pixel by pixel; with project set it first computes each
  // pixel's cell into the projection cache.
  void PaintDisc(const VantrelDoc& doc, CTime now, bool project);
  int NextRandom15() { return static_cast<int>((stars_() >> 8) & 0x7FFF); }

  std::int32_t utcOffset_;
  GlobeMask globe_;
  std::vector<std::uint8_t> trackHistory_;
  // Projection cache, one entry per chart pixel, index x + 481 * y.
  std::vector<std::int16_t> colatitude_;
  std::vector<std::int16_t> longitude_;
  std::vector<std::int32_t> distance_;
  bool projected_ = false;
  double projectedLatitude_ = 0.0;
  double projectedLongitude_ = 0.0;
  QImage disc_;
  std::minstd_rand stars_;
  TleCatalog tle_;
  std::string tleError_;  // the TLE file's last error, told once
};

}  // namespace vantrel
