#include "app/sdr_options_dlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include <cmath>

#include "document/vantrel_doc.h"
#include "platform/soapy_devices.h"

namespace vantrel {

namespace {
QDoubleSpinBox* SpinBox(QWidget* parent, const char* name, double min, double max, int decimals,
                        double value) {
  auto* box = new QDoubleSpinBox(parent);
  box->setObjectName(name);
  box->setRange(min, max);
  box->setDecimals(decimals);
  box->setValue(value);
  return box;
}
}  // namespace

SdrOptionsDlg::SdrOptionsDlg(const sdr::SdrTuning& tuning,
                             const std::vector<sdr::ReceiverChoice>& receivers, QWidget* parent)
    : QDialog(parent),
      found_(new QComboBox(this)),
      device_(new QLineEdit(QString::fromStdString(tuning.device), this)),
      centre_(SpinBox(this, "centre", kMinSdrCentreHz / 1e6, kMaxSdrCentreHz / 1e6, 6,
                      tuning.centreHz / 1e6)),
      rate_(SpinBox(this, "rate", kMinSdrRate, kMaxSdrRate, 0, tuning.sampleRate)),
      autoGain_(new QCheckBox("Automatic", this)),
      gain_(SpinBox(this, "gain", kMinSdrGainDb, kMaxSdrGainDb, 1, tuning.gainDb)),
      ppm_(SpinBox(this, "ppm", kMinSdrPpm, kMaxSdrPpm, 1, tuning.ppm)) {
  setWindowTitle("SDR");
  // Picking a receiver found writes its arguments; they can be edited.
  found_->setObjectName("found");
  found_->addItem(receivers.empty() ? "None found" : "All receivers found", QString());
  for (const sdr::ReceiverChoice& receiver : receivers)
    found_->addItem(QString::fromStdString(receiver.name),
                    QString::fromStdString(receiver.arguments));
  const int current = found_->findData(device_->text());
  found_->setCurrentIndex(current >= 0 ? current : 0);
  connect(found_, &QComboBox::activated, device_,
          [this](int index) { device_->setText(found_->itemData(index).toString()); });
  device_->setObjectName("device");
  device_->setPlaceholderText("driver=rtlsdr,serial=00000001");
  device_->setMinimumWidth(device_->fontMetrics().horizontalAdvance(device_->placeholderText()) +
                           device_->fontMetrics().averageCharWidth() * 4);
  autoGain_->setObjectName("autoGain");
  autoGain_->setChecked(tuning.autoGain != 0);
  gain_->setEnabled(tuning.autoGain == 0);
  connect(autoGain_, &QCheckBox::toggled, gain_, [this](bool on) { gain_->setEnabled(!on); });
  auto* form = new QFormLayout(this);
  form->addRow("Receiver", found_);
  form->addRow("Device arguments", device_);
  form->addRow("Centre frequency (MHz)", centre_);
  form->addRow("Sample rate (samples/s)", rate_);
  form->addRow("Gain", autoGain_);
  form->addRow("Gain (dB)", gain_);
  form->addRow("Frequency correction (ppm)", ppm_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setObjectName("ok");
  buttons->button(QDialogButtonBox::Cancel)->setObjectName("cancel");
  form->addRow(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void SdrOptionsDlg::accept() {
  DeviceArguments arguments;
  std::string error;
  if (!ParseDeviceArguments(device_->text().toStdString(), &arguments, &error)) {
    QMessageBox::warning(this, "SDR", QString::fromStdString(error) + ".");
    return;
  }
  device_->setText(QString::fromStdString(FormatDeviceArguments(arguments)));
  QDialog::accept();
}

sdr::SdrTuning SdrOptionsDlg::tuning() const {
  return {.centreHz = std::round(centre_->value() * 1e6),  // whole Hz, as the default
          .sampleRate = rate_->value(),
          .autoGain = autoGain_->isChecked() ? 1 : 0,
          .gainDb = gain_->value(),
          .device = device_->text().toStdString(),
          .ppm = ppm_->value()};
}

}  // namespace vantrel
