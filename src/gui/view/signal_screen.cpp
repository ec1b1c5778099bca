// Signal screen: the first 100 ring samples as a green trace on a black
// panel around a centre line, so the user can judge the audio level. With an
// SDR source it says that it shows sound-card audio only.
#include <QPainter>
#include <QPolygon>

#include "view/screens.h"

namespace vantrel {

namespace {

constexpr int kTracePoints = 100;
const QColor kTraceColour{0, 255, 0};

}  // namespace

void DrawSignalScreen(QPainter& painter, const VantrelDoc& doc) {
  // An SDR source never fills the audio ring: a flat line and sound-card
  // advice would mislead, so the screen says what it shows instead.
  if (doc.SlotIsSdr(doc.soundCardSlot)) {
    DrawTextAt(painter, 10, 10,
               QStringLiteral("The Signal screen shows sound-card audio; the source is an SDR "
                              "receiver."));
    DrawTextAt(painter, 10, 10 + LineHeight(painter),
               QStringLiteral("View->Spectrum shows its band and the carriers it follows."));
    return;
  }
  painter.fillRect(QRect(0, 0, 420, 400), Qt::black);

  // The caption stands on a pale blue box inside the black panel.
  painter.setPen(Qt::black);
  painter.setBackgroundMode(Qt::OpaqueMode);
  painter.setBackground(kBackgroundColour);
  DrawTextAt(painter, 10, 50, QStringLiteral("Raw audio signal"));

  // A 3-pixel pen with round ends and joins, as wide lines look on the
  // receiver's original screen.
  painter.setPen(QPen(kTraceColour, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.drawLine(10, 200, 410, 200);
  QPolygon trace(kTracePoints);
  for (int i = 0; i < kTracePoints && i < static_cast<int>(doc.packetSearch().ring().size()); ++i) {
    trace.setPoint(i, 10 + 4 * i, 200 - doc.packetSearch().ring()[static_cast<std::size_t>(i)]);
  }
  painter.drawPolyline(trace);

  painter.setPen(Qt::black);
  painter.setBackgroundMode(Qt::OpaqueMode);
  DrawTextAt(painter, 10, 410,
             QStringLiteral("Ensure the signal is of adequate amplitude but not clipping."));
  DrawTextAt(painter, 10, 425,
             QStringLiteral(
                 "If you see no signal, check connections, receiver and select Options->Audio."));
}

}  // namespace vantrel
