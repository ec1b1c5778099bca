// Options > SDR: the centre frequency (MHz), sample rate (samples/s) and
// gain (automatic, or dB) at which an SDR receiver is opened.
#pragma once

#include <QDialog>

#include "sdr/sdr_input.h"

class QCheckBox;
class QDoubleSpinBox;

namespace vantrel {

class SdrOptionsDlg final : public QDialog {
  Q_OBJECT

 public:
  SdrOptionsDlg(const sdr::SdrTuning& tuning, QWidget* parent = nullptr);
  sdr::SdrTuning tuning() const;

 private:
  QDoubleSpinBox* centre_;
  QDoubleSpinBox* rate_;
  QCheckBox* autoGain_;
  QDoubleSpinBox* gain_;
};

}  // namespace vantrel
