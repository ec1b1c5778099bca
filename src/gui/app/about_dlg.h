// Help > About Vantrel: the program icon, the version text and one line
// saying what the program is.
#pragma once

#include <QDialog>

namespace vantrel {

class CAboutDlg : public QDialog {
  Q_OBJECT

 public:
  CAboutDlg(const QString& versionText, QWidget* parent = nullptr);
};

}  // namespace vantrel
