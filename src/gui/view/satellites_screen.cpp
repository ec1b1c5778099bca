// Satellites screen: one text row per satellite FM-01..FM-36, then one for
// each satellite above 36 heard, 15 pixels apart, with what the decoder has
// learnt of it.
#include <QPainter>

#include "view/screens.h"

namespace vantrel {

void DrawSatellitesScreen(QPainter& painter, const VantrelDoc& doc, int firstRow) {
  painter.setPen(Qt::black);
  painter.setBackgroundMode(Qt::OpaqueMode);
  painter.setBackground(kBackgroundColour);
  int y = 0;
  const SatelliteTable& satellites = doc.interpreter().satellites();
  int row = 0;
  for (const int k : ListedSatellites(satellites)) {
    if (row++ < firstRow) continue;
    const std::string text = FormatSatelliteRow(k, satellites[static_cast<std::size_t>(k)]);
    DrawTextAt(painter, 0, y, FromCp1252(text));
    y += 15;
  }
}

}  // namespace vantrel
