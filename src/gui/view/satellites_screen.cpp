// Satellites screen: one text row per satellite FM-01..FM-36, 15 pixels
// apart, with what the decoder has learnt of it.
#include <QPainter>

#include "view/screens.h"

namespace vantrel {

void DrawSatellitesScreen(QPainter& painter, const CVantrelDoc& doc) {
  painter.setPen(Qt::black);
  painter.setBackgroundMode(Qt::OpaqueMode);
  painter.setBackground(kBackgroundColour);
  for (int k = 1; k <= kSatelliteCount; ++k) {
    const std::string row = FormatSatelliteRow(k, doc.satellites[static_cast<std::size_t>(k)]);
    DrawTextAt(painter, 0, 15 * (k - 1), FromCp1252(row));
  }
}

}  // namespace vantrel
