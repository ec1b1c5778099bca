#include "app/headless_receiver.h"

#include <QCoreApplication>
#include <algorithm>
#include <cstdio>

#include "app/document_lifetime.h"
#include "app/termination_signals.h"
#include "base/text_encoding.h"
#include "document/feed_runner.h"
#include "document/headless_runner.h"

namespace vantrel {

namespace {
// The longest the loop sleeps, so that a capture stopped by the input's own
// callbacks is noticed soon.
constexpr std::int64_t kLongestWaitMs = 250;
}  // namespace

HeadlessReceiver::HeadlessReceiver(CommandLineOptions options, QObject* parent)
    : QObject(parent), options_(std::move(options)) {
  timer_.setSingleShot(true);
  connect(&timer_, &QTimer::timeout, this, &HeadlessReceiver::Tick);
}

HeadlessReceiver::~HeadlessReceiver() {
  timer_.stop();
  // Capture first, so that the band thread ends before anything it feeds.
  if (document_) document_->doc().StopCapture();
  runner_.reset();
  feed_.reset();
  document_.reset();
}

void HeadlessReceiver::Print(const std::string& text) {
  // One line each, in the terminal's UTF-8, whatever the text holds.
  std::string line = Cp1252ToUtf8(text);
  std::replace(line.begin(), line.end(), '\n', ' ');
  std::fprintf(stderr, "vantrel: %s\n", line.c_str());
  if (text == kRecordingEndedText) recordingEnded_ = true;
}

void HeadlessReceiver::Start() {
  signals_ = std::make_unique<TerminationSignals>();
  connect(signals_.get(), &TerminationSignals::terminationRequested, this,
          [] { QCoreApplication::quit(); });
  const std::string programDirectory = QCoreApplication::applicationDirPath().toStdString() + '/';
  document_ = std::make_unique<DocumentLifetime>(clock_, programDirectory, options_);
  VantrelDoc& doc = document_->doc();
  feed_ = std::make_unique<FeedRunner>(doc);
  runner_ = std::make_unique<HeadlessRunner>(
      doc, [this](const std::string& text) { Print(text); }, feed_.get());
  elapsed_.start();
  runner_->Advance(0);  // the feed starts now
  // As the desktop program's --start: a station keeps trying until its
  // input is there.
  doc.RetryCaptureUntilItRuns();
  doc.StartCapture();
  timer_.start(0);  // the first check runs in the event loop, which an exit needs
}

void HeadlessReceiver::Tick() {
  const std::int64_t now = elapsed_.elapsed();
  runner_->Advance(now);
  const VantrelDoc& doc = document_->doc();
  if (!doc.captureRunning && doc.retryTimerId == 0) {
    // Nothing runs and nothing will: the recording is over, or the input
    // failed in a way no retry mends (its message is out already).
    exitCode_ = recordingEnded_ ? 0 : 1;
    QCoreApplication::exit(exitCode_);
    return;
  }
  const std::int64_t next = runner_->NextDue(now);
  timer_.start(static_cast<int>(next < 0 ? kLongestWaitMs : std::min(next, kLongestWaitMs)));
}

}  // namespace vantrel
