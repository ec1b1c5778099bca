// The settings file through QSettings in a temporary XDG_CONFIG_HOME.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <csignal>
#include <cstring>

#include "document/home_location.h"
#include "document/settings_store.h"
#include "document/vantrel_doc.h"
#include "platform/qt_settings_store.h"

namespace vantrel {
namespace {

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  ASSERT_EQ(file.write(bytes), bytes.size());
}

class SettingsFile : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(temp_.isValid());
    savedConfigHome_ = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", (temp_.path() + "/config").toLocal8Bit());
  }
  void TearDown() override { qputenv("XDG_CONFIG_HOME", savedConfigHome_); }

  // One program run: a new document loads the file, a save writes it.
  std::unique_ptr<VantrelDoc> Loaded() {
    auto doc = std::make_unique<VantrelDoc>(clock_, "/opt/vantrel/");
    QtSettingsStore store;
    doc->LoadSettings(store);
    return doc;
  }
  static bool Save(VantrelDoc& doc) {
    QtSettingsStore store;
    return doc.SaveSettings(store);
  }

  QTemporaryDir temp_;
  QByteArray savedConfigHome_;
  const QString path_ = temp_.path() + "/config/Vantrel/Vantrel.conf";
  HeldClock clock_{1178964672};  // 2007-05-12 10:11:12
};

TEST_F(SettingsFile, EverythingComesBackAfterARestartAndDamagedFilesLoadWhatReads) {
  auto doc = Loaded();  // no file: the defaults (each one is the core settings tests')
  EXPECT_FALSE(QFile::exists(path_)) << "loading writes nothing";
  doc->homeLatitude = ParseHomeLatitude("N37 11.1");  // not exact in binary: written shortest
  doc->homeLongitude = ParseHomeLongitude("W8 36.0");
  // UTF-8 with the format's special characters; a path that is not UTF-8 is kept byte for byte.
  doc->logDirectory = "/srv/" + std::string(400, 'x') + "/\xC3\xA9l\xC3\xA9ments, \"new\"; [1]/";
  doc->tleFile = "/home/op/\xE9t\xE9.tle";
  SatelliteTable& table = doc->interpreter().satellites();
  table[12] = {137.5, 12.345678901234567, -40.25, 1178964672, 0xA5A5A5A5u};
  doc->feed = {1, "broker.example", 8883, "vantrel", "Adelaide 2", "op", "p=w; \"x\"", 1};
  doc->sdrTuning.centreHz = 137e6;  // whole Hz as an integer, not 1.37e+08
  doc->sdrTuning.device = "driver=rtlsdr,serial=00000001";
  doc->sdrTuning.ppm = -1.5;
  ASSERT_TRUE(Save(*doc));
  // It may hold the broker password: neither group nor others may read it or its folder.
  EXPECT_EQ(QFile::permissions(path_) & 0x0FFF, QFileDevice::ReadUser | QFileDevice::WriteUser);
  EXPECT_EQ(QFile::permissions(QFileInfo(path_).absolutePath()) & 0x0FFF,
            QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser);
  EXPECT_TRUE(ReadAll(path_).contains("HomeLat=37.185\nHomeLon=-8.6\n"));
  for (const char* line :
       {"SdrCentre=137000000\n", "SdrDevice=\"driver=rtlsdr,serial=00000001\"\n", "SdrPpm=-1.5\n"})
    EXPECT_TRUE(ReadAll(path_).contains(line)) << line;
  auto restored = Loaded();
  EXPECT_EQ(std::tuple(restored->homeLatitude, restored->homeLongitude, restored->logDirectory,
                       restored->tleFile, restored->feed, restored->sdrTuning.device,
                       restored->sdrTuning.ppm, restored->sdrTuning.centreHz),
            std::tuple(doc->homeLatitude, doc->homeLongitude, doc->logDirectory, doc->tleFile,
                       doc->feed, doc->sdrTuning.device, doc->sdrTuning.ppm, 137e6));
  const SatelliteTable& back = restored->interpreter().satellites();
  EXPECT_EQ(std::memcmp(back.data(), table.data(), sizeof table), 0);

  // Rejected by the format reader: what reads is used, the damaged file is kept beside the new one.
  const QByteArray damaged = "[General\nViewState=2\nHomeLat=\x01\x02\n";
  WriteAll(path_, damaged);
  doc = Loaded();
  EXPECT_EQ(std::pair(doc->viewState, doc->homeLatitude), std::pair(kChartScreen, -34.5));
  EXPECT_EQ(ReadAll(path_ + ".damaged"), damaged);
  EXPECT_EQ(QFile::permissions(path_ + ".damaged") & 0x0FFF,
            QFileDevice::ReadUser | QFileDevice::WriteUser)
      << "the damaged copy may hold the password too";
  ASSERT_TRUE(Save(*doc));
  EXPECT_EQ(Loaded()->viewState, 2);

  // Hand-edited texts that are not this kind of number or record keep their defaults.
  SatelliteRecord heard{137.2875, 12.5, -40.25, 1178964672, 0};
  const QByteArray heardHex = QByteArray(reinterpret_cast<const char*>(&heard), 32).toHex();
  WriteAll(path_,
           "[General]\nRawflag=1\nHomeLat=abc\nHomeLon=1e400\nTrackHistory=12345678901\n"
           "b1A=1, 0\nb1B=0\nb1C=0.5\nb1D=\nSat01=zz" +
               QByteArray(62, '0') + "\nSat03=" + heardHex.toUpper() + "\nTleFlag= 1 \n");
  doc = Loaded();
  EXPECT_EQ(std::tuple(doc->rawFlag, doc->trackHistory, doc->homeLatitude, doc->homeLongitude,
                       doc->tleEnable),
            std::tuple(1, 0, -34.5, 139.0, 1));
  EXPECT_EQ(doc->interpreter().filters(), (PacketFilters{1, 0, 1, 1, 0, 1, 1, 1, 1}));
  EXPECT_FALSE(doc->interpreter().satellites()[1].Heard());
  EXPECT_EQ(std::memcmp(&doc->interpreter().satellites()[3], &heard, 32), 0);
}

// A full disk (a file size limit) fails the save and keeps the previous file, here a damaged one.
TEST_F(SettingsFile, SavesThatCannotWriteKeepThePreviousFile) {
  auto doc = Loaded();
  const QByteArray previous = QByteArray("[General\nViewState=2\n") + QByteArray(3000, '#');
  WriteAll(path_, previous);
  doc->tleFile = std::string(5000, 't');

  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit limited{4096, saved.rlim_max};
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
  EXPECT_FALSE(Save(*doc));
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(ReadAll(path_), previous);
  EXPECT_EQ(QDir(QFileInfo(path_).absolutePath()).entryList(QDir::Files),
            QStringList({"Vantrel.conf", "Vantrel.conf.damaged"}))
      << "no temporary file left behind, only the damaged copy";
}

}  // namespace
}  // namespace vantrel
