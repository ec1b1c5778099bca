// The receiver document: composes the receiver's parts (the packet search,
// the interpreter, the message ring, the daily logs, the demodulators,
// capture) and keeps the receiver state that has no part of its own yet as
// plain members. Its operations (decoding, capture) are defined in this
// folder; docs/architecture.md says which parts come out of it next.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "audio/sound_card_capture.h"
#include "base/clock.h"
#include "base/packet_listener.h"
#include "base/packet_outcome.h"
#include "base/packet_source.h"
#include "base/satellite_record.h"
#include "decoder/daily_logs.h"
#include "decoder/interpreter.h"
#include "decoder/message_ring.h"
#include "decoder/packet_filters.h"
#include "decoder/packet_search.h"
#include "document/host.h"
#include "document/screen.h"
#include "feed/feed_settings.h"
#include "orbit/tle_update.h"
#include "sdr/sdr_capture.h"
#include "sdr/sdr_input.h"
#include "vantrel_version.h"

namespace vantrel {

class SettingsStore;
class SensitiveDemodulator;
struct FoundPacket;

// Which demodulator reads the audio: the packet search over the sample ring,
// or the sensitive demodulator (demod/sensitive_demodulator.h).
enum DemodulatorChoice { kDemodulatorClassic = 0, kDemodulatorSensitive = 1 };

// What Options > SDR accepts and the settings keep.
inline constexpr double kMinSdrCentreHz = 1e6;
inline constexpr double kMaxSdrCentreHz = 6e9;
inline constexpr double kMinSdrRate = 9600.0;
inline constexpr double kMaxSdrRate = 20e6;
inline constexpr double kMinSdrGainDb = 0.0;
inline constexpr double kMaxSdrGainDb = 100.0;
inline constexpr double kMinSdrPpm = -500.0;  // beyond any receiver's crystal
inline constexpr double kMaxSdrPpm = 500.0;
// What Options > Passes accepts as the minimum elevation (degrees).
inline constexpr double kMinPassElevation = 0.0;
inline constexpr double kMaxPassElevation = 80.0;
inline constexpr const char* kBadPassElevation =
    "The minimum elevation lies between 0 and 80 degrees.";
// Said in the status bar when a recording played as the input is over.
inline constexpr const char* kRecordingEndedText = "The recording has ended: processing stopped";

class VantrelDoc : private CaptureEvents {
 public:
  static constexpr int kRingLength = PacketSearch::kRingLength;  // one second
  static constexpr int kMessageRingSize = MessageRing::kSize;
  static constexpr int kSoundCardSlots = 5;
  static constexpr const char* kVersionText = "Vantrel version " VANTREL_VERSION;

  // programDirectory is the executable's directory ending in '/'; the
  // default log directory is derived from it.
  VantrelDoc(const Clock& clock, std::string programDirectory);
  VantrelDoc(const VantrelDoc&) = delete;
  VantrelDoc& operator=(const VantrelDoc&) = delete;
  virtual ~VantrelDoc();

  // --- decoding: the one entry point for samples and for packets found elsewhere ---
  // Decodes count samples through the chosen demodulator, as capture does
  // with each second it records, and returns the lines posted meanwhile,
  // oldest first (Windows-1252). Guarded by the busy flag like FeedBuffer.
  std::vector<std::string> DecodeSamples(const std::uint8_t* samples, std::size_t count);
  // Interprets one checked packet that a demodulator outside the document
  // found (an SDR channel), with where it came from; returns the lines posted.
  std::vector<std::string> DecodePacket(const std::uint8_t* packet, const PacketSource& source);

  // --- decoding (document/decoding.cpp) ---
  // One sample through the chosen demodulator.
  void FeedSample(std::uint8_t sample);
  // Feeds the second the sound card recorded last while capture runs,
  // guarded by the busy flag.
  void FeedBuffer();
  // Every refresh tick: after five seconds without a decode the classic
  // search tries the other polarity.
  void WatchPolarity();
  // The classic search: its sample ring (also shown on the Signal screen),
  // write index, skip and polarity.
  PacketSearch& packetSearch() { return search_; }
  const PacketSearch& packetSearch() const { return search_; }
  // Interprets a packet the sensitive demodulator found (document/sensitive_search.cpp).
  PacketOutcome InterpretFoundPacket(const FoundPacket& found);
  // Selects the demodulator; the sensitive one starts afresh.
  void SetDemodulator(int choice);
  // Stores samples in the ring and runs the sensitive demodulator over them.
  void FeedSensitive(const std::uint8_t* samples, int count);

  // --- interpretation (document/interpretation.cpp) ---
  // The filters, the satellite table, the last decode time and the last
  // satellite (decoder/interpreter.h).
  Interpreter& interpreter() { return interpreter_; }
  const Interpreter& interpreter() const { return interpreter_; }
  // Interprets one checked packet that source found at the clock's time: its
  // line goes to the message ring and the log, an accepted packet to the raw
  // log and the packet listener. Virtual so that tests can watch every
  // checked packet the demodulators hand up.
  virtual PacketOutcome InterpretPacket(const std::uint8_t* packet, const PacketSource& source);
  // Message ring, then the log file.
  void PostLine(const std::string& line);

  // --- log files: the daily logs in logDirectory; a change between writing
  // and failing is told in the status bar ---
  void WriteLog(const std::string& line);
  void WriteRawLog(const std::string& text);

  // The last hundred lines posted (the Lines screen's).
  const MessageRing& messageRing() const { return messages_; }
  MessageRing& messageRing() { return messages_; }
  // Their lines in arrival order, oldest first (empty slots left out).
  std::vector<std::string> MessagesInArrivalOrder() const { return messages_.InArrivalOrder(); }

  // --- settings (document/settings.cpp) ---
  // Replaces defaults with the stored values that read and lie in range;
  // false when the store could not be opened (the defaults then stand).
  bool LoadSettings(SettingsStore& store);
  // Writes every value; false when they could not be stored.
  bool SaveSettings(SettingsStore& store);

  // --- sound-card capture (document/capture.cpp) ---
  void StartCapture();
  void PollCapture();
  void StopCapture();
  // Fills the first four sound-card slots from the wave input's devices.
  void EnumerateSoundCards();
  // The sound-card capture part: the wave input, its buffers and the
  // second recorded last.
  SoundCardCapture& soundCard() { return soundCard_; }
  const SoundCardCapture& soundCard() const { return soundCard_; }
  // The open device failed on its own while recording: stop, say so, and
  // retry until capture runs again.
  void OnCaptureFailure(int code) override;
  // A recording played as the input is over: its last buffers are decoded,
  // capture stops and the status bar says so once.
  void OnRecordingEnded() override;
  // Tries a quiet start every two seconds until capture runs (the retry
  // timer calls RetryCapture); Start and Stop end the retries.
  void RetryCaptureUntilItRuns();
  void RetryCapture();

  // --- SDR capture (document/sdr_capture.cpp) ---
  // Gives the SDR receivers the Source slots after the sound cards; with
  // four sound cards the last slot goes to the first receiver.
  void EnumerateSdrReceivers();
  bool SlotIsSdr(int slot) const;
  // The slot of SDR receiver device, or -1.
  int SdrSlot(int device) const;
  // After loading the settings: selects the slot of the stored SDR receiver,
  // or notes it missing when no slot holds it now.
  void FindStoredSdrSource();
  // The SDR capture part: the receivers, the band thread while a receiver
  // runs, and what the Spectrum screen draws.
  sdr::SdrCapture& sdrCapture() { return sdr_; }
  const sdr::SdrCapture& sdrCapture() const { return sdr_; }

  // One of the document's timers fired (refreshTimerId, pollTimerId,
  // retryTimerId): the host calls this for every timer it runs.
  void OnTimer(std::uint32_t id);

  const Clock& clock() const { return *clock_; }
  void SetClock(const Clock& clock) { clock_ = &clock; }
  // The window system; a NullHost until the desktop program attaches one.
  DocumentHost& host() const { return *host_; }
  void SetHost(DocumentHost* host) { host_ = host != nullptr ? host : &nullHost_; }

  // --- members, in the order the receiver keeps them ---
  bool captureRunning = false;
  int soundCardSlot = 0;
  std::array<int, kSoundCardSlots> deviceId{};
  std::array<std::string, kSoundCardSlots> deviceName;
  std::uint32_t refreshTimerId = 0;
  std::uint32_t pollTimerId = 0;
  std::uint32_t retryTimerId = 0;  // non-zero while capture waits for its input to return
  bool decodingBusy = false;
  std::string programDirectory;
  std::string logDirectory;
  // The folder used until one is chosen; created when first needed.
  std::string defaultLogDirectory;
  Screen viewState = kSignalScreen;
  bool logFlag = true;
  bool rawFlag = false;
  double homeLatitude = -34.5;
  double homeLongitude = 139.0;
  bool projectionDirty = true;
  bool trackHistory = false;
  bool tleEnable = false;
  std::string tleFile;
  // The Passes screen lists passes that climb at least this high (degrees).
  double passMinElevation = 0.0;
  // Where and how often Options > TLE > Update from the web fetches the TLE file.
  TleUpdateSettings tleUpdate;
  // Where the network feed publishes; the desktop program runs it while enabled.
  FeedSettings feed;
  // Non-zero while the document is entered for other programs (document/automation.h).
  std::uint32_t registrationCookie = 0;

  // DemodulatorChoice; the sensitive demodulator exists while it is chosen.
  int demodulator = kDemodulatorClassic;
  std::unique_ptr<SensitiveDemodulator> sensitiveDemodulator;

  // Who found the last packet handed to InterpretPacket (base/packet_source.h);
  // the status pane shows its polarity.
  PacketSource packetSource;
  // Told about every accepted packet; not owned, null when no feed is attached.
  PacketListener* packetListener = nullptr;

  // The SDR receivers in the Source slots: sdrDevice maps a slot to its
  // receiver (-1: a sound card); sdrTuning is Options > SDR.
  std::array<int, kSoundCardSlots> sdrDevice{-1, -1, -1, -1, -1};
  sdr::SdrTuning sdrTuning;
  // The SDR receiver the chosen Source names, stored so that one missing at
  // the next run is told rather than replaced by a sound card; empty when
  // the Source is not a receiver. missingSdrSource is set for a run that
  // lacks it: Start then records nothing.
  std::string sdrSource;
  std::string missingSdrSource;

 private:
  // A wave call failed: its step and why, in a message box unless quiet.
  void OnWaveError(const std::string& prefix, int code) override;
  void StartSdrCapture(int device);
  void PollSdrCapture();
  // Title, timers and redraw once a capture of either kind runs.
  void EnterCaptureRunning();
  // Opens, queues and starts; quiet leaves failures unreported. True when running.
  bool OpenCapture(bool quiet);
  void StopCaptureRetries();
  // The search or the sensitive demodulator over count samples.
  void FeedSamples(const std::uint8_t* samples, std::size_t count);
  // Runs decode under the busy flag and returns the lines it posted, oldest first.
  std::vector<std::string> CollectLines(const std::function<void()>& decode);
  void WriteRawRecord(const std::uint8_t* packet, int length);
  // Tells the packet listener, if any, about an accepted packet.
  void NotifyAccepted(const std::uint8_t* packet, int length, CTime time);

  PacketSearch search_{[this](const std::uint8_t* packet, int polarity) {
    return InterpretPacket(
        packet, PacketSource{DemodulatorKind::Classic, polarity, 0, std::nullopt, false});
  }};
  Interpreter interpreter_;
  MessageRing messages_;
  SoundCardCapture soundCard_{*this};
  sdr::SdrCapture sdr_;
  std::vector<std::string>* postedLines_ = nullptr;  // collects PostLine's lines while decoding
  DailyLogs logs_{[this](const std::string& notice) { host().ShowStatus(notice); }};
  const Clock* clock_;
  NullHost nullHost_;
  DocumentHost* host_ = &nullHost_;
};

}  // namespace vantrel
