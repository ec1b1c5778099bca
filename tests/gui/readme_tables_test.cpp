// The README's settings and menu tables against the program itself: every
// key a real save writes, and every command of the real window's menus.
#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>

#include "app/main_frame.h"
#include "platform/qt_settings_store.h"

namespace vantrel {
namespace {

QString Readme() {
  QFile file(qEnvironmentVariable("VANTREL_SOURCE_DIR") + "/README.md");
  EXPECT_TRUE(file.open(QIODevice::ReadOnly));
  return QString::fromUtf8(file.readAll());
}

// The README's table rows ("| ..."), each as one string.
QStringList TableRows() { return Readme().split('\n').filter(QRegularExpression("^\\| ")); }

TEST(ReadmeTables, EverySettingWrittenIsInTheSettingsTableAndCounted) {
  QTemporaryDir dir;
  const HeldClock clock(1178964672);
  VantrelDoc doc(clock, "/opt/vantrel/");
  doc.interpreter().satellites()[44].positionTime = 1178964672;  // heard: a key of its own
  QtSettingsStore store(dir.path() + "/Vantrel.conf");
  ASSERT_TRUE(doc.SaveSettings(store));
  const QStringList keys = QSettings(store.filePath(), QSettings::IniFormat).allKeys();
  QString keyColumn;  // the first column of the settings table
  for (const QString& row : TableRows().filter(QRegularExpression("^\\| `")))
    keyColumn += row.section('|', 1, 1);
  int counted = 0;
  for (const QString& key : keys) {
    const int n = key.startsWith("Sat") ? key.mid(3).toInt() : 0;
    const QString documented = n == 0    ? "`" + key + "`"
                               : n <= 36 ? "`Sat01` .. `Sat36`"
                                         : "`Sat37` .. `Sat255`";
    EXPECT_TRUE(keyColumn.contains(documented)) << key.toStdString() << " is not in the table";
    counted += n <= 36 ? 1 : 0;
  }
  EXPECT_TRUE(Readme().contains(QString("an INI file of %1 values").arg(counted)))
      << counted << " values besides the satellites above 36";
}

// Each item is named in its menu's row with the submenus leading to it.
void ExpectListed(QMenu* menu, const QString& row, QStringList path, int* commands) {
  for (QAction* item : menu->actions()) {
    // The four Sources take the inputs' names while running.
    const QString text = menu->title() == "Source" ? "Source 1..4" : item->text().remove('&');
    if (item->isSeparator()) continue;
    if (item->menu() != nullptr) {
      ExpectListed(item->menu(), row, path + QStringList(text), commands);
      continue;
    }
    ++*commands;
    for (const QString& name : path + QStringList(text))
      EXPECT_TRUE(row.contains(name))
          << (path + QStringList(text)).join(" > ").toStdString() << " is not in the menu table";
  }
}

TEST(ReadmeTables, EveryMenuCommandIsInTheMenuTable) {
  const HeldClock clock(1178964672);
  VantrelDoc doc(clock, "/opt/vantrel/");
  MainFrame frame(doc, "Vantrel");
  const QStringList rows = TableRows();
  int commands = 0;
  for (QAction* top : frame.menuBar()->actions()) {
    const QString title = top->text().remove('&');
    const QStringList row = rows.filter(QRegularExpression("^\\| " + title + " \\|"));
    ASSERT_EQ(row.size(), 1) << "no row for the " << title.toStdString() << " menu";
    ExpectListed(top->menu(), row[0], {title}, &commands);
  }
  EXPECT_GT(commands, 30);
}

}  // namespace
}  // namespace vantrel
