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
#include "document/clock.h"
#include "document/vantrel_doc.h"
#include "platform/qt_settings_store.h"

namespace vantrel {
namespace {

QString Readme() {
  QFile file(qEnvironmentVariable("VANTREL_SOURCE_DIR") + "/README.md");
  EXPECT_TRUE(file.open(QIODevice::ReadOnly));
  return QString::fromUtf8(file.readAll());
}

// The lines of the README's section under this heading.
QString Section(const QString& readme, const QString& heading) {
  const qsizetype start = readme.indexOf("\n## " + heading + "\n");
  EXPECT_GE(start, 0) << heading.toStdString();
  const qsizetype end = readme.indexOf("\n## ", start + 1);
  return readme.mid(start, end < 0 ? -1 : end - start);
}

QString Plain(QString text) { return text.remove('&'); }

TEST(ReadmeTables, EverySettingWrittenIsInTheSettingsTableAndCounted) {
  QTemporaryDir dir;
  const HeldClock clock(1178964672);
  CVantrelDoc doc(clock, "/opt/vantrel/");
  doc.satellites[44].positionTime = 1178964672;  // heard: a key of its own
  QtSettingsStore store(dir.path() + "/Vantrel.conf");
  ASSERT_TRUE(doc.SaveSettings(store));
  QStringList keys = QSettings(dir.path() + "/Vantrel.conf", QSettings::IniFormat).allKeys();
  ASSERT_GT(keys.size(), 60);

  const QString settings = Section(Readme(), "Settings");
  QStringList rows;
  for (const QString& line : settings.split('\n'))
    if (line.startsWith("| `")) rows << line.section('|', 1, 1);
  const QString keyColumn = rows.join(' ');
  const QRegularExpression satellite("^Sat(\\d+)$");
  int counted = 0;
  for (const QString& key : keys) {
    const auto match = satellite.match(key);
    const int n = match.hasMatch() ? match.captured(1).toInt() : 0;
    const QString documented = n == 0    ? "`" + key + "`"
                               : n <= 36 ? "`Sat01` .. `Sat36`"
                                         : "`Sat37` .. `Sat255`";
    EXPECT_TRUE(keyColumn.contains(documented)) << key.toStdString() << " is not in the table";
    if (n <= 36) ++counted;
  }
  EXPECT_TRUE(settings.contains(QString("an INI file of %1 values").arg(counted)))
      << counted << " values are written besides the satellites above 36";
}

TEST(ReadmeTables, EveryMenuCommandIsInTheMenuTable) {
  const HeldClock clock(1178964672);
  CVantrelDoc doc(clock, "/opt/vantrel/");
  CMainFrame frame(doc, "Vantrel");
  QStringList rows;
  for (const QString& line : Readme().split('\n'))
    if (line.startsWith("| ")) rows << line;
  int commands = 0;
  for (QAction* top : frame.menuBar()->actions()) {
    const QString title = Plain(top->text());
    const auto row = std::find_if(rows.begin(), rows.end(), [&](const QString& line) {
      return line.startsWith("| " + title + " |");
    });
    ASSERT_NE(row, rows.end()) << "no row for the " << title.toStdString() << " menu";
    // Every item, with the submenus leading to it, is named in the row.
    std::function<void(QMenu*, QStringList)> visit = [&](QMenu* menu, QStringList path) {
      for (QAction* item : menu->actions()) {
        if (item->isSeparator()) continue;
        QString text = Plain(item->text());
        // The four Sources take the inputs' names while running.
        if (menu->title() == "Source") text = "Source 1..4";
        if (item->menu() != nullptr) {
          visit(item->menu(), path << text);
          path.removeLast();
          continue;
        }
        ++commands;
        for (const QString& name : QStringList(path) << text)
          EXPECT_TRUE(row->contains(name))
              << (QStringList(title) + path + QStringList(text)).join(" > ").toStdString()
              << " is not in the menu table";
      }
    };
    visit(top->menu(), {});
  }
  EXPECT_GT(commands, 30);
}

}  // namespace
}  // namespace vantrel
