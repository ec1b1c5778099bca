// Options > Filter: which packet types produce decoded lines.
#pragma once

#include <QDialog>
#include <array>

#include "decoder/packet_filters.h"

class QCheckBox;

namespace vantrel {

class MessageFilterDlg : public QDialog {
  Q_OBJECT

 public:
  explicit MessageFilterDlg(QWidget* parent = nullptr);

  // Flags in the document's filter order: message, uplink, downlink,
  // network control, fill, ephemeris, elements, sync, other types.
  void SetFlags(const PacketFilters& flags);
  PacketFilters Flags() const;

  // The Default button: every type on but fill packets; the dialog stays open.
  void OnDefault();

 private:
  std::array<QCheckBox*, kFilterCount> boxes_{};
};

}  // namespace vantrel
