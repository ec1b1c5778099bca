// Options > Home: two edits holding the home latitude and longitude as
// letter, degrees and minutes.
#pragma once

#include <QDialog>

class QLineEdit;

namespace vantrel {

class HomeLocationDlg : public QDialog {
  Q_OBJECT

 public:
  explicit HomeLocationDlg(QWidget* parent = nullptr);

  QString latitude() const;
  QString longitude() const;
  void setLatitude(const QString& text);
  void setLongitude(const QString& text);

 private:
  QLineEdit* latitude_;
  QLineEdit* longitude_;
};

}  // namespace vantrel
