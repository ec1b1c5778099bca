// vantrel --start recording from the test audio server's pipe source, fed at
// the sound card's rate: its daily log must hold the packets that were sent.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include "e2e/program.h"
#include "synth/packet_builder.h"
#include "support/pipe_source.h"
#include "synth/signal_synth.h"

namespace vantrel {
namespace {

bool Recording() {
  QProcess p;
  p.start("pactl", {"list", "source-outputs", "short"});
  return p.waitForFinished(5000) && !p.readAllStandardOutput().isEmpty();
}

TEST(LiveCapture, StartedProgramLogsThePacketsPlayedIntoTheSoundCard) {
  const char* fifo = std::getenv("VANTREL_AUDIO_FIFO");
  if (fifo == nullptr || !QFile::exists(test::ProgramPath())) GTEST_SKIP() << "needs the test audio server and the program";
  test::PipeSource source(fifo);
  ASSERT_TRUE(source.ok());
  QTemporaryDir home;
  const QString logDir = home.path() + "/logs";
  ASSERT_TRUE(QDir().mkpath(logDir) && QDir().mkpath(home.path() + "/config/Vantrel"));
  QFile settings(home.path() + "/config/Vantrel/Vantrel.conf");
  ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
  settings.write(("[General]\nLogDirectory=" + logDir + "/\nLogflag=1\n").toUtf8());
  settings.close();

  // Network control packets numbered k, each upright then inverted so that
  // one copy decodes whichever polarity the receiver holds.
  std::vector<std::string> expected;
  std::vector<std::uint8_t> audio(24000, 128);
  for (int k = 1; k <= 12; ++k) {
    const synth::Packet p = synth::WithChecksum({0x1D, static_cast<std::uint8_t>(k), 0xA5, 0x5A, 0x0F, 0xF0, 0x33,
                                               0xCC, static_cast<std::uint8_t>(0x80 + k), 0x01});
    expected.push_back("Network Control " + QByteArray(reinterpret_cast<const char*>(&p[1]), 9).toHex().toUpper().toStdString());
    for (const bool inverted : {false, true}) {
      const auto part = synth::SynthesizePackets(
          {p}, {.noise = 3.0, .inverted = inverted, .idleBits = 600, .seed = static_cast<std::uint32_t>(k * 2 + inverted)});
      audio.insert(audio.end(), part.begin(), part.end());
    }
  }
  audio.insert(audio.end(), 3 * 48000, 128);  // the ring needs a second behind the last packet

  QProcess vantrel;
  QProcessEnvironment env;
  env.insert("XDG_CONFIG_HOME", home.path() + "/config");
  test::Start(vantrel, env, {"--start"});
  ASSERT_TRUE(test::Eventually(Recording, 15000)) << "vantrel did not start recording";

  // 48000 bytes a second, a tenth of a second at a time.
  QElapsedTimer clock;
  clock.start();
  for (std::size_t sent = 0; sent < audio.size(); QThread::msleep(100)) {
    const std::size_t due = std::min(audio.size(), static_cast<std::size_t>(clock.elapsed()) * 48 + 4800);
    ASSERT_TRUE(source.Write(audio.data() + sent, due - sent));
    sent = due;
  }
  test::Eventually([&] { return test::LoggedLines(logDir).size() >= expected.size(); }, 10000);
  EXPECT_EQ(test::LoggedLines(logDir), expected);
  EXPECT_EQ(test::Stop(vantrel), 0);
}

}  // namespace
}  // namespace vantrel
