// The settings file through QSettings in a temporary XDG_CONFIG_HOME: the
// first run, exact round trips, damaged or hand-edited files, a directory
// that cannot be written and a save that fails half-way.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstring>

#include "document/commands.h"
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
  file.write(bytes);
}

void ExpectDefaults(const CVantrelDoc& doc) {
  EXPECT_EQ(doc.viewState, 0);
  EXPECT_EQ(doc.soundCardSlot, 0);
  EXPECT_EQ(doc.homeLatitude, -34.5);
  EXPECT_EQ(doc.homeLongitude, 139.0);
  EXPECT_EQ(doc.logFlag, 1);
  EXPECT_EQ(doc.rawFlag, 0);
  EXPECT_EQ(doc.trackHistory, 0);
  EXPECT_EQ(doc.filters, (std::array<int, 8>{1, 1, 1, 1, 0, 1, 1, 1}));
  EXPECT_EQ(doc.tleEnable, 0);
  for (int n = 1; n <= kSatelliteCount; ++n) EXPECT_FALSE(doc.satellites[n].Heard()) << n;
  EXPECT_EQ(doc.logDirectory, "/opt/vantrel/Log files/");
  EXPECT_EQ(doc.tleFile, "");
}

// The Home dialog as the user fills it in.
class TypedHome final : public CommandDialogs {
 public:
  bool RunHomeLocation(std::string& latitude, std::string& longitude) override {
    latitude = "N37 11.1";
    longitude = "W8 36.0";
    return true;
  }
  bool RunMessageFilter(std::array<int, 8>&) override { return false; }
  std::optional<std::string> ChooseDirectory(const std::string&, const std::string&) override {
    return std::nullopt;
  }
  std::optional<std::string> ChooseExistingFile(const std::string&, const std::string&) override {
    return std::nullopt;
  }
  bool LaunchMixer(int) override { return false; }
};

class SettingsFile : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(temp_.isValid());
    savedConfigHome_ = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", (temp_.path() + "/config").toLocal8Bit());
    path_ = temp_.path() + "/config/Vantrel/Vantrel.conf";
  }
  void TearDown() override { qputenv("XDG_CONFIG_HOME", savedConfigHome_); }

  std::unique_ptr<CVantrelDoc> NewDoc() {
    return std::make_unique<CVantrelDoc>(clock_, "/opt/vantrel/");
  }
  // A program run: construction loads, destruction saves.
  std::unique_ptr<CVantrelDoc> Loaded() {
    auto doc = NewDoc();
    QtSettingsStore store;
    doc->LoadSettings(store);
    return doc;
  }
  bool Save(CVantrelDoc& doc) {
    QtSettingsStore store;
    return doc.SaveSettings(store);
  }

  QTemporaryDir temp_;
  QByteArray savedConfigHome_;
  QString path_;
  HeldClock clock_{1178964672};  // 2007-05-12 10:11:12
};

TEST_F(SettingsFile, FirstRunHasDefaultsAndTheSaveWritesAll54ReadableValues) {
  EXPECT_EQ(QtSettingsStore::DefaultPath(), path_);
  auto doc = Loaded();
  ExpectDefaults(*doc);
  EXPECT_FALSE(QFile::exists(path_)) << "loading writes nothing";

  ASSERT_TRUE(Save(*doc));
  QSettings file(path_, QSettings::IniFormat);
  EXPECT_EQ(file.allKeys().size(), 54);
  for (const std::string& name : SettingNames())
    EXPECT_TRUE(file.contains(QString::fromStdString(name))) << name;
  EXPECT_EQ(file.value("ViewState").toString(), "0");
  EXPECT_EQ(file.value("HomeLat").toString(), "-34.5");
  EXPECT_EQ(file.value("HomeLon").toString(), "139");
  EXPECT_EQ(file.value("b1E").toString(), "0");
  EXPECT_EQ(file.value("Sat36").toString(), QString(64, '0'));
  EXPECT_EQ(file.value("LogDirectory").toString(), "/opt/vantrel/Log files/");
  EXPECT_EQ(file.value("TleFile").toString(), "");

  ExpectDefaults(*Loaded());
}

TEST_F(SettingsFile, HomeLocationAndLongTextsComeBackExactly) {
  auto doc = NewDoc();
  TypedHome dialogs;
  OnHome(*doc, dialogs);
  doc->logDirectory = "/srv/" + std::string(400, 'x') + "/Log files/";
  doc->tleFile = "/home/op/\xC3\xA9l\xC3\xA9ments, \"new\"; [1].tle";  // UTF-8, INI specials
  const std::string latin1 = "/home/op/\xE9t\xE9.tle";  // not UTF-8: kept byte for byte
  doc->viewState = 2;
  doc->soundCardSlot = 3;
  doc->filters = {0, 0, 1, 1, 1, 1, 0, 0};
  ASSERT_TRUE(Save(*doc));

  const QByteArray text = ReadAll(path_);
  EXPECT_TRUE(text.contains("HomeLat=37.185\n")) << text.constData();
  EXPECT_TRUE(text.contains("HomeLon=-8.6\n")) << text.constData();

  auto restored = Loaded();
  EXPECT_EQ(std::memcmp(&restored->homeLatitude, &doc->homeLatitude, sizeof(double)), 0);
  EXPECT_EQ(std::memcmp(&restored->homeLongitude, &doc->homeLongitude, sizeof(double)), 0);
  EXPECT_EQ(restored->homeLatitude, 37 + 11.1 * 0.016666666666666666);
  EXPECT_EQ(restored->homeLongitude, -(8 + 36.0 * 0.016666666666666666));
  EXPECT_EQ(restored->logDirectory, doc->logDirectory);
  EXPECT_EQ(restored->tleFile, doc->tleFile);
  EXPECT_EQ(restored->viewState, 2);
  EXPECT_EQ(restored->soundCardSlot, 3);
  EXPECT_EQ(restored->filters, doc->filters);

  restored->tleFile = latin1;
  ASSERT_TRUE(Save(*restored));
  EXPECT_EQ(Loaded()->tleFile, latin1);
}

TEST_F(SettingsFile, ASatelliteHeardInOneRunIsListedAfterARestart) {
  auto doc = NewDoc();
  const std::uint8_t sync[12] = {0x65, 0xA8, 0xF9, 0x0C, 0, 0xC8, 0x30, 0, 0, 0, 0x58, 0x9E};
  const std::uint8_t ephemeris[24] = {0x1F, 0x0C, 0x90, 0xD0, 0xCB, 0xC6, 0xAD, 0xB4,
                                      0xC4, 0x0C, 0,    0,    0,    0,    0,    0,
                                      0,    0x40, 0x32, 0x03, 0x78, 0x05, 0x49, 0x78};
  ASSERT_EQ(doc->InterpretPacket(sync), PacketOutcome::Accepted);
  ASSERT_EQ(doc->InterpretPacket(ephemeris), PacketOutcome::Accepted);
  doc->satellites[12].reserved = 0xA5A5A5A5u;
  const std::string row = FormatSatelliteRow(12, doc->satellites[12]);
  ASSERT_NE(row.find("137.5000MHz"), std::string::npos) << row;
  EXPECT_FALSE(QFile::exists(path_)) << "decoding writes no settings";
  ASSERT_TRUE(Save(*doc));

  auto restored = Loaded();
  EXPECT_EQ(FormatSatelliteRow(12, restored->satellites[12]), row);
  EXPECT_EQ(std::memcmp(&restored->satellites[12], &doc->satellites[12], 32), 0);
  EXPECT_EQ(FormatSatelliteRow(11, restored->satellites[11]), "FM-11");
}

TEST_F(SettingsFile, EmptyAndDamagedFilesGiveDefaultsAndAreReplacedAtExit) {
  WriteAll(path_, "");
  ExpectDefaults(*Loaded());

  // Random bytes, with the characters that mean something in the format.
  QByteArray garbage;
  std::uint32_t x = 12345;
  for (int i = 0; i < 4000; ++i) {
    x = x * 1103515245u + 12345u;
    const char specials[] = "[]=\\\"\n,;@\0";
    garbage.append((x >> 28) < 6 ? specials[(x >> 16) % 10] : static_cast<char>(x >> 16));
  }
  WriteAll(path_, garbage);
  auto doc = Loaded();
  ExpectDefaults(*doc);
  doc->viewState = 1;
  ASSERT_TRUE(Save(*doc));
  EXPECT_EQ(Loaded()->viewState, 1);

  // A file the format reader rejects: what reads is used, the rest keeps its
  // default, and the damaged file is kept beside the new one.
  const QByteArray damaged = "[General\nViewState=2\nHomeLat=\x01\x02\n";
  WriteAll(path_, damaged);
  doc = Loaded();
  EXPECT_EQ(doc->viewState, 2);
  EXPECT_EQ(doc->homeLatitude, -34.5);
  EXPECT_EQ(ReadAll(path_ + ".damaged"), damaged);
  ASSERT_TRUE(Save(*doc));
  EXPECT_EQ(Loaded()->viewState, 2);
}

TEST_F(SettingsFile, HandEditedValuesOutOfRangeOrNotNumbersKeepDefaults) {
  SatelliteRecord heard{137.2875, 12.5, -40.25, 1178964672, 0};
  const QByteArray heardHex = QByteArray(reinterpret_cast<const char*>(&heard), 32).toHex();
  WriteAll(path_, "[General]\n"
                  "ViewState=7\nSoundcardoption=9\nLogflag=2\nRawflag=1\n"
                  "HomeLat=abc\nHomeLon=1e400\nTrackHistory=12345678901\n"
                  "b1A=1, 0\nb1B=0\nb1C=0.5\nb1D=\n"
                  "Sat01=zz" + QByteArray(62, '0') + "\nSat02=" + QByteArray(62, '0') +
                  "\nSat03=" + heardHex + "\nSat04=" + heardHex.toUpper() + "00\n"
                  "TleFlag= 1 \nTleFile=/home/op/" + QByteArray(600, 't') + ".tle\n");
  auto doc = Loaded();
  EXPECT_EQ(doc->viewState, 0);
  EXPECT_EQ(doc->soundCardSlot, 0);
  EXPECT_EQ(doc->logFlag, 1);
  EXPECT_EQ(doc->rawFlag, 1);
  EXPECT_EQ(doc->homeLatitude, -34.5);
  EXPECT_EQ(doc->homeLongitude, 139.0);
  EXPECT_EQ(doc->trackHistory, 0);
  EXPECT_EQ(doc->filters, (std::array<int, 8>{1, 0, 1, 1, 0, 1, 1, 1}));
  EXPECT_FALSE(doc->satellites[1].Heard());
  EXPECT_FALSE(doc->satellites[2].Heard());
  EXPECT_EQ(std::memcmp(&doc->satellites[3], &heard, 32), 0);
  EXPECT_FALSE(doc->satellites[4].Heard()) << "33 bytes is not a record";
  EXPECT_EQ(doc->tleEnable, 1);
  EXPECT_EQ(doc->tleFile.size(), 613u);
}

TEST_F(SettingsFile, AConfigDirectoryThatCannotBeWrittenRunsOnDefaults) {
  // A configuration folder under a plain file can be neither read nor made,
  // even by root.
  WriteAll(temp_.path() + "/plain", "not a folder");
  qputenv("XDG_CONFIG_HOME", (temp_.path() + "/plain/config").toLocal8Bit());
  auto doc = Loaded();
  ExpectDefaults(*doc);
  doc->viewState = 3;
  EXPECT_FALSE(Save(*doc));

  // A read-only folder with a good file: loads, and a save leaves the file
  // as it was. Root writes anyway, so only the load is checked then.
  qputenv("XDG_CONFIG_HOME", (temp_.path() + "/config").toLocal8Bit());
  ASSERT_TRUE(Save(*doc));
  const QByteArray before = ReadAll(path_);
  const QString folder = temp_.path() + "/config/Vantrel";
  ASSERT_TRUE(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
  doc = Loaded();
  EXPECT_EQ(doc->viewState, 3);
  if (geteuid() != 0) {
    doc->viewState = 1;
    EXPECT_FALSE(Save(*doc));
    EXPECT_EQ(ReadAll(path_), before);
  }
  QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// A save that cannot write its whole file (a full disk, here a file size
// limit) fails and keeps the previous file byte for byte, also when the
// previous file was damaged.
TEST_F(SettingsFile, ASaveThatFailsHalfWayKeepsThePreviousFile) {
  auto doc = NewDoc();
  ASSERT_TRUE(Save(*doc));
  for (const QByteArray& previous :
       {ReadAll(path_), QByteArray("[General\nViewState=2\n") + QByteArray(3000, '#')}) {
    WriteAll(path_, previous);
    doc->viewState = 3;
    doc->tleFile = std::string(5000, 't');  // larger than the previous file

    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const bool saved_ok = Save(*doc);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(saved_ok);
    EXPECT_EQ(ReadAll(path_), previous);
    EXPECT_EQ(QDir(QFileInfo(path_).absolutePath()).entryList(QDir::Files).filter("Vantrel.conf.").size(),
              previous.startsWith("[General]") ? 0 : 1)
        << "no temporary file left behind, only the damaged copy";
  }
}

}  // namespace
}  // namespace vantrel
