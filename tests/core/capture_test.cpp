// Capture against a fake wave-input device whose buffers are filled by the
// same queue the real device uses: start, poll, stop and each start failure.
#include <gtest/gtest.h>

#include <map>

#include "audio/wave_queue.h"
#include "document/vantrel_doc.h"
#include "support/packet_builder.h"
#include "support/signal_synth.h"

namespace vantrel {
namespace {

class FakeHost final : public DocumentHost {
 public:
  void UpdateAllViews() override { ++redraws; }
  void SetMainWindowTitle(const std::string& title) override { titles.push_back(title); }
  std::uint32_t SetViewTimer(int eventId, int ms) override {
    timers[nextId] = {eventId, ms};
    return nextId++;
  }
  void KillViewTimer(std::uint32_t id) override {
    killed.push_back(id);
    timers.erase(id);
  }
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void ClearTrackHistory() override {}

  int redraws = 0;
  std::vector<std::string> titles;
  std::map<std::uint32_t, std::pair<int, int>> timers;
  std::vector<std::uint32_t> killed;
  std::vector<std::string> messages;
  std::uint32_t nextId = 101;
};

// A device whose calls can be told to fail; Fill plays audio into it.
class FakeWaveIn final : public WaveIn {
 public:
  int DeviceCount() override { return static_cast<int>(names.size()); }
  int GetDeviceCaps(int id, WaveInCaps& caps) override {
    if (id == capsFailsFor) return kWaveErrorUnspecified;
    caps.productName = names.at(static_cast<std::size_t>(id));
    return kWaveOk;
  }
  int Open(int id, const WaveFormat& format) override {
    calls.push_back("open " + std::to_string(id));
    if (openResult != kWaveOk) return openResult;
    if (!format.IsCaptureFormat()) return kWaveBadFormat;
    open = true;
    return kWaveOk;
  }
  int PrepareHeader(WaveHeader& header) override {
    if (prepareFails-- == 0) return kWaveNoMemory;
    return PrepareWaveHeader(header);
  }
  int AddBuffer(WaveHeader& header) override {
    if (addFails-- == 0) return kWaveInvalidParam;
    return queue.Add(header);
  }
  int Start() override {
    calls.push_back("start");
    return startResult;
  }
  int Reset() override {
    calls.push_back("reset");
    queue.ReturnAll();
    return kWaveOk;
  }
  int UnprepareHeader(WaveHeader& header) override {
    calls.push_back("unprepare");
    return UnprepareWaveHeader(header);
  }
  int Close() override {
    calls.push_back("close");
    open = false;
    return queue.empty() ? kWaveOk : kWaveStillPlaying;
  }
  void Fill(const std::vector<std::uint8_t>& audio) { queue.Fill(audio.data(), audio.size()); }
  void Fail(int code) { ReportFailure(code); }

  std::vector<std::string> names;
  int capsFailsFor = -1;
  int openResult = kWaveOk;
  int prepareFails = -1;  // index of the buffer whose preparation fails
  int addFails = -1;
  int startResult = kWaveOk;
  bool open = false;
  WaveQueue queue;
  std::vector<std::string> calls;
};

class Capture : public ::testing::Test {
 protected:
  Capture() : clock_(1178964672), doc_(clock_, "/nonexistent/") {
    doc_.SetHost(&host_);
    doc_.waveIn = &wave_;
    doc_.logFlag = 0;
  }

  void ExpectStoppedAndUntouched() {
    EXPECT_EQ(doc_.captureRunning, 0);
    EXPECT_TRUE(host_.titles.empty());
    EXPECT_TRUE(host_.timers.empty());
    EXPECT_EQ(host_.redraws, 0);
  }

  HeldClock clock_;
  FakeHost host_;
  FakeWaveIn wave_;
  CVantrelDoc doc_;
};

TEST_F(Capture, StartQueuesFourBuffersAndSetsTimersTitleAndRing) {
  doc_.ringWriteIndex = 1234;
  doc_.currentCaptureBuffer = 3;
  doc_.StartCapture();

  EXPECT_EQ(wave_.calls, (std::vector<std::string>{"open -1", "start"}));
  EXPECT_EQ(wave_.queue.size(), 4u);
  for (int i = 0; i < 4; ++i) {
    ASSERT_TRUE(doc_.captureHeaders[i]);
    EXPECT_EQ(doc_.captureHeaders[i]->data, doc_.captureBuffers[i].data());
    EXPECT_EQ(doc_.captureHeaders[i]->bufferLength, 48000u);
  }
  EXPECT_EQ(doc_.captureRunning, 1);
  EXPECT_EQ(doc_.currentCaptureBuffer, 0);
  EXPECT_EQ(doc_.ringWriteIndex, 0);
  EXPECT_EQ(host_.titles, (std::vector<std::string>{"Vantrel from Brennick - processing live signals"}));
  EXPECT_EQ(host_.timers.at(doc_.pollTimerId), std::make_pair(1, 500));
  EXPECT_EQ(host_.timers.at(doc_.refreshTimerId), std::make_pair(2, 2000));
  EXPECT_EQ(host_.redraws, 1);
  EXPECT_TRUE(host_.messages.empty());
}

TEST_F(Capture, OpensTheSelectedSlotsDevice) {
  wave_.names = {"Card A", "Card B"};
  doc_.EnumerateSoundCards();
  doc_.soundCardSlot = 1;
  doc_.StartCapture();
  doc_.StopCapture();
  doc_.soundCardSlot = 3;  // a slot with no device opens the default input
  doc_.StartCapture();
  doc_.soundCardSlot = 77;  // a damaged setting too, without reading past the slots
  doc_.StopCapture();
  doc_.StartCapture();
  std::vector<std::string> opens;
  for (const auto& call : wave_.calls)
    if (call.rfind("open", 0) == 0) opens.push_back(call);
  EXPECT_EQ(opens, (std::vector<std::string>{"open 1", "open -1", "open -1"}));
}

TEST_F(Capture, PollTakesBuffersInOrderAndDecodesThem) {
  doc_.StartCapture();
  // Seconds with distinct levels show which buffer each poll copied.
  for (int second = 0; second < 6; ++second) {
    const int expectedIndex = second % 4;
    EXPECT_EQ(doc_.currentCaptureBuffer, expectedIndex);
    wave_.Fill(std::vector<std::uint8_t>(48000, static_cast<std::uint8_t>(10 + second)));
    EXPECT_NE(doc_.captureHeaders[expectedIndex]->flags & kWaveHeaderDone, 0u);
    doc_.PollCapture();
    EXPECT_EQ(doc_.processingBuffer.front(), 10 + second);
    EXPECT_EQ(doc_.processingBuffer.back(), 10 + second);
    // Queued again at once: not done, back at the end of the device's queue.
    EXPECT_EQ(doc_.captureHeaders[expectedIndex]->flags & kWaveHeaderDone, 0u);
    EXPECT_EQ(wave_.queue.size(), 4u);
    // A second tick in the same second finds the next buffer unfinished.
    doc_.PollCapture();
    EXPECT_EQ(doc_.currentCaptureBuffer, (second + 1) % 4);
  }
  EXPECT_EQ(doc_.ring[0], 15 - 128);  // the decoder saw the samples
}

TEST_F(Capture, UnfinishedBufferIsLookedAtAgain) {
  doc_.StartCapture();
  wave_.Fill(std::vector<std::uint8_t>(47999, 200));
  doc_.PollCapture();
  EXPECT_EQ(doc_.currentCaptureBuffer, 0);
  EXPECT_EQ(doc_.processingBuffer.front(), 128);
  wave_.Fill({200});
  doc_.PollCapture();
  EXPECT_EQ(doc_.currentCaptureBuffer, 1);
  EXPECT_EQ(doc_.processingBuffer.front(), 200);
}

TEST_F(Capture, PacketsPlayedIntoTheDeviceComeOutAsLines) {
  using test::WithChecksum;
  doc_.polarity = 0;
  test::SynthOptions options;
  options.leadInSamples = 30000;
  options.idleBits = 500;
  options.noise = 4.0;
  auto audio = test::SynthesizePackets(
      {WithChecksum({0x65, 0xA8, 0xF9, 0x0C, 0x00, 0xC8, 0x30, 0, 0, 0}),
       WithChecksum({0x1D, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09})},
      options);
  audio.resize(3 * 48000, 128);  // a packet shows once a second of audio follows it
  doc_.StartCapture();
  // The device delivers in odd-sized pieces; the poll runs twice a second.
  for (std::size_t at = 0; at < audio.size(); at += 24000) {
    wave_.Fill(std::vector<std::uint8_t>(audio.begin() + static_cast<long>(at),
                                         audio.begin() + static_cast<long>(at + 24000)));
    doc_.PollCapture();
  }
  EXPECT_EQ(doc_.MessagesInArrivalOrder(),
            (std::vector<std::string>{"Spacecraft FM-12 137.5000MHz frame 03",
                                      "Network Control 010203040506070809"}));
}

TEST_F(Capture, StartThenStopReleasesEverything) {
  doc_.StartCapture();
  const auto poll = doc_.pollTimerId, refresh = doc_.refreshTimerId;
  doc_.StopCapture();

  EXPECT_EQ(doc_.captureRunning, 0);
  EXPECT_EQ(wave_.calls, (std::vector<std::string>{"open -1", "start", "reset", "unprepare", "unprepare",
                                                   "unprepare", "unprepare", "close"}));
  EXPECT_FALSE(wave_.open);
  for (const auto& header : doc_.captureHeaders) EXPECT_FALSE(header);
  EXPECT_EQ(host_.killed, (std::vector<std::uint32_t>{refresh, poll}));
  EXPECT_TRUE(host_.timers.empty());
  EXPECT_EQ(host_.titles.back(), "Vantrel from Brennick - processing stopped");

  // A tick that was already queued when the timers died touches nothing.
  doc_.PollCapture();
  EXPECT_EQ(doc_.currentCaptureBuffer, 0);
}

TEST_F(Capture, StopWhileStoppedOnlySetsTheTitle) {
  doc_.StopCapture();
  EXPECT_TRUE(wave_.calls.empty());
  EXPECT_TRUE(host_.killed.empty());
  EXPECT_EQ(host_.titles, (std::vector<std::string>{"Vantrel from Brennick - processing stopped"}));
}

TEST_F(Capture, OpenFailureShowsOneMessageAndChangesNothing) {
  for (const auto& [code, text] : std::vector<std::pair<int, std::string>>{
           {kWaveBadDeviceId, "On opening the wave device..device ID out of range"},
           {kWaveAllocated, "On opening the wave device..device already allocated"},
           {kWaveNoDriver, "On opening the wave device..no device driver present"},
           {kWaveBadFormat, "On opening the wave device..Unknown error"}}) {
    host_.messages.clear();
    wave_.openResult = code;
    doc_.StartCapture();
    EXPECT_EQ(host_.messages, std::vector<std::string>{text});
    ExpectStoppedAndUntouched();
    EXPECT_FALSE(doc_.captureHeaders[0]);
  }
  EXPECT_EQ(wave_.calls.size(), 4u);  // only the opens: nothing to close
}

TEST_F(Capture, NoAudioSystemReadsAsNoDriver) {
  doc_.waveIn = nullptr;
  doc_.StartCapture();
  EXPECT_EQ(host_.messages, std::vector<std::string>{"On opening the wave device..no device driver present"});
  ExpectStoppedAndUntouched();
  doc_.PollCapture();
  doc_.EnumerateSoundCards();
  EXPECT_EQ(doc_.deviceId[0], -1);
}

TEST_F(Capture, EarlyBufferFailuresAreReportedAndStartGoesOn) {
  wave_.prepareFails = 1;  // buffer 1 unprepared, so adding it fails too
  wave_.addFails = 2;
  doc_.StartCapture();
  EXPECT_EQ(host_.messages, (std::vector<std::string>{"On preparing buffer ..memory allocation error",
                                                      "On adding buffer ..Unknown error",
                                                      "On adding buffer ..invalid parameter passed"}));
  EXPECT_EQ(doc_.captureRunning, 1);
  EXPECT_EQ(wave_.queue.size(), 2u);
  // Capture goes on with the two queued buffers, in the device's order.
  for (int second = 0; second < 4; ++second) {
    wave_.Fill(std::vector<std::uint8_t>(48000, static_cast<std::uint8_t>(10 + second)));
    doc_.PollCapture();
    EXPECT_EQ(doc_.processingBuffer.front(), 10 + second);
    EXPECT_EQ(doc_.currentCaptureBuffer, second % 2 == 0 ? 1 : 0);
  }
  doc_.StopCapture();
  EXPECT_FALSE(wave_.open);
}

TEST_F(Capture, LastBufferOrStartFailureClosesTheDeviceAndStaysStopped) {
  for (const bool startFails : {false, true}) {
    SCOPED_TRACE(startFails ? "start fails" : "last add fails");
    host_ = FakeHost{};
    wave_.calls.clear();
    wave_.addFails = startFails ? -1 : 3;
    wave_.startResult = startFails ? kWaveErrorUnspecified : kWaveOk;
    doc_.StartCapture();
    EXPECT_EQ(host_.messages, std::vector<std::string>{startFails
                                                           ? "On starting recording..unspecified error"
                                                           : "On adding buffer ..invalid parameter passed"});
    ExpectStoppedAndUntouched();
    EXPECT_FALSE(wave_.open);
    EXPECT_TRUE(wave_.queue.empty());
    for (const auto& header : doc_.captureHeaders) EXPECT_FALSE(header);
    EXPECT_EQ(wave_.calls.back(), "close");
    doc_.PollCapture();
  }
}

TEST_F(Capture, DeviceFailureWhileRunningStopsAndReportsOnce) {
  doc_.StartCapture();
  wave_.Fail(kWaveNoDriver);
  EXPECT_EQ(doc_.captureRunning, 0);
  EXPECT_FALSE(wave_.open);
  EXPECT_TRUE(host_.timers.empty());
  EXPECT_EQ(host_.titles.back(), "Vantrel from Brennick - processing stopped");
  EXPECT_EQ(host_.messages, std::vector<std::string>{"On recording..no device driver present"});
  wave_.Fail(kWaveNoDriver);
  EXPECT_EQ(host_.messages.size(), 1u);
}

TEST(WaveErrors, DescriptionsByCode) {
  EXPECT_EQ(WaveErrorText(1), "unspecified error");
  EXPECT_EQ(WaveErrorText(12), "handle being used simultaneously on another thread (eg callback)");
  EXPECT_EQ(WaveErrorText(20), "driver does not call DriverCallback");
  for (int code : {0, 21, 32, 34, -1}) EXPECT_EQ(WaveErrorText(code), "Unknown error");
}

TEST(SoundCards, FirstFourReadableDevicesFillTheirOwnSlots) {
  HeldClock clock;
  CVantrelDoc doc(clock, "/x/");
  FakeWaveIn wave;
  wave.names = {"A", "B", "C", "D", "E", "F"};
  wave.capsFailsFor = 1;
  doc.waveIn = &wave;
  doc.EnumerateSoundCards();
  EXPECT_EQ(doc.deviceId, (std::array<int, 5>{0, -1, 2, 3, -1}));
  EXPECT_EQ(doc.deviceName, (std::array<std::string, 5>{"A", "", "C", "D", ""}));
}

}  // namespace
}  // namespace vantrel
