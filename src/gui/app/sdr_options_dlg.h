// Options > SDR: which receivers are offered (device arguments, chosen from
// those found or typed), and the centre frequency (MHz), sample rate
// (samples/s), gain (automatic, or dB) and frequency correction (ppm) at
// which an SDR receiver is opened.
#pragma once

#include <QDialog>

#include <vector>

#include "sdr/sdr_input.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLineEdit;

namespace vantrel {

class SdrOptionsDlg final : public QDialog {
  Q_OBJECT

 public:
  SdrOptionsDlg(const sdr::SdrTuning& tuning, const std::vector<sdr::ReceiverChoice>& receivers,
                QWidget* parent = nullptr);
  sdr::SdrTuning tuning() const;

  void accept() override;

 private:
  QComboBox* found_;
  QLineEdit* device_;
  QDoubleSpinBox* centre_;
  QDoubleSpinBox* rate_;
  QCheckBox* autoGain_;
  QDoubleSpinBox* gain_;
  QDoubleSpinBox* ppm_;
};

}  // namespace vantrel
