// Capture against a fake wave-input device whose buffers are filled by the
// same queue the real device uses: start, poll, stop and each failure.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <utility>

#include "audio/wave_queue.h"
#include "document/headless_runner.h"
#include "document/vantrel_doc.h"
#include "sdr/sdr_receiver.h"
#include "support/fake_host.h"
#include "synth/band_synth.h"

namespace vantrel {
namespace {

using Strings = std::vector<std::string>;
const std::string kStopped = "Vantrel from Brennick - processing stopped";

// Each step can be told to fail; Fill plays audio into the queued buffers.
class FakeWaveIn final : public WaveIn {
 public:
  int DeviceCount() override { return static_cast<int>(names.size()); }
  int GetDeviceCaps(int id, WaveInCaps& caps) override {
    return id == capsFailsFor ? kWaveErrorUnspecified
                              : (caps.productName = names.at(std::size_t(id)), kWaveOk);
  }
  int Open(int id, const WaveFormat& format) override {
    calls.push_back("open " + std::to_string(id));
    return (open = openResult == kWaveOk && format.IsCaptureFormat()) ? kWaveOk
           : openResult                                               ? openResult
                                                                      : kWaveBadFormat;
  }
  int PrepareHeader(WaveHeader& h) override {
    return prepareFails-- == 0 ? kWaveNoMemory : PrepareWaveHeader(h);
  }
  int AddBuffer(WaveHeader& h) override {
    return addFails-- == 0 ? kWaveInvalidParam : queue.Add(h);
  }
  int Start() override { return calls.push_back("start"), startResult; }
  int Reset() override { return calls.push_back("reset"), queue.ReturnAll(), kWaveOk; }
  int UnprepareHeader(WaveHeader& h) override {
    return calls.push_back("unprepare"), UnprepareWaveHeader(h);
  }
  int Close() override {
    return calls.push_back("close"), open = false, queue.empty() ? kWaveOk : kWaveStillPlaying;
  }
  void Fill(std::vector<std::uint8_t> audio) { queue.Fill(audio.data(), audio.size()); }
  void Fail(int code) { ReportFailure(code); }
  void End() { ReportEnd(); }

  Strings names, calls;
  int capsFailsFor = -1, openResult = kWaveOk, startResult = kWaveOk;
  int prepareFails = -1, addFails = -1;  // index of the buffer whose step fails
  bool open = false;
  WaveQueue queue;
};

class Capture : public ::testing::Test {
 protected:
  Capture() { doc_.SetHost(&host_), doc_.soundCard().SetWaveIn(&wave_), doc_.logFlag = 0; }
  // A second of one level shows which buffer a poll took.
  void PlaySecond(int level) {
    wave_.Fill(std::vector<std::uint8_t>(48000, static_cast<std::uint8_t>(level)));
  }
  void ExpectStoppedAndUntouched() {
    EXPECT_EQ(std::tuple(doc_.captureRunning, host_.titles.size(), host_.timers.size(),
                         host_.redraws, wave_.open),
              std::tuple(0, std::size_t{0}, std::size_t{0}, 0, false));
    EXPECT_FALSE(doc_.soundCard().isOpen());
  }

  HeldClock clock_{1178964672};
  FakeHost host_;
  FakeWaveIn wave_;
  VantrelDoc doc_{clock_, "/nonexistent/"};
};

TEST_F(Capture, StartPollStopAndARecordingThatEnds) {
  doc_.packetSearch().SetWriteIndex(1234);
  doc_.StartCapture();
  EXPECT_EQ(wave_.calls, (Strings{"open -1", "start"}));
  EXPECT_EQ(wave_.queue.size(), 4u);
  EXPECT_EQ(std::tuple(doc_.captureRunning, doc_.soundCard().currentBuffer(),
                       doc_.packetSearch().writeIndex(), host_.redraws),
            std::tuple(1, 0, 0, 1));
  EXPECT_EQ(host_.titles, Strings{"Vantrel from Brennick - processing live signals"});
  EXPECT_EQ(host_.timers, (decltype(host_.timers){{doc_.pollTimerId, {1, 500}},
                                                  {doc_.refreshTimerId, {2, 2000}}}));

  // A buffer not yet done is looked at again on the next tick.
  wave_.Fill(std::vector<std::uint8_t>(47999, 10));
  doc_.PollCapture();
  EXPECT_EQ(std::pair(doc_.soundCard().currentBuffer(), +doc_.soundCard().recordedSecond().front()),
            std::pair(0, 128));
  wave_.Fill({10});
  for (int second = 0; second < 5; ++second) {
    const auto& header = doc_.soundCard().header(second % 4);  // buffers 0, 1, 2, 3, 0
    if (second > 0) PlaySecond(10 + second);
    doc_.PollCapture();
    doc_.PollCapture();  // the next buffer is not done yet
    EXPECT_EQ(std::pair(+doc_.soundCard().recordedSecond().front(),
                        +doc_.soundCard().recordedSecond().back()),
              std::pair(10 + second, 10 + second));
    EXPECT_EQ(std::pair(header->flags & kWaveHeaderDone, wave_.queue.size()),
              std::pair(0u, std::size_t{4}));  // queued again
  }
  EXPECT_EQ(doc_.packetSearch().ring()[0], 14 - 128);  // the decoder saw the samples

  const auto poll = doc_.pollTimerId, refresh = doc_.refreshTimerId;
  wave_.calls.clear();
  doc_.StopCapture();
  EXPECT_EQ(wave_.calls,
            (Strings{"reset", "unprepare", "unprepare", "unprepare", "unprepare", "close"}));
  EXPECT_EQ(host_.killed, (std::vector<std::uint32_t>{refresh, poll}));
  EXPECT_EQ(std::tuple(doc_.captureRunning, wave_.open, host_.timers.size(), host_.titles.back()),
            std::tuple(0, false, std::size_t{0}, kStopped));
  EXPECT_FALSE(doc_.soundCard().isOpen());
  const int current = doc_.soundCard().currentBuffer();
  doc_.PollCapture();  // a tick queued before the timers died touches nothing
  EXPECT_EQ(doc_.soundCard().currentBuffer(), current);
  doc_.StartCapture();  // a new start takes the first buffer first
  EXPECT_EQ(std::pair(current, doc_.soundCard().currentBuffer()), std::pair(1, 0));

  // A recording played as the input ends: the seconds still waiting in done
  // buffers are decoded, capture stops and the status line says so once.
  for (int level : {11, 12, 13}) PlaySecond(level);
  doc_.PollCapture();  // one buffer a tick: two are still done and waiting
  const int redraws = host_.redraws;
  wave_.End();
  // Decoded, and shown although the refresh timer is gone.
  EXPECT_EQ(std::tuple(+doc_.soundCard().recordedSecond().front(), doc_.captureRunning, wave_.open,
                       host_.redraws > redraws),
            std::tuple(13, 0, false, true));
  EXPECT_EQ(host_.statuses, Strings{kRecordingEndedText});
  EXPECT_EQ(host_.titles.back(), kStopped);
  wave_.End();  // told again after the stop: nothing more
  EXPECT_EQ(host_.statuses.size(), 1u);
  EXPECT_TRUE(host_.messages.empty());
}

// Without a window the runner's own timers poll, watch the polarity and
// retry a failed device quietly every 2 s, and the document's messages come
// out of its one output: the failure once, and its return once.
TEST_F(Capture, TheHeadlessRunnerDrivesCaptureWithItsTimers) {
  Strings out;
  HeadlessRunner runner(doc_, [&](const std::string& line) { out.push_back(line); });
  doc_.StartCapture();
  EXPECT_EQ(runner.NextDue(0), 500);
  PlaySecond(20);
  runner.Advance(499);
  EXPECT_EQ(+doc_.soundCard().recordedSecond().front(), 128);
  runner.Advance(500);
  EXPECT_EQ(+doc_.soundCard().recordedSecond().front(), 20);
  clock_.Advance(6);
  runner.Advance(2000);  // the refresh tick: nothing decoded for 5 s turns the polarity
  EXPECT_EQ(doc_.packetSearch().polarity(), 0);
  wave_.Fail(kWaveNoDriver);
  wave_.openResult = kWaveBadDeviceId;
  runner.Advance(4000);                 // quiet retries that fail
  doc_.soundCard().SetWaveIn(nullptr);  // no audio system at all this time
  runner.Advance(6000);
  EXPECT_EQ(doc_.captureRunning, 0);
  doc_.soundCard().SetWaveIn(&wave_), wave_.openResult = kWaveOk;
  runner.Advance(8000);
  EXPECT_EQ(doc_.captureRunning, 1);
  EXPECT_EQ(out, (Strings{"On recording..no device driver present",
                          "The audio input is back: processing live signals again"}));
  doc_.StopCapture();
  EXPECT_EQ(runner.NextDue(8000), -1);  // the retry timer is gone too
}

TEST_F(Capture, TheSlotPicksTheDevice) {
  wave_.names = {"A", "B", "C"};
  doc_.EnumerateSoundCards();
  for (const int slot : {2, 3, 77}) {  // a slot with no device, or a damaged setting: the default
    doc_.soundCardSlot = slot;
    doc_.StartCapture();
    doc_.StopCapture();
  }
  EXPECT_EQ(wave_.calls[0] + wave_.calls[8] + wave_.calls[16], "open 2open -1open -1");
}

TEST_F(Capture, EachStartFailureShowsItsMessageAndChangesNothing) {
  for (const auto& [code, text] : std::vector<std::pair<int, std::string>>{
           {kWaveBadDeviceId, "device ID out of range"},
           {kWaveBadFormat, "Unknown error"},
           {-1, "no device driver present"}}) {  // no audio system at all
    host_.messages.clear();
    wave_.openResult = code;
    if (code == -1) doc_.soundCard().SetWaveIn(nullptr);
    doc_.StartCapture();
    EXPECT_EQ(host_.messages, Strings{"On opening the wave device.." + text});
    ExpectStoppedAndUntouched();
  }
  EXPECT_EQ(wave_.calls.size(), 2u);  // only the opens: nothing to close
  doc_.soundCard().SetWaveIn(&wave_), wave_.openResult = kWaveOk;

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

  // Other buffers failing only leave fewer in the queue, taken in the device's order.
  host_ = FakeHost{};
  wave_.prepareFails = 1, wave_.addFails = 2,
  wave_.startResult = kWaveOk;  // buffer 1 unprepared: adding it fails too
  doc_.StartCapture();
  EXPECT_EQ(host_.messages, (Strings{"On preparing buffer ..memory allocation error",
                                     "On adding buffer ..Unknown error",
                                     "On adding buffer ..invalid parameter passed"}));
  EXPECT_EQ(wave_.queue.size(), 2u);
  PlaySecond(10);
  doc_.PollCapture();
  EXPECT_EQ(std::pair(+doc_.soundCard().recordedSecond().front(), doc_.soundCard().currentBuffer()),
            std::pair(10, 1));
  doc_.StopCapture();
  EXPECT_FALSE(wave_.open);
}

// An SDR receiver that hands over a band at once and is then unplugged, or
// a recording of one that then ends.
class FakeSdrInput final : public sdr::SdrInput {
 public:
  struct Reader final : sdr::BandReader {
    double sampleRate() const override { return 9600.0; }
    std::optional<double> centreHz() const override { return 137.5e6; }
    Result Read(std::vector<sdr::Complex>* out, std::string* error) override {
      if (band.empty()) return ends ? Result::End : (*error = "unplugged", Result::Failed);
      *out = std::exchange(band, {});
      return Result::Samples;
    }
    std::vector<sdr::Complex> band;
    bool ends = false;
  };
  int DeviceCount() const override { return 2; }
  std::string DeviceName(int device) const override { return "SDR " + std::to_string(device); }
  std::unique_ptr<sdr::BandReader> Open(int, const sdr::SdrTuning& tuning,
                                        std::string* error) override {
    if (tuning.sampleRate != 9600.0) return *error = "busy", nullptr;
    auto reader = std::make_unique<Reader>();
    reader->band = Band();
    reader->ends = recording;
    return reader;
  }
  static std::vector<sdr::Complex> Band() {
    return synth::SynthesizeBand(
        {{.ebN0Db = 14, .leadInBits = 100, .packets = synth::DownlinkPackets(12, 60, 3)}},
        {.sampleRate = 9600, .seconds = 1.4});
  }
  bool recording = false;
};

TEST_F(Capture, SdrReceiversFollowTheSoundCardsAreFoundByNameAndStopAtTheirEnd) {
  FakeSdrInput sdrInput;
  doc_.sdrCapture().SetInput(&sdrInput);
  using Names = std::array<std::string, 5>;
  // A card that cannot be read leaves its slot to a receiver, not a card's.
  for (const auto& [cards, unreadable, names] :
       {std::tuple{4, -1, Names{"card", "card", "card", "SDR 0", ""}},
        {6, 1, Names{"card", "SDR 0", "card", "card", ""}},  // only the first four count
        {1, -1, Names{"card", "SDR 0", "SDR 1", "", ""}}}) {
    doc_.deviceName = {}, doc_.deviceId.fill(-1), wave_.capsFailsFor = unreadable;
    wave_.names.assign(static_cast<std::size_t>(cards), "card");
    doc_.EnumerateSoundCards();
    doc_.EnumerateSdrReceivers();
    EXPECT_EQ(doc_.deviceName, names);
    EXPECT_EQ(doc_.SdrSlot(0), cards == 1 || unreadable == 1 ? 1 : 3);
  }
  // The receiver chosen last time is looked for by name: found in another
  // slot it is chosen there; missing, Start names it and records nothing else.
  for (const auto& [stored, storedSlot, slot, missing] :
       {std::tuple{"SDR 1", 0, 2, ""}, {"", 1, 1, ""}, {"SDR 7", 3, 3, "SDR 7"}}) {
    doc_.sdrSource = stored;
    doc_.soundCardSlot = storedSlot;
    doc_.FindStoredSdrSource();
    EXPECT_EQ(std::tie(doc_.soundCardSlot, doc_.missingSdrSource),
              std::make_tuple(slot, std::string(missing)));
  }
  EXPECT_EQ(doc_.sdrSource, "SDR 7");
  doc_.RetryCaptureUntilItRuns();
  doc_.StartCapture();
  doc_.RetryCapture();
  EXPECT_EQ(host_.messages, Strings{"On opening the SDR receiver..\"SDR 7\" is not present"});
  EXPECT_EQ(host_.timers.size(), 0u);
  EXPECT_FALSE(doc_.captureRunning);

  // A receiver that cannot be opened says why and starts nothing.
  host_ = FakeHost{};
  doc_.missingSdrSource.clear();
  doc_.soundCardSlot = doc_.SdrSlot(0);
  doc_.StartCapture();
  EXPECT_EQ(host_.messages, Strings{"On opening the SDR receiver..busy"});
  EXPECT_FALSE(doc_.captureRunning);
  EXPECT_TRUE(wave_.calls.empty());

  // Unplugged, then a recording that ends: each stops once with its own
  // notice and keeps the last full spectrum, not the partly silent one of
  // the end (noise and a phantom carrier).
  sdr::SdrReceiver reference(9600.0, 137.5e6);
  const auto band = FakeSdrInput::Band();
  reference.Push(band.data(), band.size());
  doc_.sdrTuning.sampleRate = 9600.0;
  for (const bool recording : {false, true}) {
    host_ = FakeHost{};
    sdrInput.recording = recording;
    doc_.StartCapture();
    ASSERT_TRUE(doc_.captureRunning && !doc_.sdrCapture().display().inputEnded);
    for (int i = 0; i < 200 && doc_.captureRunning; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      doc_.PollCapture();
    }
    EXPECT_EQ(std::tuple(doc_.captureRunning, doc_.sdrCapture().display().inputEnded,
                         host_.messages, host_.statuses, host_.timers.size()),
              std::tuple(0, true,
                         recording ? Strings{} : Strings{"On reading the SDR receiver..unplugged"},
                         recording ? Strings{kRecordingEndedText} : Strings{}, 0u));
    EXPECT_EQ(doc_.sdrCapture().display().spectrum.powerDb, reference.spectrum().powerDb);
    EXPECT_EQ(doc_.sdrCapture().display().waterfall.back(), reference.spectrum().powerDb);
    // The three sync packets of each run are kept; the spectrum shows their
    // channel named by them, and their carrier is given in Hz.
    EXPECT_EQ(std::tuple(doc_.MessagesInArrivalOrder().size(),
                         doc_.sdrCapture().display().spectrum.channels.at(0).satellite,
                         doc_.packetSource.carrierIsAbsolute),
              std::tuple(recording ? 6u : 3u, 12, true));
  }
}

}  // namespace
}  // namespace vantrel
