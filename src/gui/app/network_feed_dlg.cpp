#include "app/network_feed_dlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>

namespace vantrel {

namespace {

QLineEdit* Edit(QWidget* parent, const char* name) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(name);
  return edit;
}

}  // namespace

NetworkFeedDlg::NetworkFeedDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Network feed");
  auto* form = new QFormLayout(this);
  enabled_ = new QCheckBox("Publish every packet", this);
  enabled_->setObjectName("enabled");
  form->addRow(enabled_);
  host_ = Edit(this, "host");
  form->addRow("Broker host:", host_);
  port_ = new QSpinBox(this);
  port_->setObjectName("port");
  port_->setRange(1, 65535);
  form->addRow("Port:", port_);
  topic_ = Edit(this, "topic");
  form->addRow("Topic:", topic_);
  station_ = Edit(this, "station");
  form->addRow("Station name:", station_);
  user_ = Edit(this, "user");
  form->addRow("User (optional):", user_);
  password_ = Edit(this, "password");
  password_->setEchoMode(QLineEdit::Password);
  form->addRow("Password:", password_);
  tls_ = new QCheckBox("Use TLS", this);
  tls_->setObjectName("tls");
  form->addRow(tls_);
  auto* note =
      new QLabel("Packets go to TOPIC/STATION/packets, the status to TOPIC/STATION/status.", this);
  note->setWordWrap(true);
  form->addRow(note);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  form->addRow(buttons);
}

void NetworkFeedDlg::SetSettings(const FeedSettings& s) {
  enabled_->setChecked(s.enabled != 0);
  host_->setText(QString::fromStdString(s.host));
  port_->setValue(s.port);
  topic_->setText(QString::fromStdString(s.topic));
  station_->setText(QString::fromStdString(s.station));
  user_->setText(QString::fromStdString(s.user));
  password_->setText(QString::fromStdString(s.password));
  tls_->setChecked(s.tls != 0);
}

FeedSettings NetworkFeedDlg::Settings() const {
  // Surrounding spaces are typing slips, never part of a host or a topic.
  return {enabled_->isChecked() ? 1 : 0,
          host_->text().trimmed().toStdString(),
          port_->value(),
          topic_->text().trimmed().toStdString(),
          station_->text().trimmed().toStdString(),
          user_->text().toStdString(),
          password_->text().toStdString(),
          tls_->isChecked() ? 1 : 0};
}

}  // namespace vantrel
