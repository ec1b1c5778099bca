// The desktop program capturing from a real audio server: the test command's
// PulseAudio pipe source is fed from $VANTREL_AUDIO_FIFO at the sound card's
// rate, vantrel --start records it, and its daily log must hold the packets
// that were sent.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "support/packet_builder.h"
#include "support/signal_synth.h"

namespace vantrel {
namespace {

QCoreApplication& App() {
  static int argc = 1;
  static char name[] = "e2e_tests";
  static char* argv[] = {name, nullptr};
  static QCoreApplication* app = QCoreApplication::instance() ? nullptr : new QCoreApplication(argc, argv);
  return app ? *app : *QCoreApplication::instance();
}

// Only one test at a time may feed the pipe source.
class FifoLock {
 public:
  explicit FifoLock(const std::string& fifo) : fd_(::open((fifo + ".lock").c_str(), O_CREAT | O_RDWR, 0600)) {
    if (fd_ >= 0) ::flock(fd_, LOCK_EX);
  }
  ~FifoLock() {
    if (fd_ >= 0) ::close(fd_);
  }

 private:
  int fd_;
};

std::string SourceOutputs() {
  QProcess p;
  p.start("pactl", {"list", "source-outputs", "short"});
  p.waitForFinished(5000);
  return p.readAllStandardOutput().toStdString();
}

// Network control packets numbered k, each sent upright and then inverted,
// so that whichever polarity the receiver holds one copy decodes.
std::vector<test::Packet> NumberedPackets(int count, std::vector<std::string>* lines) {
  std::vector<test::Packet> packets;
  for (int k = 1; k <= count; ++k) {
    test::Packet p = test::WithChecksum({0x1D, static_cast<std::uint8_t>(k), 0xA5, 0x5A, 0x0F, 0xF0,
                                         0x33, 0xCC, static_cast<std::uint8_t>(0x80 + k), 0x01});
    char text[64];
    std::snprintf(text, sizeof text, "Network Control %02X%02X%02X%02X%02X%02X%02X%02X%02X", p[1], p[2], p[3],
                  p[4], p[5], p[6], p[7], p[8], p[9]);
    lines->push_back(text);
    packets.push_back(p);
  }
  return packets;
}

std::vector<std::uint8_t> Render(const std::vector<test::Packet>& packets) {
  std::vector<std::uint8_t> audio(24000, 128);  // half a second of mid level
  for (const auto& packet : packets) {
    for (const bool inverted : {false, true}) {
      test::SynthOptions options;
      options.inverted = inverted;
      options.noise = 3.0;
      options.idleBits = 600;
      options.seed = static_cast<std::uint32_t>(packet[1] * 2 + inverted);
      const auto part = test::SynthesizePackets({packet}, options);
      audio.insert(audio.end(), part.begin(), part.end());
    }
  }
  audio.insert(audio.end(), 3 * 48000, 128);  // the ring needs a second behind the last packet
  return audio;
}

// Logged lines without their time stamps, consecutive repeats counted once
// (the first packet can decode in both copies while the polarity settles).
std::vector<std::string> LoggedLines(const QString& dir) {
  std::vector<std::string> lines;
  for (const QString& name : QDir(dir).entryList({"orbcomm??????.log"}, QDir::Files, QDir::Name)) {
    QFile file(dir + "/" + name);
    if (!file.open(QIODevice::ReadOnly)) continue;
    for (const QByteArray& raw : file.readAll().split('\n')) {
      QByteArray line = raw.trimmed();
      const int stamp = line.lastIndexOf('[');
      if (stamp > 0) line.truncate(stamp);
      if (line.isEmpty()) continue;
      if (lines.empty() || lines.back() != line.toStdString()) lines.push_back(line.toStdString());
    }
  }
  return lines;
}

TEST(LiveCapture, StartedProgramLogsThePacketsPlayedIntoTheSoundCard) {
  const char* fifoPath = std::getenv("VANTREL_AUDIO_FIFO");
  const char* binDir = std::getenv("VANTREL_BIN_DIR");
  if (fifoPath == nullptr || binDir == nullptr) GTEST_SKIP() << "needs the test audio server";
  const QString program = QString(binDir) + "/vantrel";
  if (!QFile::exists(program)) GTEST_SKIP() << "desktop program not built";
  App();
  FifoLock lock(fifoPath);

  // Empty what an earlier run left in the FIFO.
  if (int r = ::open(fifoPath, O_RDONLY | O_NONBLOCK); r >= 0) {
    char scrap[4096];
    while (::read(r, scrap, sizeof scrap) > 0) {
    }
    ::close(r);
  }

  QTemporaryDir home;
  ASSERT_TRUE(home.isValid());
  const QString logDir = home.path() + "/logs";
  ASSERT_TRUE(QDir().mkpath(logDir));
  ASSERT_TRUE(QDir().mkpath(home.path() + "/config/Vantrel"));
  QFile settings(home.path() + "/config/Vantrel/Vantrel.conf");
  ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
  settings.write(("[General]\nLogDirectory=" + logDir + "/\nLogflag=1\n").toUtf8());
  settings.close();

  std::vector<std::string> expected;
  const auto audio = Render(NumberedPackets(12, &expected));

  QProcess vantrel;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("XDG_CONFIG_HOME", home.path() + "/config");
  env.insert("QT_QPA_PLATFORM", "offscreen");
  vantrel.setProcessEnvironment(env);
  vantrel.setProcessChannelMode(QProcess::ForwardedChannels);
  vantrel.start(program, {"--start"});
  ASSERT_TRUE(vantrel.waitForStarted(10000));

  // Recording has begun once the server lists the program's stream.
  const QDeadlineTimer up(15000);
  while (SourceOutputs().empty() && !up.hasExpired()) QThread::msleep(100);
  ASSERT_FALSE(SourceOutputs().empty()) << "vantrel did not start recording";

  // Written at 48000 bytes a second, a tenth of a second at a time.
  const int fd = ::open(fifoPath, O_WRONLY);
  ASSERT_GE(fd, 0);
  QElapsedTimer clock;
  clock.start();
  std::size_t sent = 0;
  while (sent < audio.size()) {
    const std::size_t due = std::min(audio.size(), static_cast<std::size_t>(clock.elapsed()) * 48 + 4800);
    while (sent < due) {
      const ssize_t n = ::write(fd, audio.data() + sent, due - sent);
      ASSERT_GT(n, 0);
      sent += static_cast<std::size_t>(n);
    }
    QThread::msleep(100);
  }
  ::close(fd);

  const QDeadlineTimer done(10000);
  while (LoggedLines(logDir).size() < expected.size() && !done.hasExpired()) QThread::msleep(200);
  EXPECT_EQ(LoggedLines(logDir), expected);

  ::kill(static_cast<pid_t>(vantrel.processId()), SIGTERM);
  ASSERT_TRUE(vantrel.waitForFinished(10000));
  EXPECT_EQ(vantrel.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(vantrel.exitCode(), 0);
}

}  // namespace
}  // namespace vantrel
