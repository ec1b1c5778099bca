#include "app/message_filter_dlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "document/vantrel_doc.h"

namespace vantrel {
namespace {

struct Box {
  int flag;
  const char* name;
  const char* text;
};

// In the order the boxes are shown, top to bottom.
constexpr Box kBoxes[] = {
    {kFilterSync, "sync", "Sync packets"},
    {kFilterMessage, "message", "Message packets"},
    {kFilterUplink, "uplink", "Uplink info packets"},
    {kFilterDownlink, "downlink", "Downlink info packets"},
    {kFilterNetwork, "networkControl", "Network control packets"},
    {kFilterFill, "fill", "Fill packets"},
    {kFilterEphemeris, "ephemeris", "Ephemeris packets"},
    {kFilterElements, "element", "Element packets"},
    {kFilterOther, "other", "Other packet types"},
};

}  // namespace

MessageFilterDlg::MessageFilterDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Message filter");
  auto* layout = new QVBoxLayout(this);
  for (const Box& b : kBoxes) {
    auto* box = new QCheckBox(b.text, this);
    box->setObjectName(b.name);
    boxes_[static_cast<std::size_t>(b.flag)] = box;
    layout->addWidget(box);
  }
  auto* defaults = new QPushButton("Default", this);
  defaults->setObjectName("default");
  defaults->setAutoDefault(false);
  layout->addWidget(defaults, 0, Qt::AlignHCenter);
  connect(defaults, &QPushButton::clicked, this, &MessageFilterDlg::OnDefault);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText("OK");
  buttons->button(QDialogButtonBox::Ok)->setObjectName("ok");
  buttons->button(QDialogButtonBox::Cancel)->setText("Cancel");
  buttons->button(QDialogButtonBox::Cancel)->setObjectName("cancel");
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void MessageFilterDlg::SetFlags(const PacketFilters& flags) {
  for (std::size_t i = 0; i < boxes_.size(); ++i) boxes_[i]->setChecked(flags[i]);
}

PacketFilters MessageFilterDlg::Flags() const {
  PacketFilters flags{};
  for (std::size_t i = 0; i < boxes_.size(); ++i) flags[i] = boxes_[i]->isChecked();
  return flags;
}

void MessageFilterDlg::OnDefault() { SetFlags(kDefaultFilters); }

}  // namespace vantrel
