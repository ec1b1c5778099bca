#include "app/sdr_options_dlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QPushButton>

#include "document/vantrel_doc.h"

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

SdrOptionsDlg::SdrOptionsDlg(const sdr::SdrTuning& tuning, QWidget* parent)
    : QDialog(parent),
      centre_(SpinBox(this, "centre", kMinSdrCentreHz / 1e6, kMaxSdrCentreHz / 1e6, 6,
                      tuning.centreHz / 1e6)),
      rate_(SpinBox(this, "rate", kMinSdrRate, kMaxSdrRate, 0, tuning.sampleRate)),
      autoGain_(new QCheckBox("Automatic", this)),
      gain_(SpinBox(this, "gain", kMinSdrGainDb, kMaxSdrGainDb, 1, tuning.gainDb)) {
  setWindowTitle("SDR");
  autoGain_->setObjectName("autoGain");
  autoGain_->setChecked(tuning.autoGain != 0);
  gain_->setEnabled(tuning.autoGain == 0);
  connect(autoGain_, &QCheckBox::toggled, gain_, [this](bool on) { gain_->setEnabled(!on); });
  auto* form = new QFormLayout(this);
  form->addRow("Centre frequency (MHz)", centre_);
  form->addRow("Sample rate (samples/s)", rate_);
  form->addRow("Gain", autoGain_);
  form->addRow("Gain (dB)", gain_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setObjectName("ok");
  buttons->button(QDialogButtonBox::Cancel)->setObjectName("cancel");
  form->addRow(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

sdr::SdrTuning SdrOptionsDlg::tuning() const {
  return {.centreHz = centre_->value() * 1e6,
          .sampleRate = rate_->value(),
          .autoGain = autoGain_->isChecked() ? 1 : 0,
          .gainDb = gain_->value()};
}

}  // namespace vantrel
