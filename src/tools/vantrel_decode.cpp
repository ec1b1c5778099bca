// vantrel-decode: decodes a recording of discriminator audio with the same
// document code as the desktop program and prints the decoded lines.
#include <sys/stat.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "audio/recording_file.h"
#include "base/text_encoding.h"
#include "decode_options.h"
#include "document/vantrel_doc.h"
#include "feed/mqtt_feed.h"
#include "feed/packet_fan_out.h"
#include "feed/packet_json.h"
#include "iq_decoder.h"
#include "orbit/tle_reader.h"
#include "progress_meter.h"
#include "recording_decoder.h"
#include "vantrel_version.h"
#ifdef VANTREL_CHART
#include "chart_output.h"
#endif
#ifdef VANTREL_SOAPY
#include "live_receiver.h"
#endif

namespace {

using namespace vantrel;
using namespace vantrel::tools;

constexpr int kUsageOrInputError = 2;
constexpr int kFeedIncomplete = 1;
constexpr int kDrainMilliseconds = 10000;

int Fail(const std::string& message) {
  std::cerr << "vantrel-decode: " << message << '\n';
  return kUsageOrInputError;
}

std::string ProgramDirectory() {
  std::error_code ec;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string("./") : exe.parent_path().string() + "/";
}

void PrintLines(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) std::cout << Cp1252ToUtf8(line) << '\n';
  std::cout.flush();  // a live receiver piped in shows each second's lines at once
}

// Collects each accepted packet's JSON object as one line of text.
class JsonLines final : public PacketListener {
 public:
  void OnPacket(const AcceptedPacket& packet) override {
    lines_.push_back(
        PacketJson(packet).dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace));
  }
  void Print() {
    for (const std::string& line : lines_) std::cout << line << '\n';
    std::cout.flush();
    lines_.clear();
  }

 private:
  std::vector<std::string> lines_;
};

// The feed's notice, or once its first connection, so that the user knows
// the broker settings work; a notice of the same moment says more.
std::optional<std::string> FeedNews(MqttFeed& feed) {
  static bool toldConnected = false;
  const bool connected = feed.HasConnected();  // before the notice it may have made
  std::optional<std::string> notice = feed.TakeNotice();
  if (!toldConnected && connected) {
    toldConnected = true;
    if (!notice)
      notice = "Network feed: connected to the broker " + feed.settings().host + ":" +
               std::to_string(feed.settings().port);
  }
  return notice;
}

// Each second's output: JSON objects or the decoded lines, and the feed's
// news on standard error.
// The progress line is taken away before anything else is written, as
// standard output may be the same terminal.
void Output(const std::vector<std::string>& lines, JsonLines* json, MqttFeed* feed,
            const VantrelDoc& doc, const std::string& source, ProgressMeter& meter) {
  if (!lines.empty()) meter.Clear();
  if (json != nullptr)
    json->Print();
  else
    PrintLines(lines);
  if (feed == nullptr) return;
  feed->Tick(doc.clock().Now(), {doc.homeLatitude, doc.homeLongitude, source});
  if (const auto notice = FeedNews(*feed)) {
    meter.Clear();
    std::cerr << "vantrel-decode: " << *notice << '\n';
  }
}

// Applies the command line to a freshly built document.
void Configure(const DecodeOptions& options, VantrelDoc& doc) {
  for (int i = 0; i < kFilterCount; ++i) {
    if (options.filters[i] >= 0) doc.interpreter().filters()[i] = options.filters[i] == 1;
  }
  doc.SetDemodulator(options.demodulator);
  doc.logFlag = !options.logDir.empty();
  doc.rawFlag = options.rawLog;
  if (options.homeLatitude) {
    doc.homeLatitude = *options.homeLatitude;
    doc.homeLongitude = *options.homeLongitude;
  }
  if (!options.tleFile.empty()) {
    doc.tleFile = options.tleFile;
    doc.tleEnable = true;
  }
  if (!options.logDir.empty()) {
    doc.logDirectory = options.logDir;
    if (doc.logDirectory.back() != '/') doc.logDirectory += '/';
    struct stat info {};
    if (stat(options.logDir.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
      std::cerr << "vantrel-decode: Warning: the log directory " << options.logDir
                << " does not exist; no log records are written\n";
    }
  }
}

// The table, the chart, the feed's last messages and the exit status, after
// the last line.
int Finish(const DecodeOptions& options, VantrelDoc& doc, HeldClock& clock,
           const std::string& inputError, MqttFeed* feed) {
  if (options.table && options.json) {
    std::cout << SatelliteTableJson(doc.interpreter().satellites()).dump() << '\n';
  } else if (options.table) {
    const SatelliteTable& satellites = doc.interpreter().satellites();
    for (const int k : ListedSatellites(satellites)) {
      std::cout << Cp1252ToUtf8(FormatSatelliteRow(k, satellites[k])) << '\n';
    }
  }
  std::cout.flush();
  if (!inputError.empty()) return Fail(inputError);
#ifdef VANTREL_CHART
  std::string error;
  if (!options.chartFile.empty() && !WriteChartPng(doc, clock, options.chartFile, &error)) {
    return Fail(error);
  }
#else
  (void)clock;
#endif
  if (!std::cout) return Fail("Cannot write to standard output");
  if (feed) {
    const std::size_t unsent = feed->Drain(kDrainMilliseconds);
    if (const auto notice = FeedNews(*feed)) std::cerr << "vantrel-decode: " << *notice << '\n';
    if (unsent > 0 || feed->Dropped() > 0 || feed->Refused() > 0) {
      std::cerr << "vantrel-decode: Network feed: " << unsent
                << (unsent == 1 ? " message" : " messages") << " unsent, " << feed->Dropped()
                << " dropped from the full queue";
      if (feed->Refused() > 0) std::cerr << ", " << feed->Refused() << " refused";
      std::cerr << '\n';
      return kFeedIncomplete;
    }
  }
  return 0;
}

// Set by SIGINT or SIGTERM: a live receiver is decoded until then.
volatile std::sig_atomic_t stopRequested = 0;

using LineOutput = std::function<void(const std::vector<std::string>&, ProgressMeter&)>;

// Reads the IQ input in pieces as it comes (a live receiver on a pipe).
bool DecodeIq(const DecodeOptions& options, VantrelDoc& doc, HeldClock& clock, CTime start,
              const LineOutput& output, bool showProgress, std::string* error) {
  const bool standardInput = options.input == "-";
  std::FILE* file = standardInput ? stdin : std::fopen(options.input.c_str(), "rb");
  struct stat info {};
  if (file == nullptr || (fstat(fileno(file), &info) == 0 && S_ISDIR(info.st_mode))) {
    if (file != nullptr) std::fclose(file);
    *error = options.input +
             ": cannot open: " + (file == nullptr ? std::strerror(errno) : "is a directory");
    return false;
  }
  // The receiver's error moves every carrier: its true centre is off the dial.
  std::optional<double> centre = options.centreFrequency;
  if (centre) *centre *= 1.0 + options.ppm * 1e-6;
  IqDecoder decoder(doc, clock, start, options.iqRate, centre);
  sdr::IqConverter converter(options.iqFormat);
  const double bytesPerSecond =
      static_cast<double>(sdr::IqSampleBytes(options.iqFormat)) * options.iqRate;
  ProgressMeter meter(
      stderr, showProgress,
      S_ISREG(info.st_mode) ? static_cast<double>(info.st_size) / bytesPerSecond : 0.0);
  std::vector<std::uint8_t> bytes(1 << 16);
  std::vector<sdr::Complex> samples;
  double bytesRead = 0.0;
  while (true) {
    const std::size_t n = std::fread(bytes.data(), 1, bytes.size(), file);
    if (n == 0) break;
    samples.clear();
    converter.Convert(bytes.data(), n, &samples);
    output(decoder.Feed(samples), meter);
    bytesRead += static_cast<double>(n);
    meter.Update(bytesRead / bytesPerSecond);
  }
  meter.Clear();
  output(decoder.Finish(), meter);
  const bool failed = std::ferror(file) != 0;
  if (failed)
    *error = (standardInput ? std::string("standard input") : options.input) + ": read error";
  if (!standardInput) std::fclose(file);
  return !failed;
}

#ifdef VANTREL_SOAPY
// A receiver decoded until interrupted, or until it fails.
bool DecodeLive(const DecodeOptions& options, VantrelDoc& doc, HeldClock& clock, CTime start,
                const LineOutput& output, std::string* error) {
  auto reader = OpenReceiver(options, error);
  if (!reader) return false;
  const auto stop = [](int) { stopRequested = 1; };
  std::signal(SIGINT, stop);
  std::signal(SIGTERM, stop);
  IqDecoder decoder(doc, clock, start, reader->sampleRate(), reader->centreHz());
  ProgressMeter silent(stderr, false, 0.0);
  std::vector<sdr::Complex> samples;
  bool ok = true;
  while (!stopRequested) {
    const auto result = reader->Read(&samples, error);
    if (result == sdr::BandReader::Result::Samples) output(decoder.Feed(samples), silent);
    if (result == sdr::BandReader::Result::End) break;
    if (result == sdr::BandReader::Result::Failed) {
      *error = "The SDR receiver failed: " + *error;
      ok = false;
      break;
    }
  }
  output(decoder.Finish(), silent);
  return ok;
}
#endif

}  // namespace

int main(int argc, char** argv) {
  DecodeOptions options;
  std::string error;
  if (!ParseDecodeOptions(argc, argv, &options, &error)) return Fail(error);
  if (options.help) {
    std::cout << kDecodeUsage;
    return 0;
  }
  if (options.version) {
    std::cout << "vantrel-decode " VANTREL_VERSION "\n";
    return 0;
  }
#ifdef VANTREL_SOAPY
  if (options.listDevices) {
    if (!ListReceivers(options, std::cout, &error)) return Fail(error);
    return 0;
  }
#else
  if (options.listDevices || options.live)
    return Fail("--list-devices and --device are not available: built without SoapySDR");
#endif

  RecordingInput input;
  if (!options.iq && !options.live &&
      !input.Open(options.input, options.rawInput, &error, options.rawFormat)) {
    return Fail(error);
  }

  // A TLE file that cannot be drawn is refused before any decoding.
  if (!options.tleFile.empty()) {
    if (const std::string tleError = ReadTleFile(options.tleFile).error; !tleError.empty())
      return Fail(tleError);
  }

  const CTime start = options.startTime ? *options.startTime : SystemClock().Now();
  HeldClock clock(start);
  VantrelDoc doc(clock, ProgramDirectory());
  Configure(options, doc);

  PacketFanOut listeners;
  JsonLines json;
  if (options.json) listeners.Add(&json);
  MqttFeed::Handle feed;
  if (options.mqtt.enabled) {
    feed = MqttFeed::Start(options.mqtt);
    listeners.Add(feed.get());
  }
  if (!listeners.Empty()) doc.packetListener = &listeners;
  JsonLines* jsonOut = options.json ? &json : nullptr;
  // The retained status is public to the broker's readers: the file's name
  // only, not where it lives on this machine.
  const std::string source = options.live ? "SDR receiver"
                             : options.input == "-"
                                 ? "standard input"
                                 : std::filesystem::path(options.input).filename().string();
  const LineOutput output = [&](const std::vector<std::string>& lines, ProgressMeter& meter) {
    Output(lines, jsonOut, feed.get(), doc, source, meter);
  };
  const bool showProgress = IsInteractive(stderr);
#ifdef VANTREL_SOAPY
  if (options.live) {
    const bool ok = DecodeLive(options, doc, clock, start, output, &error);
    return Finish(options, doc, clock, ok ? "" : error, feed.get());
  }
#endif
  if (options.iq) {
    const bool ok = DecodeIq(options, doc, clock, start, output, showProgress, &error);
    return Finish(options, doc, clock, ok ? "" : error, feed.get());
  }

  RecordingDecoder decoder(doc, clock, start, options.polarity);
  ProgressMeter meter(stderr, showProgress,
                      static_cast<double>(input.length()) / RecordingInput::kSampleRate);
  double decoded = 0.0;
  std::vector<std::uint8_t> second(VantrelDoc::kRingLength);
  while (true) {
    // Fill a whole second: pipes hand data over in smaller pieces.
    std::size_t filled = 0;
    std::vector<std::uint8_t> piece(second.size());
    while (filled < second.size()) {
      piece.resize(second.size() - filled);
      const std::size_t n = input.Read(&piece);
      if (n == 0) break;
      std::copy_n(piece.begin(), n, second.begin() + static_cast<std::ptrdiff_t>(filled));
      filled += n;
    }
    if (filled == 0) break;
    second.resize(filled);
    output(decoder.FeedSecond(second), meter);
    decoded += static_cast<double>(filled) / RecordingInput::kSampleRate;
    meter.Update(decoded);
    if (filled < VantrelDoc::kRingLength) break;
    second.resize(VantrelDoc::kRingLength);
  }
  meter.Clear();
  output(decoder.Finish(), meter);
  return Finish(options, doc, clock, input.error(), feed.get());
}
