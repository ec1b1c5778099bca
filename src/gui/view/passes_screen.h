// The Passes screen: the next 24 hours of passes over home from the TLE
// file, soonest first, the one in progress marked with the satellite's
// elevation, azimuth and Doppler-corrected downlink now; beside the list a
// polar sky plot of the selected pass with the satellite's position now.
// The list is computed again when home, the minimum elevation, the file or
// its content change, and every ten minutes as the window moves on.
#pragma once

#include <QPoint>
#include <QSize>
#include <QString>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "document/vantrel_doc.h"
#include "orbit/pass_table.h"

class QPainter;

namespace vantrel {

class PassesScreen {
 public:
  void Draw(QPainter& painter, const VantrelDoc& doc, QSize client);

  // A click at a point of the last frame: the pass of the row there
  // becomes the selected one.
  void SelectAt(QPoint point);

  // The list's lines as last drawn (header first), for tests and copying.
  const std::vector<QString>& lines() const { return lines_; }

 private:
  struct Inputs {
    double latitude = 0, longitude = 0, minElevation = 0;
    std::string file;
    std::int64_t modified = 0;
    std::uintmax_t size = 0;
    bool operator==(const Inputs&) const = default;
  };
  void Refresh(const VantrelDoc& doc, double now);
  void DrawSky(QPainter& painter, const VantrelDoc& doc, const SatellitePass& pass, double now,
               QPoint centre, int radius) const;

  Inputs inputs_;
  double computedAt_ = -1e300;
  PassTable table_;
  std::vector<QString> lines_;
  // The selected pass by satellite and AOS, so it survives a new list.
  std::string selectedSatellite_;
  double selectedAos_ = 0;
  // Rows of the last frame: top of the first pass row and the row height.
  int firstRowTop_ = 0;
  int rowHeight_ = 1;
  std::vector<std::pair<std::string, double>> shown_;  // satellite and AOS of each row
};

}  // namespace vantrel
