#include <QFontMetrics>
#include <QPainter>

#include "base/text_encoding.h"
#include "view/screens.h"

namespace vantrel {

QString FromCp1252(std::string_view text) {
  const std::string utf8 = Cp1252ToUtf8(text);
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

void DrawTextAt(QPainter& painter, int x, int y, const QString& text) {
  if (text.isEmpty()) return;
  painter.drawText(QPoint(x, y + painter.fontMetrics().ascent()), text);
}

int LineHeight(QPainter& painter) {
  return painter.fontMetrics().size(Qt::TextSingleLine, QStringLiteral("Text")).height();
}

}  // namespace vantrel
