#include "app/icons.h"

#include <QPainter>
#include <QPainterPath>

#include "document/command_ids.h"

namespace vantrel {
namespace {

const QColor kInk(30, 30, 60);

void DrawStart(QPainter& p) {
  p.setBrush(QColor(0, 160, 0));
  p.setPen(QPen(QColor(0, 90, 0), 1));
  const QPointF play[] = {{4, 2}, {13, 7.5}, {4, 13}};
  p.drawPolygon(play, 3);
}

void DrawStop(QPainter& p) {
  p.setBrush(QColor(200, 0, 0));
  p.setPen(QPen(QColor(110, 0, 0), 1));
  p.drawRect(QRectF(3.5, 3, 9, 9));
}

void DrawSignal(QPainter& p) {
  p.fillRect(QRect(0, 1, 16, 13), QColor(200, 200, 255));
  p.setPen(QPen(QColor(0, 150, 0), 1.5));
  QPainterPath wave;
  wave.moveTo(1, 7.5);
  wave.cubicTo(3, 1, 5, 1, 6, 7.5);
  wave.cubicTo(7, 14, 9, 14, 10, 7.5);
  wave.cubicTo(11, 1, 13, 1, 15, 7.5);
  p.drawPath(wave);
}

void DrawMessages(QPainter& p) {
  p.setBrush(Qt::white);
  p.setPen(QPen(kInk, 1));
  p.drawRect(QRectF(1.5, 1.5, 13, 12));
  for (int y = 4; y <= 11; y += 2)
    p.drawLine(QPointF(3.5, y + 0.5), QPointF(y % 4 ? 10.5 : 12.5, y + 0.5));
}

void DrawSatellites(QPainter& p) {
  p.setBrush(Qt::white);
  p.setPen(QPen(kInk, 1));
  p.drawRect(QRectF(1.5, 1.5, 13, 12));
  p.fillRect(QRectF(2, 2, 12, 3), QColor(120, 120, 200));
  p.drawLine(QPointF(6.5, 2), QPointF(6.5, 13));
  for (int y : {5, 8, 11}) p.drawLine(QPointF(2, y + 0.5), QPointF(14, y + 0.5));
}

void DrawChart(QPainter& p) {
  p.setBrush(QColor(60, 110, 220));
  p.setPen(QPen(kInk, 1));
  p.drawEllipse(QRectF(1.5, 1, 13, 13));
  p.setBrush(QColor(40, 160, 60));
  p.setPen(Qt::NoPen);
  p.drawEllipse(QRectF(4, 3.5, 5, 4));
  p.drawEllipse(QRectF(8, 8, 4, 3.5));
  p.setBrush(Qt::red);
  p.drawRect(QRectF(7, 6.5, 2, 2));
}

void DrawSpectrum(QPainter& p) {
  p.fillRect(QRect(0, 1, 16, 13), QColor(10, 10, 40));
  p.setPen(QPen(QColor(255, 220, 0), 1));
  const QPointF trace[] = {{0, 12}, {3, 11}, {4, 4}, {5, 11}, {9, 12}, {10, 6}, {11, 11}, {16, 12}};
  p.drawPolyline(trace, 8);
}

void DrawPasses(QPainter& p) {
  // A sky disc with a pass arching across it and the satellite on it.
  p.setBrush(QColor(10, 10, 60));
  p.setPen(QPen(Qt::black, 1));
  p.drawEllipse(QRectF(1, 0.5, 14, 14));
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(255, 220, 0), 1.5));
  p.drawArc(QRectF(3, 4, 10, 12), 20 * 16, 140 * 16);
  p.setBrush(Qt::red);
  p.setPen(Qt::NoPen);
  p.drawEllipse(QPointF(10.5, 5.2), 1.8, 1.8);
}

void DrawAbout(QPainter& p) {
  p.setBrush(QColor(255, 255, 200));
  p.setPen(QPen(QColor(0, 0, 140), 1));
  p.drawEllipse(QRectF(1.5, 1, 13, 13));
  p.setBrush(QColor(0, 0, 140));
  p.setPen(Qt::NoPen);
  p.drawRect(QRectF(7, 3.5, 2, 2));
  p.drawRect(QRectF(7, 6.5, 2, 5.5));
}

void DrawContextHelp(QPainter& p) {
  // Arrow pointer with a question mark beside it.
  p.setBrush(Qt::white);
  p.setPen(QPen(Qt::black, 1));
  const QPointF arrow[] = {{1.5, 1.5},  {1.5, 11.5}, {4, 9},    {6, 13.5},
                           {7.5, 12.5}, {5.5, 8.5},  {8.5, 8.5}};
  p.drawPolygon(arrow, 7);
  QFont f = p.font();
  f.setPixelSize(11);
  f.setBold(true);
  p.setFont(f);
  p.setPen(QColor(0, 0, 160));
  p.drawText(QRectF(8, 0, 8, 12), Qt::AlignCenter, QStringLiteral("?"));
}

}  // namespace

QPixmap ToolbarPixmap(int commandId) {
  void (*draw)(QPainter&) = nullptr;
  switch (commandId) {
    case cmd::kStart:
      draw = DrawStart;
      break;
    case cmd::kStop:
      draw = DrawStop;
      break;
    case cmd::kViewSignal:
      draw = DrawSignal;
      break;
    case cmd::kViewMessages:
      draw = DrawMessages;
      break;
    case cmd::kViewSatellites:
      draw = DrawSatellites;
      break;
    case cmd::kViewChart:
      draw = DrawChart;
      break;
    case cmd::kViewSpectrum:
      draw = DrawSpectrum;
      break;
    case cmd::kViewPasses:
      draw = DrawPasses;
      break;
    case cmd::kAppAbout:
      draw = DrawAbout;
      break;
    case cmd::kContextHelp:
      draw = DrawContextHelp;
      break;
    default:
      return {};
  }
  QPixmap pixmap(kButtonWidth, kButtonHeight);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  draw(p);
  return pixmap;
}

QPixmap ProgramPixmap(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 64.0, size / 64.0);
  p.setPen(QPen(QColor(20, 40, 90), 2));
  p.setBrush(QColor(60, 110, 220));
  p.drawEllipse(QRectF(6, 10, 48, 48));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(40, 160, 60));
  p.drawEllipse(QRectF(14, 20, 18, 14));
  p.drawEllipse(QRectF(30, 38, 14, 12));
  // The satellite's pass and the satellite itself.
  p.setPen(QPen(QColor(255, 220, 0), 3, Qt::DotLine));
  p.setBrush(Qt::NoBrush);
  p.drawArc(QRectF(2, 2, 60, 60), 30 * 16, 100 * 16);
  p.setPen(QPen(Qt::black, 1.5));
  p.setBrush(QColor(240, 240, 240));
  p.drawRect(QRectF(44, 6, 8, 8));
  p.setBrush(QColor(40, 60, 200));
  p.drawRect(QRectF(36, 8, 7, 4));
  p.drawRect(QRectF(53, 8, 7, 4));
  return pixmap;
}

QIcon ProgramIcon() {
  QIcon icon;
  for (int size : {16, 32, 48, 64}) icon.addPixmap(ProgramPixmap(size));
  return icon;
}

}  // namespace vantrel
