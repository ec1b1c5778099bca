// The one view of the main window. Each frame is drawn off-screen into an
// image of the client-area size and shown with a single drawImage, so the
// window never shows a half-drawn screen; the screen drawn is chosen by the
// document's view state. The view also receives the capture timers, supplies
// the polarity pane's text, copies the text screens to the clipboard and
// prints the frame.
#pragma once

#include <QImage>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <string>

#include "document/vantrel_doc.h"

class QPainter;
class QPrinter;

namespace vantrel {

class ChartScreen;
class PassesScreen;

class VantrelView : public QWidget {
  Q_OBJECT

 public:
  explicit VantrelView(VantrelDoc& doc, QWidget* parent = nullptr);
  ~VantrelView() override;

  VantrelDoc& document() const { return doc_; }
  // The Chart screen with its land mask, projection cache and track history.
  ChartScreen& chart() const { return *chart_; }
  PassesScreen& passes() const { return *passes_; }

  // Reads the land mask for the chart. When it cannot be opened the document's
  // host shows "The file globe.dat could not be opened" and the chart is all sea.
  bool LoadGlobe(const std::string& path);

  // Every UpdateAllViews of the document lands here: repaint the whole client
  // area without erasing it first.
  void OnUpdate();

  // Draws one whole frame of the given client size onto the painter's device
  // at (0, 0). Needs no window: tests and printing call it directly.
  void OnDraw(QPainter& painter, QSize client);
  // The frame itself, background RGB(200, 200, 255) plus the current screen.
  QImage RenderFrame(QSize client);

  // The capture's timers on this view; the returned id is what OnTimer gets.
  std::uint32_t SetTimer(int eventId, int milliseconds);
  void KillTimer(std::uint32_t id);
  // Refresh timer: repaint all views, then the polarity watch. Poll timer:
  // the capture poll.
  void OnTimer(std::uint32_t id);

  // Text of the status bar's polarity pane: the sound-card polarity watch,
  // or with an SDR source the channels followed and the last packet's polarity.
  QString PolarityText() const;

  // Edit > Copy: the Messages or Satellites screen's text as UTF-8 on the
  // clipboard; nothing on the other screens or when there is no text.
  void OnEditCopy();

  // Draws the current frame on the printer's page, one printer pixel per
  // screen pixel, at the top-left of the printable area. False when the
  // printer could not be opened.
  bool Print(QPrinter& printer);
  // File > Print: the print dialog, then Print.
  void OnFilePrint();

  // The mouse wheel: moves the Satellites or Passes screen's list by rows
  // (positive: down the list); nothing on the other screens.
  void Scroll(int rows);

  // Options > Track History cleared: forget the chart's plotted positions.
  void ClearTrackHistory();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void timerEvent(QTimerEvent* event) override;
  // On the Passes screen a click selects the pass of its row.
  void mousePressEvent(QMouseEvent* event) override;
  // Three rows a notch of the wheel.
  void wheelEvent(QWheelEvent* event) override;

 private:
  VantrelDoc& doc_;
  std::unique_ptr<ChartScreen> chart_;
  std::unique_ptr<PassesScreen> passes_;
  // Repaints the Passes screen each second, capture running or not, for
  // the live position of the pass in progress.
  int passesTimer_ = 0;
  int satellitesFirstRow_ = 0;
};

}  // namespace vantrel
