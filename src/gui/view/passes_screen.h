// The Passes screen: the next 24 hours of passes over home from the TLE
// file, soonest first, the one in progress marked with the satellite's
// elevation, azimuth and Doppler-corrected downlink now; beside the list a
// polar sky plot of the selected pass with the satellite's position now.
// The list is computed again when home, the minimum elevation, the file or
// its content change, and every ten minutes as the window moves on, on a
// thread of its own: a file of thousands of sets never holds up the window.
// The mouse wheel scrolls a list longer than the screen.
#pragma once

#include <QPoint>
#include <QSize>
#include <QString>
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "document/vantrel_doc.h"
#include "orbit/pass_table.h"

class QPainter;

namespace vantrel {

class PassesScreen {
 public:
  PassesScreen() = default;
  ~PassesScreen();
  PassesScreen(const PassesScreen&) = delete;
  PassesScreen& operator=(const PassesScreen&) = delete;

  void Draw(QPainter& painter, const VantrelDoc& doc, QSize client);

  // Moves the list by rows (positive: later passes); kept within the list.
  void Scroll(int rows) { firstRow_ = std::max(0, firstRow_ + rows); }

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
  // One computation of the list, on its own thread.
  struct Job {
    Inputs inputs;
    double start = 0;
    std::atomic<bool> cancel{false};
    std::atomic<bool> done{false};
    PassTable table;
    std::thread thread;
  };
  // True when the table shown belongs to the document's inputs now.
  bool Refresh(const VantrelDoc& doc, double now);
  void EndJob();
  void DrawSky(QPainter& painter, const VantrelDoc& doc, const SatellitePass& pass, double now,
               QPoint centre, int radius) const;

  Inputs inputs_;
  double computedAt_ = -1e300;
  bool haveTable_ = false;
  PassTable table_;
  std::unique_ptr<Job> job_;
  int firstRow_ = 0;  // passes still to come scrolled off the top
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
