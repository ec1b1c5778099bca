// vantrel --start with an SDR source: the test SoapySDR receiver playing a
// synthesized band of four satellites, and the same band as an IQ
// recording given with --input. The daily log must hold what vantrel-decode
// finds in the band, in the same order; the test receiver's unplugging at
// the end of its file must stop capture without harm; a receiver or an
// input whose data stops must not keep the program from ending.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QElapsedTimer>
#include <QTemporaryDir>

#include "e2e/program.h"
#include "synth/band_synth.h"

namespace vantrel {
namespace {

constexpr double kRate = 240000.0;

TEST(SdrCapture, StartedProgramLogsEverySatelliteOfTheBandFromAReceiverOrARecording) {
  if (!QFile::exists(test::ProgramPath())) GTEST_SKIP() << "needs the program";
  QTemporaryDir home;
  const QString iqFile = home.path() + "/band.cf32";
  std::vector<synth::BandSatellite> satellites;
  const double channels[] = {-75e3, -25e3, 30e3, 80e3};
  for (int i = 0; i < 4; ++i) {
    satellites.push_back(
        {.channelHz = channels[i],
         .ebN0Db = 14.0,
         .leadInBits = 300 * i,
         .packets = synth::DownlinkPackets(5 + 3 * i, 240, static_cast<std::uint32_t>(i + 1))});
  }
  const auto band =
      synth::SynthesizeBand(satellites, {.sampleRate = kRate, .seconds = 5.5, .noiseRms = 0.02});
  const auto bytes = synth::EncodeIq(band, sdr::IqFormat::Cf32);
  QFile file(iqFile);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
  file.close();
  const QStringList iqArgs = {iqFile,      "--iq-format",          "cf32",
                              "--iq-rate", QString::number(kRate), "--center-freq",
                              "137.5e6"};
  QProcess tool;  // its log, read as the program's is
  tool.start(QString(std::getenv("VANTREL_BIN_DIR")) + "/vantrel-decode",
             QStringList{"--log-dir", home.path(), "--iq"} + iqArgs);
  tool.waitForFinished(60000);
  const std::vector<std::string> expected = test::LoggedLines(home.path());
  // Every satellite's sync packets, about eleven each.
  ASSERT_GE(expected.size(), 40u);

  // From the test receiver (the SDR is Source 1 when no audio server answers), then the file.
  for (const QStringList& args :
       {QStringList{"--start"}, QStringList{"--input"} + iqArgs + QStringList{"--start"}}) {
    SCOPED_TRACE(args.join(' ').toStdString());
    const QString config = home.path() + "/config" + QString::number(args.size());
    const QString logDir = config + "/logs";
    ASSERT_TRUE(QDir().mkpath(logDir));
    QProcess vantrel;
    test::Start(
        vantrel,
        test::Desktop(config,
                      ("LogDirectory=" + logDir +
                       "/\nLogflag=1\nSoundcardoption=0\nSdrRate=" + QString::number(kRate) + "\n")
                          .toUtf8(),
                      iqFile),
        args);
    test::Eventually([&] { return test::LoggedLines(logDir).size() >= expected.size(); }, 20000);
    EXPECT_EQ(test::LoggedLines(logDir), expected);
    EXPECT_EQ(test::Stop(vantrel), 0);
  }
}

// The test receiver's file and the --input file are pipes whose writer
// stays silent: reads block inside the driver or fread. SIGTERM must still
// end the program within 2 s.
TEST(SdrCapture, AStalledReceiverOrInputDoesNotHoldUpTheExit) {
  if (!QFile::exists(test::ProgramPath())) GTEST_SKIP() << "needs the program";
  QTemporaryDir home;
  const QString fifo = home.path() + "/band.fifo";
  ASSERT_EQ(mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
  // Read-write: never blocks, and keeps the pipe open with nothing in it.
  const int writer = ::open(fifo.toLocal8Bit().constData(), O_RDWR);
  ASSERT_GE(writer, 0);
  for (const QStringList& args :
       {QStringList{"--start"}, QStringList{"--input", fifo, "--iq-format", "cf32", "--iq-rate",
                                            QString::number(kRate), "--start"}}) {
    SCOPED_TRACE(args.join(' ').toStdString());
    QProcess vantrel;
    test::Start(vantrel, test::Desktop(home.path() + "/config", {}, fifo), args);
    QThread::sleep(3);  // capture runs, its thread blocked in a read
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(test::Stop(vantrel), 0);
    EXPECT_LT(timer.elapsed(), 2000);
  }
  ::close(writer);
}

}  // namespace
}  // namespace vantrel
