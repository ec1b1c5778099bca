// The desktop program's settings across runs ended by SIGTERM or SIGINT,
// which take the File > Exit path.
#include <gtest/gtest.h>

#include <QDir>
#include <QSettings>
#include <QTemporaryDir>

#include "document/satellite_record.h"
#include "document/settings_store.h"
#include "e2e/program.h"
#include "support/private_bus.h"

namespace vantrel {
namespace {

class SettingsRestart : public ::testing::TestWithParam<int> {};

TEST_P(SettingsRestart, AllValuesSavedAtExitAndStoredOnesComeThroughARun) {
  if (!QFile::exists(test::ProgramPath())) GTEST_SKIP() << "desktop program not built";
  QTemporaryDir home;
  test::PrivateBus bus;
  ASSERT_TRUE(home.isValid() && bus.ok());
  const QString path = home.path() + "/config/Vantrel/Vantrel.conf";
  QProcessEnvironment env = bus.Environment();
  env.insert("XDG_CONFIG_HOME", home.path() + "/config");
  // Runs until the document answers on the bus; whether the file existed then.
  const auto run = [&](const QStringList& args) {
    QProcess vantrel;
    test::Start(vantrel, env, args);
    EXPECT_TRUE(test::Eventually([&] { return test::Gdbus(env, 1, 0) == "(<'FM-01'>,)"; }, 10000));
    const bool existed = QFile::exists(path);
    EXPECT_EQ(test::Stop(vantrel, GetParam()), 0);
    return existed;
  };

  EXPECT_FALSE(run({})) << "settings are written only when the program ends";
  SatelliteRecord heard{137.5, 36.869898, 45.000173, 1178964672, 0};
  const QString sat12 = QByteArray(reinterpret_cast<const char*>(&heard), 32).toHex();
  const std::vector<std::pair<QString, QString>> stored = {
      {"ViewState", "3"},
      {"Soundcardoption", "2"},
      {"HomeLat", "37.185"},
      {"HomeLon", "-8.6"},
      {"b1E", "1"},
      {"Sat12", sat12},
      {"TleFile", "/home/op/" + QString(300, 't') + ".tle"},
      {"LogDirectory", home.path() + "/logs/"}};
  {
    QSettings file(path, QSettings::IniFormat);
    EXPECT_EQ(file.allKeys().size(), static_cast<qsizetype>(SettingNames().size()))
        << file.allKeys().join(' ').toStdString();
    EXPECT_EQ(file.value("HomeLat").toString(), "-34.5");
    for (const auto& [key, value] : stored) file.setValue(key, value);
  }
  // A recording given for one run takes Source 1 for that run only.
  run({"--input", QString(std::getenv("VANTREL_SOURCE_DIR")) + "/data/demo.wav"});

  QFile::copy(path, path + ".read");  // a fresh name: QSettings caches what it wrote
  QSettings reread(path + ".read", QSettings::IniFormat);
  EXPECT_EQ(reread.allKeys().size(), static_cast<qsizetype>(SettingNames().size()));
  for (const auto& [key, value] : stored)
    EXPECT_EQ(reread.value(key).toString(), value) << key.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Signals, SettingsRestart, ::testing::Values(SIGTERM, SIGINT),
                         [](const auto& info) {
                           return info.param == SIGTERM ? "SIGTERM" : "SIGINT";
                         });

}  // namespace
}  // namespace vantrel
