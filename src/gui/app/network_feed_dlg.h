// Options > Output > Network feed: the broker, topic and station the desktop
// program publishes every packet to.
#pragma once

#include <QDialog>

#include "feed/feed_settings.h"

class QCheckBox;
class QLineEdit;
class QSpinBox;

namespace vantrel {

class NetworkFeedDlg : public QDialog {
  Q_OBJECT

 public:
  explicit NetworkFeedDlg(QWidget* parent = nullptr);

  void SetSettings(const FeedSettings& settings);
  FeedSettings Settings() const;

 private:
  QCheckBox* enabled_ = nullptr;
  QLineEdit* host_ = nullptr;
  QSpinBox* port_ = nullptr;
  QLineEdit* topic_ = nullptr;
  QLineEdit* station_ = nullptr;
  QLineEdit* user_ = nullptr;
  QLineEdit* password_ = nullptr;
  QCheckBox* tls_ = nullptr;
};

}  // namespace vantrel
