// vantrel --start with an SDR source: a receiver or an input whose data
// stops must not keep the program from ending. (Decoding a receiver's band
// is the capture and decode tool tests'; the desktop program's log and feed
// from an IQ input are the desktop feed test's.)
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QElapsedTimer>
#include <QTemporaryDir>

#include "e2e/program.h"

namespace vantrel {
namespace {

constexpr double kRate = 240000.0;

// The test receiver's file and the --input file are pipes whose writer
// stays silent: reads block inside the driver or fread. SIGTERM must still
// end the program, with or without a window, within 2 s.
TEST(SdrCapture, AStalledReceiverOrInputDoesNotHoldUpTheExit) {
  if (!QFile::exists(test::ProgramPath())) GTEST_SKIP() << "needs the program";
  QTemporaryDir home;
  const QString fifo = home.path() + "/band.fifo";
  ASSERT_EQ(mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
  // Read-write: never blocks, and keeps the pipe open with nothing in it.
  const int writer = ::open(fifo.toLocal8Bit().constData(), O_RDWR);
  ASSERT_GE(writer, 0);
  for (const QStringList& args : {QStringList{"--start"},
                                  QStringList{"--input", fifo, "--iq-format", "cf32", "--iq-rate",
                                              QString::number(kRate), "--start"},
                                  QStringList{"--headless", "--input", fifo, "--iq-format", "cf32",
                                              "--iq-rate", QString::number(kRate)}}) {
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
