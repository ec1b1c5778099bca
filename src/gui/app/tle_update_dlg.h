// Options > TLE > Update from the web: the URLs the TLE file is fetched from,
// how often, and a button to fetch it now.
#pragma once

#include <QDialog>

#include "orbit/tle_update.h"

class QComboBox;
class QPlainTextEdit;

namespace vantrel {

class TleUpdateDlg : public QDialog {
  Q_OBJECT

 public:
  // What exec() returns for "Update now" (OK is QDialog::Accepted).
  static constexpr int kUpdateNow = 2;

  // tleFile is the file an update replaces; empty shows where the first goes.
  TleUpdateDlg(const QString& tleFile, QWidget* parent = nullptr);

  void SetSettings(const TleUpdateSettings& settings);
  TleUpdateSettings Settings() const;

 private:
  QPlainTextEdit* urls_ = nullptr;
  QComboBox* interval_ = nullptr;
};

// Where an update writes when no TLE file has been chosen: the user's data
// folder, usually ~/.local/share/Vantrel/orbcomm.tle; empty without one.
QString DefaultTleFile();

}  // namespace vantrel
