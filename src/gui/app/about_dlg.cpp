#include "app/about_dlg.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "app/icons.h"

namespace vantrel {

AboutDlg::AboutDlg(const QString& versionText, QWidget* parent) : QDialog(parent) {
  setWindowTitle("About Vantrel");
  auto* grid = new QGridLayout(this);
  auto* icon = new QLabel(this);
  icon->setPixmap(ProgramPixmap(32));
  grid->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
  auto* version = new QLabel(versionText, this);
  version->setObjectName("version");
  grid->addWidget(version, 0, 1);
  auto* line = new QLabel("Satellite downlink decoder for a VHF receiver", this);
  line->setObjectName("description");
  grid->addWidget(line, 1, 1);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  buttons->button(QDialogButtonBox::Ok)->setText("OK");
  grid->addWidget(buttons, 2, 1, Qt::AlignRight);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
}

}  // namespace vantrel
