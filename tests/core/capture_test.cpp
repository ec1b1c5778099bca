// Capture against a fake wave-input device whose buffers are filled by the
// same queue the real device uses: start, poll, stop and each failure.
#include <gtest/gtest.h>

#include <map>

#include "audio/wave_queue.h"
#include "document/vantrel_doc.h"

namespace vantrel {
namespace {

using Strings = std::vector<std::string>;
const std::string kRunning = "Vantrel from Brennick - processing live signals";
const std::string kStopped = "Vantrel from Brennick - processing stopped";

class FakeHost final : public DocumentHost {
 public:
  void UpdateAllViews() override { ++redraws; }
  void SetMainWindowTitle(const std::string& title) override { titles.push_back(title); }
  std::uint32_t SetViewTimer(int eventId, int ms) override {
    timers[nextId] = {eventId, ms};
    return nextId++;
  }
  void KillViewTimer(std::uint32_t id) override { killed.push_back(id), timers.erase(id); }
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void ClearTrackHistory() override {}
  int redraws = 0;
  Strings titles, messages;
  std::map<std::uint32_t, std::pair<int, int>> timers;
  std::vector<std::uint32_t> killed;
  std::uint32_t nextId = 101;
};

// Each step can be told to fail; Fill plays audio into the queued buffers.
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
    if (openResult != kWaveOk || !format.IsCaptureFormat()) return openResult ? openResult : kWaveBadFormat;
    open = true;
    return kWaveOk;
  }
  int PrepareHeader(WaveHeader& h) override { return prepareFails-- == 0 ? kWaveNoMemory : PrepareWaveHeader(h); }
  int AddBuffer(WaveHeader& h) override { return addFails-- == 0 ? kWaveInvalidParam : queue.Add(h); }
  int Start() override { return calls.push_back("start"), startResult; }
  int Reset() override { return calls.push_back("reset"), queue.ReturnAll(), kWaveOk; }
  int UnprepareHeader(WaveHeader& h) override { return calls.push_back("unprepare"), UnprepareWaveHeader(h); }
  int Close() override {
    calls.push_back("close");
    open = false;
    return queue.empty() ? kWaveOk : kWaveStillPlaying;
  }
  void Fill(std::vector<std::uint8_t> audio) { queue.Fill(audio.data(), audio.size()); }

  Strings names, calls;
  int capsFailsFor = -1, openResult = kWaveOk, startResult = kWaveOk;
  int prepareFails = -1, addFails = -1;  // index of the buffer whose step fails
  bool open = false;
  WaveQueue queue;
};

class Capture : public ::testing::Test {
 protected:
  Capture() : clock_(1178964672), doc_(clock_, "/nonexistent/") {
    doc_.SetHost(&host_);
    doc_.waveIn = &wave_;
    doc_.logFlag = 0;
  }
  // A second of one level shows which buffer a poll took.
  void PlaySecond(int level) { wave_.Fill(std::vector<std::uint8_t>(48000, static_cast<std::uint8_t>(level))); }
  void ExpectStoppedAndUntouched() {
    EXPECT_EQ(doc_.captureRunning, 0);
    EXPECT_TRUE(host_.titles.empty());
    EXPECT_TRUE(host_.timers.empty());
    EXPECT_EQ(host_.redraws, 0);
    EXPECT_FALSE(wave_.open);
    for (const auto& header : doc_.captureHeaders) EXPECT_FALSE(header);
  }

  HeldClock clock_;
  FakeHost host_;
  FakeWaveIn wave_;
  CVantrelDoc doc_;
};

TEST_F(Capture, StartPollAndStop) {
  doc_.ringWriteIndex = 1234;
  doc_.currentCaptureBuffer = 3;
  doc_.StartCapture();
  EXPECT_EQ(wave_.calls, (Strings{"open -1", "start"}));
  EXPECT_EQ(wave_.queue.size(), 4u);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(doc_.captureHeaders[i]->data, doc_.captureBuffers[i].data());
  EXPECT_EQ(doc_.captureRunning, 1);
  EXPECT_EQ(doc_.currentCaptureBuffer, 0);
  EXPECT_EQ(doc_.ringWriteIndex, 0);
  EXPECT_EQ(host_.titles, Strings{kRunning});
  EXPECT_EQ(host_.timers.at(doc_.pollTimerId), std::make_pair(1, 500));
  EXPECT_EQ(host_.timers.at(doc_.refreshTimerId), std::make_pair(2, 2000));
  EXPECT_EQ(host_.redraws, 1);

  // A buffer not yet done is looked at again on the next tick.
  wave_.Fill(std::vector<std::uint8_t>(47999, 10));
  doc_.PollCapture();
  EXPECT_EQ(doc_.currentCaptureBuffer, 0);
  EXPECT_EQ(doc_.processingBuffer.front(), 128);
  wave_.Fill({10});
  for (int second = 0; second < 6; ++second) {
    const int index = second % 4;  // 0, 1, 2, 3, 0, 1
    if (second > 0) PlaySecond(10 + second);
    EXPECT_EQ(doc_.currentCaptureBuffer, index);
    EXPECT_NE(doc_.captureHeaders[index]->flags & kWaveHeaderDone, 0u);
    doc_.PollCapture();
    EXPECT_EQ(doc_.processingBuffer.front(), 10 + second);
    EXPECT_EQ(doc_.processingBuffer.back(), 10 + second);
    EXPECT_EQ(doc_.captureHeaders[index]->flags & kWaveHeaderDone, 0u);  // queued again
    EXPECT_EQ(wave_.queue.size(), 4u);
    doc_.PollCapture();  // the next buffer is not done yet
    EXPECT_EQ(doc_.currentCaptureBuffer, (second + 1) % 4);
  }
  EXPECT_EQ(doc_.ring[0], 15 - 128);  // the decoder saw the samples

  const auto poll = doc_.pollTimerId, refresh = doc_.refreshTimerId;
  wave_.calls.clear();
  doc_.StopCapture();
  EXPECT_EQ(doc_.captureRunning, 0);
  EXPECT_EQ(wave_.calls, (Strings{"reset", "unprepare", "unprepare", "unprepare", "unprepare", "close"}));
  EXPECT_FALSE(wave_.open);
  for (const auto& header : doc_.captureHeaders) EXPECT_FALSE(header);
  EXPECT_EQ(host_.killed, (std::vector<std::uint32_t>{refresh, poll}));
  EXPECT_TRUE(host_.timers.empty());
  EXPECT_EQ(host_.titles.back(), kStopped);
  const int current = doc_.currentCaptureBuffer;
  doc_.PollCapture();  // a tick queued before the timers died touches nothing
  EXPECT_EQ(doc_.currentCaptureBuffer, current);

  // Stop while stopped only sets the title.
  doc_.StopCapture();
  EXPECT_EQ(wave_.calls.size(), 6u);
  EXPECT_EQ(host_.killed.size(), 2u);
  EXPECT_EQ(host_.titles, (Strings{kRunning, kStopped, kStopped}));
  EXPECT_TRUE(host_.messages.empty());
}

TEST_F(Capture, FirstFourReadableDevicesFillTheirSlotsAndTheSlotPicksTheDevice) {
  wave_.names = {"A", "B", "C", "D", "E", "F"};
  wave_.capsFailsFor = 1;
  doc_.EnumerateSoundCards();
  EXPECT_EQ(doc_.deviceId, (std::array<int, 5>{0, -1, 2, 3, -1}));
  EXPECT_EQ(doc_.deviceName, (std::array<std::string, 5>{"A", "", "C", "D", ""}));
  for (const int slot : {2, 1, 77}) {  // a slot with no device, or a damaged setting: the default input
    doc_.soundCardSlot = slot;
    doc_.StartCapture();
    doc_.StopCapture();
  }
  Strings opens;
  for (const auto& call : wave_.calls)
    if (call.starts_with("open")) opens.push_back(call);
  EXPECT_EQ(opens, (Strings{"open 2", "open -1", "open -1"}));
}

TEST_F(Capture, OpenFailureShowsOneMessageAndChangesNothing) {
  for (const auto& [code, text] : std::vector<std::pair<int, std::string>>{
           {kWaveBadDeviceId, "device ID out of range"},
           {kWaveAllocated, "device already allocated"},
           {kWaveNoDriver, "no device driver present"},
           {kWaveBadFormat, "Unknown error"},
           {-1, "no device driver present"}}) {  // no audio system at all
    host_.messages.clear();
    wave_.openResult = code;
    if (code == -1) doc_.waveIn = nullptr;
    doc_.StartCapture();
    EXPECT_EQ(host_.messages, Strings{"On opening the wave device.." + text});
    ExpectStoppedAndUntouched();
  }
  EXPECT_EQ(wave_.calls.size(), 4u);  // only the opens: nothing to close
  doc_.PollCapture();
}

TEST_F(Capture, BufferAndStartFailures) {
  wave_.prepareFails = 1;  // buffer 1 unprepared, so adding it fails too
  wave_.addFails = 2;
  doc_.StartCapture();
  EXPECT_EQ(host_.messages, (Strings{"On preparing buffer ..memory allocation error",
                                     "On adding buffer ..Unknown error",
                                     "On adding buffer ..invalid parameter passed"}));
  // Capture goes on with the two queued buffers, in the device's order.
  EXPECT_EQ(wave_.queue.size(), 2u);
  for (int second = 0; second < 4; ++second) {
    PlaySecond(10 + second);
    doc_.PollCapture();
    EXPECT_EQ(doc_.processingBuffer.front(), 10 + second);
    EXPECT_EQ(doc_.currentCaptureBuffer, second % 2 == 0 ? 1 : 0);
  }
  doc_.StopCapture();
  EXPECT_FALSE(wave_.open);

  // The last buffer or the start failing closes the device again.
  for (const bool startFails : {false, true}) {
    host_ = FakeHost{};
    wave_.addFails = startFails ? -1 : 3;
    wave_.startResult = startFails ? kWaveErrorUnspecified : kWaveOk;
    doc_.StartCapture();
    EXPECT_EQ(host_.messages, Strings{startFails ? "On starting recording..unspecified error"
                                                 : "On adding buffer ..invalid parameter passed"});
    ExpectStoppedAndUntouched();
    EXPECT_TRUE(wave_.queue.empty());
    EXPECT_EQ(wave_.calls.back(), "close");
  }
}

}  // namespace
}  // namespace vantrel
