// Help > About Vantrel: the program icon, the version text and one line
// saying what the program is.
#pragma once

#include <QDialog>

namespace vantrel {

class AboutDlg : public QDialog {
  Q_OBJECT

 public:
  AboutDlg(const QString& versionText, QWidget* parent = nullptr);
};

}  // namespace vantrel
