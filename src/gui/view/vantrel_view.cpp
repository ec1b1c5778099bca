#include "view/vantrel_view.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QTimerEvent>
#include <QWheelEvent>
#include <algorithm>

#include "document/copy_text.h"
#include "view/chart_screen.h"
#include "view/passes_screen.h"
#include "view/screens.h"

namespace vantrel {

VantrelView::VantrelView(VantrelDoc& doc, QWidget* parent)
    : QWidget(parent),
      doc_(doc),
      chart_(std::make_unique<ChartScreen>(doc.clock().Now())),
      passes_(std::make_unique<PassesScreen>()) {
  passesTimer_ = startTimer(1000);
  // Every pixel is painted by each frame: no erase before painting.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  setAutoFillBackground(false);
}

VantrelView::~VantrelView() = default;

bool VantrelView::LoadGlobe(const std::string& path) {
  return chart_->LoadGlobe(path, doc_.host());
}

void VantrelView::OnUpdate() { update(); }

QImage VantrelView::RenderFrame(QSize client) {
  if (client.isEmpty()) return {};
  QImage frame(client, QImage::Format_RGB32);
  frame.fill(kBackgroundColour);

  QPainter painter(&frame);
  painter.setFont(QGuiApplication::font());
  painter.setPen(Qt::black);
  painter.setBackgroundMode(Qt::OpaqueMode);
  painter.setBackground(kBackgroundColour);
  switch (doc_.viewState) {
    case kSignalScreen:
      DrawSignalScreen(painter, doc_);
      break;
    case kMessagesScreen:
      DrawMessagesScreen(painter, doc_);
      break;
    case kChartScreen:
      chart_->Draw(painter, doc_);
      break;
    case kSatellitesScreen:
      DrawSatellitesScreen(painter, doc_, satellitesFirstRow_);
      break;
    case kSpectrumScreen:
      DrawSpectrumScreen(painter, doc_, client);
      break;
    case kPassesScreen:
      passes_->Draw(painter, doc_, client);
      break;
    default:
      break;  // any other state shows the background only
  }
  return frame;
}

void VantrelView::OnDraw(QPainter& painter, QSize client) {
  const QImage frame = RenderFrame(client);
  if (!frame.isNull()) painter.drawImage(QPoint(0, 0), frame);
}

void VantrelView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  OnDraw(painter, size());
}

std::uint32_t VantrelView::SetTimer(int, int milliseconds) {
  const int id = startTimer(milliseconds);
  return id > 0 ? static_cast<std::uint32_t>(id) : 0;
}

void VantrelView::KillTimer(std::uint32_t id) {
  if (id != 0) killTimer(static_cast<int>(id));
}

void VantrelView::timerEvent(QTimerEvent* event) {
  if (event->timerId() == passesTimer_) {
    if (doc_.viewState == kPassesScreen) update();
    return;
  }
  OnTimer(static_cast<std::uint32_t>(event->timerId()));
}

void VantrelView::mousePressEvent(QMouseEvent* event) {
  if (doc_.viewState != kPassesScreen) return;
  passes_->SelectAt(event->position().toPoint());
  update();
}

void VantrelView::wheelEvent(QWheelEvent* event) {
  if (doc_.viewState != kPassesScreen && doc_.viewState != kSatellitesScreen)
    return QWidget::wheelEvent(event);
  Scroll(-event->angleDelta().y() / 40);
}

void VantrelView::Scroll(int rows) {
  if (doc_.viewState == kPassesScreen) passes_->Scroll(rows);
  if (doc_.viewState == kSatellitesScreen) {
    const auto listed = static_cast<int>(ListedSatellites(doc_.interpreter().satellites()).size());
    satellitesFirstRow_ = std::clamp(satellitesFirstRow_ + rows, 0, std::max(0, listed - 1));
  }
  update();
}

void VantrelView::OnTimer(std::uint32_t id) { doc_.OnTimer(id); }

QString VantrelView::PolarityText() const {
  if (!doc_.SlotIsSdr(doc_.soundCardSlot))
    return doc_.packetSearch().polarity() != 0 ? QStringLiteral("Signal inverted")
                                               : QStringLiteral("Signal upright");
  // An SDR band reads every channel both ways up at once: the pane tells the
  // channels being followed and which way up the last packet was, briefly,
  // leaving the status bar room for a feed or capture message.
  const sdr::SpectrumSnapshot& spectrum = doc_.sdrCapture().display().spectrum;
  if (!doc_.captureRunning && spectrum.powerDb.empty()) return QStringLiteral("SDR source");
  const auto channels = static_cast<int>(spectrum.channels.size());
  QString text = channels == 1 ? QStringLiteral("SDR: 1 channel")
                               : QStringLiteral("SDR: %1 channels").arg(channels);
  if (doc_.packetSource.demodulator == DemodulatorKind::Sdr)
    text += doc_.packetSource.polarity != 0 ? QStringLiteral(", inverted")
                                            : QStringLiteral(", upright");
  return text;
}

void VantrelView::OnEditCopy() {
  const std::string text = BuildCopyText(doc_);
  if (text.empty()) return;
  // QClipboard reports no failure, so there is no failure message to show.
  QGuiApplication::clipboard()->setText(FromCp1252(text));
}

bool VantrelView::Print(QPrinter& printer) {
  const QImage frame = RenderFrame(size());
  QPainter painter;
  if (!painter.begin(&printer)) return false;
  // The painter works in printer device pixels: the frame lands 1:1. Lossless,
  // so a PDF keeps the screen's exact pixels rather than JPEG artefacts.
  painter.setRenderHint(QPainter::LosslessImageRendering);
  if (!frame.isNull()) painter.drawImage(QPoint(0, 0), frame);
  return painter.end();
}

void VantrelView::OnFilePrint() {
  QPrinter printer;
  QPrintDialog dialog(&printer, this);
  if (dialog.exec() == QDialog::Accepted) Print(printer);
}

void VantrelView::ClearTrackHistory() { chart_->ClearTrackHistory(); }

}  // namespace vantrel
