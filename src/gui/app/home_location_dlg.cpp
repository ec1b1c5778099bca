#include "app/home_location_dlg.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace vantrel {

HomeLocationDlg::HomeLocationDlg(QWidget* parent)
    : QDialog(parent), latitude_(new QLineEdit(this)), longitude_(new QLineEdit(this)) {
  setWindowTitle("Home location");
  latitude_->setObjectName("latitude");
  longitude_->setObjectName("longitude");
  auto* grid = new QGridLayout(this);
  auto* latitudeLabel = new QLabel("Latitude (eg N37 11.1)", this);
  auto* longitudeLabel = new QLabel("Longitude (eg W8 36.0)", this);
  latitudeLabel->setBuddy(latitude_);
  longitudeLabel->setBuddy(longitude_);
  grid->addWidget(latitudeLabel, 0, 0, Qt::AlignRight);
  grid->addWidget(latitude_, 0, 1);
  grid->addWidget(longitudeLabel, 1, 0, Qt::AlignRight);
  grid->addWidget(longitude_, 1, 1);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText("OK");
  buttons->button(QDialogButtonBox::Ok)->setObjectName("ok");
  buttons->button(QDialogButtonBox::Cancel)->setText("Cancel");
  buttons->button(QDialogButtonBox::Cancel)->setObjectName("cancel");
  grid->addWidget(buttons, 2, 0, 1, 2);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

QString HomeLocationDlg::latitude() const { return latitude_->text(); }
QString HomeLocationDlg::longitude() const { return longitude_->text(); }
void HomeLocationDlg::setLatitude(const QString& text) { latitude_->setText(text); }
void HomeLocationDlg::setLongitude(const QString& text) { longitude_->setText(text); }

}  // namespace vantrel
