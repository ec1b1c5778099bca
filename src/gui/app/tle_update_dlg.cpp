#include "app/tle_update_dlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>

namespace vantrel {

namespace {

constexpr std::pair<int, const char*> kIntervals[] = {
    {0, "Never"}, {6, "Every 6 hours"}, {12, "Every 12 hours"}, {24, "Daily"}, {168, "Weekly"}};

}  // namespace

QString DefaultTleFile() {
  const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  return data.isEmpty() ? QString() : data + "/Vantrel/orbcomm.tle";
}

TleUpdateDlg::TleUpdateDlg(const QString& tleFile, QWidget* parent) : QDialog(parent) {
  setWindowTitle("Update the TLE file from the web");
  auto* form = new QFormLayout(this);
  urls_ = new QPlainTextEdit(this);
  urls_->setObjectName("urls");
  urls_->setLineWrapMode(QPlainTextEdit::NoWrap);
  form->addRow("Addresses (one a line, http:// or https://):", urls_);
  interval_ = new QComboBox(this);
  interval_->setObjectName("interval");
  for (const auto& [hours, text] : kIntervals) interval_->addItem(text, hours);
  form->addRow("Update:", interval_);
  auto* file =
      new QLabel(tleFile.isEmpty() ? "No TLE file is chosen yet: the first update writes " +
                                         DefaultTleFile() + " and shows it on the chart."
                                   : "The sets of every address together replace " + tleFile +
                                         ", once they hold at least one usable set.",
                 this);
  file->setWordWrap(true);
  form->addRow(file);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  QPushButton* now = buttons->addButton("Update now", QDialogButtonBox::ActionRole);
  now->setObjectName("updateNow");
  connect(now, &QPushButton::clicked, this, [this] { done(kUpdateNow); });
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  form->addRow(buttons);
}

void TleUpdateDlg::SetSettings(const TleUpdateSettings& settings) {
  QStringList lines;
  for (const std::string& url : SplitTleUrls(settings.urls)) lines << QString::fromStdString(url);
  urls_->setPlainText(lines.join('\n'));
  int index = interval_->findData(settings.hours);
  if (index < 0) {
    interval_->addItem(QString("Every %1 hours").arg(settings.hours), settings.hours);
    index = interval_->count() - 1;
  }
  interval_->setCurrentIndex(index);
}

TleUpdateSettings TleUpdateDlg::Settings() const {
  const QStringList lines =
      urls_->toPlainText().split(QRegularExpression("\\s+"), Qt::SkipEmptyParts);
  return {lines.join(' ').toStdString(), interval_->currentData().toInt()};
}

}  // namespace vantrel
