#include "app/qt_document_host.h"

#include <QMainWindow>
#include <QMessageBox>
#include <QStatusBar>

#include <cstdio>

#include "base/text_encoding.h"
#include "view/vantrel_view.h"

namespace vantrel {

QtDocumentHost::QtDocumentHost(QWidget* frame, VantrelView* view) : frame_(frame), view_(view) {}

void QtDocumentHost::UpdateAllViews() {
  if (view_) view_->OnUpdate();
}

void QtDocumentHost::SetMainWindowTitle(const std::string& title) {
  if (frame_) frame_->setWindowTitle(QString::fromStdString(Cp1252ToUtf8(title)));
}

std::uint32_t QtDocumentHost::SetViewTimer(int eventId, int milliseconds) {
  return view_ ? view_->SetTimer(eventId, milliseconds) : 0;
}

void QtDocumentHost::KillViewTimer(std::uint32_t id) {
  if (view_) view_->KillTimer(id);
}

void QtDocumentHost::ShowMessage(const std::string& text) {
  ShowText(QString::fromStdString(Cp1252ToUtf8(text)));
}

void QtDocumentHost::ShowText(const QString& message) {
  if (sink_) {
    sink_(message);
    return;
  }
  QMessageBox::warning(frame_, "Vantrel", message, QMessageBox::Ok);
}

void QtDocumentHost::ShowStatus(const std::string& text) {
  const QString line = QString::fromStdString(Cp1252ToUtf8(text));
  std::fprintf(stderr, "vantrel: %s\n", line.toLocal8Bit().constData());
  if (auto* window = qobject_cast<QMainWindow*>(frame_.data()))
    window->statusBar()->showMessage(line);
}

void QtDocumentHost::ClearTrackHistory() {
  if (view_) view_->ClearTrackHistory();
}

}  // namespace vantrel
