// Messages screen: the 100 lines of the message ring in a fixed-pitch font,
// newest at the top; rows below the client area are simply clipped.
#include <QFont>
#include <QPainter>

#include "view/screens.h"

namespace vantrel {

void DrawMessagesScreen(QPainter& painter, const VantrelDoc& doc) {
  QFont font(QStringLiteral("Courier New"));
  font.setPointSize(10);
  font.setStyleHint(QFont::TypeWriter);
  painter.setFont(font);
  const int h = LineHeight(painter);

  painter.setPen(Qt::black);
  painter.setBackgroundMode(Qt::TransparentMode);
  const MessageRing& ring = doc.messageRing();
  constexpr int n = MessageRing::kSize;
  // The head names the oldest slot: it goes to the bottom row, the newest to row 0.
  for (int i = 0; i < n; ++i) {
    const std::string& line = ring.Slot((ring.head() + i) % n);
    DrawTextAt(painter, 0, (n - 1 - i) * h, FromCp1252(line));
  }
}

}  // namespace vantrel
