#include "decode_options.h"

#include <getopt.h>
#include <strings.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <sstream>

#include "iso_time.h"

namespace vantrel::tools {

namespace {

// Filter flag names in the document's order.
constexpr const char* kFilterNames[kFilterCount] = {"b1A", "b1B", "b1C", "b1D",   "b1E",
                                                    "b1F", "b22", "b65", "bOther"};

// CTime is kept in 32 bits by the satellite table and the settings.
constexpr CTime kLatestTime = 2147483647;

bool ParseFilters(const std::string& list, DecodeOptions* options, std::string* error) {
  std::stringstream items(list);
  std::string item;
  while (std::getline(items, item, ',')) {
    const auto eq = item.find('=');
    const std::string name = item.substr(0, eq);
    const std::string value = eq == std::string::npos ? "" : item.substr(eq + 1);
    int index = -1;
    for (int i = 0; i < kFilterCount; ++i) {
      if (strcasecmp(name.c_str(), kFilterNames[i]) == 0) index = i;
    }
    if (index < 0 || (value != "0" && value != "1")) {
      *error = "Bad --filter '" + item + "': use NAME=0 or NAME=1 with NAME one of " +
               "b1A b1B b1C b1D b1E b1F b22 b65 bOther";
      return false;
    }
    options->filters[index] = value == "1" ? 1 : 0;
  }
  return true;
}

// "LAT,LON" in degrees, north and east positive.
bool ParseHome(const std::string& text, DecodeOptions* options, std::string* error) {
  const char* begin = text.c_str();
  char* end = nullptr;
  const double latitude = std::strtod(begin, &end);
  bool ok = end != begin && *end == ',';
  double longitude = 0.0;
  if (ok) {
    const char* second = end + 1;
    longitude = std::strtod(second, &end);
    ok = end != second && *end == '\0';
  }
  if (!ok || !std::isfinite(latitude) || !std::isfinite(longitude) || std::fabs(latitude) > 90.0 ||
      std::fabs(longitude) > 180.0) {
    *error = "Bad --home '" + text + "': use LAT,LON in degrees, north and east positive, " +
             "e.g. -34.5,139.0";
    return false;
  }
  options->homeLatitude = latitude;
  options->homeLongitude = longitude;
  return true;
}

// A frequency or rate in Hz: "1228800", "1.2288e6", "137.5e6".
std::optional<double> ParseHz(const std::string& text) {
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || !std::isfinite(value)) return std::nullopt;
  return value;
}

constexpr double kMinIqRate = 9600.0;  // two samples per bit
constexpr double kMaxIqRate = 20e6;    // beyond any receiver we serve

// "HOST", "HOST:PORT", or an IPv6 address in brackets: "[::1]:1883". The
// port is checked with the other feed settings.
bool ParseBroker(const std::string& text, DecodeOptions* options, std::string* error) {
  options->mqtt.enabled = 1;
  std::string::size_type colon;
  if (text.starts_with('[')) {
    const auto close = text.find(']');
    if (close == std::string::npos || (close + 1 < text.size() && text[close + 1] != ':')) {
      *error = "Bad --mqtt '" + text + "': use HOST[:PORT], an IPv6 address in brackets";
      return false;
    }
    options->mqtt.host = text.substr(1, close - 1);
    colon = close + 1 < text.size() ? close + 1 : std::string::npos;
  } else {
    colon = text.rfind(':');
    options->mqtt.host = text.substr(0, colon);
  }
  if (colon == std::string::npos) return true;
  const std::string port = text.substr(colon + 1);
  char* end = nullptr;
  const long value = std::strtol(port.c_str(), &end, 10);
  if (port.empty() || *end != '\0' || value < 0 || value > 65535) {
    *error = "Bad --mqtt '" + text + "': the port must be a number from 1 to 65535";
    return false;
  }
  options->mqtt.port = static_cast<int>(value);
  return true;
}

// The option getopt_long has just refused: the argument before optind, as
// the input files it steps over are moved behind the options. A short one
// ('-x' of '-x.wav') leaves optind on its own argument, so it is named alone.
std::string LastOption(int argc, char** argv) {
  if (optopt > 0 && optopt < 256) return std::string("-") + static_cast<char>(optopt);
  const int index = optind - 1;
  return index >= 1 && index < argc ? argv[index] : "";
}

}  // namespace

std::optional<CTime> ParseIsoUtc(const std::string& text) {
  const auto t = ParseIsoTime(text);
  if (!t || *t <= 0 || *t > kLatestTime) return std::nullopt;
  return static_cast<CTime>(*t);
}

bool ParseDecodeOptions(int argc, char** argv, DecodeOptions* options, std::string* error) {
  enum {
    kRawInput = 256,
    kStartTime,
    kPolarity,
    kFilter,
    kTable,
    kLogDir,
    kRaw,
    kHelp,
    kChart,
    kHome,
    kTle,
    kJson,
    kMqtt,
    kMqttTopic,
    kStation,
    kMqttUser,
    kMqttTls,
    kDemodulator,
    kRawFormat,
    kIq,
    kIqFormat,
    kIqRate,
    kCentreFreq,
    kVersion,
    kListDevices,
    kDevice,
    kPpm
  };
  static const option kLongOptions[] = {
      {"raw-input", no_argument, nullptr, kRawInput},
      {"start-time", required_argument, nullptr, kStartTime},
      {"polarity", required_argument, nullptr, kPolarity},
      {"filter", required_argument, nullptr, kFilter},
      {"table", no_argument, nullptr, kTable},
      {"log-dir", required_argument, nullptr, kLogDir},
      {"raw", no_argument, nullptr, kRaw},
      {"help", no_argument, nullptr, kHelp},
      {"chart", required_argument, nullptr, kChart},
      {"home", required_argument, nullptr, kHome},
      {"tle", required_argument, nullptr, kTle},
      {"json", no_argument, nullptr, kJson},
      {"mqtt", required_argument, nullptr, kMqtt},
      {"mqtt-topic", required_argument, nullptr, kMqttTopic},
      {"station", required_argument, nullptr, kStation},
      {"mqtt-user", required_argument, nullptr, kMqttUser},
      {"mqtt-tls", no_argument, nullptr, kMqttTls},
      {"demodulator", required_argument, nullptr, kDemodulator},
      {"raw-format", required_argument, nullptr, kRawFormat},
      {"iq", required_argument, nullptr, kIq},
      {"iq-format", required_argument, nullptr, kIqFormat},
      {"iq-rate", required_argument, nullptr, kIqRate},
      {"center-freq", required_argument, nullptr, kCentreFreq},
      {"version", no_argument, nullptr, kVersion},
      {"list-devices", no_argument, nullptr, kListDevices},
      {"device", required_argument, nullptr, kDevice},
      {"ppm", required_argument, nullptr, kPpm},
      {nullptr, 0, nullptr, 0},
  };
  bool rawFormatGiven = false, iqOptionGiven = false, ppmGiven = false;
  bool iqFormatGiven = false;
  optind = 1;
  opterr = 0;
  // GNU order: options may come before or after the input; "--" ends them.
  while (true) {
    const int c = getopt_long(argc, argv, ":h", kLongOptions, nullptr);
    if (c == -1) break;
    const std::string arg = optarg != nullptr ? optarg : "";
    switch (c) {
      case kRawInput:
        options->rawInput = true;
        break;
      case kStartTime:
        options->startTime = ParseIsoUtc(arg);
        if (!options->startTime) {
          *error =
              "Bad --start-time '" + arg +
              "': use ISO 8601 such as 2007-05-12T10:11:12Z or ...T12:11:12+02:00 (1970 to 2038)";
          return false;
        }
        break;
      case kPolarity:
        if (arg == "upright")
          options->polarity = PolarityMode::Upright;
        else if (arg == "inverted")
          options->polarity = PolarityMode::Inverted;
        else if (arg == "auto")
          options->polarity = PolarityMode::Auto;
        else {
          *error = "Bad --polarity '" + arg + "': use upright, inverted or auto";
          return false;
        }
        break;
      case kDemodulator:
        if (arg == "classic")
          options->demodulator = kDemodulatorClassic;
        else if (arg == "sensitive")
          options->demodulator = kDemodulatorSensitive;
        else {
          *error = "Bad --demodulator '" + arg + "': use classic or sensitive";
          return false;
        }
        break;
      case kFilter:
        if (!ParseFilters(arg, options, error)) return false;
        break;
      case kTable:
        options->table = true;
        break;
      case kLogDir:
        if (arg.empty()) {
          *error = "--log-dir needs a directory";
          return false;
        }
        options->logDir = arg;
        break;
      case kRaw:
        options->rawLog = true;
        break;
      case kChart:
#ifdef VANTREL_CHART
        if (arg.empty()) {
          *error = "--chart needs a file name";
          return false;
        }
        options->chartFile = arg;
        break;
#else
        *error = "--chart is not available: this vantrel-decode was built without Qt";
        return false;
#endif
      case kHome:
        if (!ParseHome(arg, options, error)) return false;
        break;
      case kTle:
        // Read and checked once the options are complete: opening it here
        // would wait for ever on a FIFO.
        options->tleFile = arg;
        break;
      case kRawFormat:
        rawFormatGiven = true;
        if (arg == "u8")
          options->rawFormat = RawFormat::U8;
        else if (arg == "s16le")
          options->rawFormat = RawFormat::S16le;
        else {
          *error = "Bad --raw-format '" + arg + "': use u8 or s16le";
          return false;
        }
        break;
      case kIq:
        options->iq = true;
        options->input = arg;
        break;
      case kIqFormat:
        iqOptionGiven = iqFormatGiven = true;
        if (const auto format = sdr::ParseIqFormat(arg)) {
          options->iqFormat = *format;
        } else {
          *error = "Bad --iq-format '" + arg + "': use cu8, cs16 or cf32";
          return false;
        }
        break;
      case kIqRate: {
        iqOptionGiven = true;
        const auto rate = ParseHz(arg);
        if (!rate || *rate < kMinIqRate || *rate > kMaxIqRate) {
          *error = "Bad --iq-rate '" + arg + "': use samples per second from 9600 to 20000000";
          return false;
        }
        options->iqRate = *rate;
        break;
      }
      case kCentreFreq: {
        iqOptionGiven = true;
        const auto hz = ParseHz(arg);
        if (!hz || *hz <= 0.0) {
          *error = "Bad --center-freq '" + arg + "': use Hz, e.g. 137.5e6";
          return false;
        }
        options->centreFrequency = *hz;
        break;
      }
      case kListDevices:
        options->listDevices = true;
        break;
      case kDevice:
        options->live = true;
        options->device = arg;
        break;
      case kPpm: {
        const auto ppm = ParseHz(arg);
        if (!ppm || *ppm < kMinSdrPpm || *ppm > kMaxSdrPpm) {
          *error = "Bad --ppm '" + arg + "': use parts per million from -500 to 500";
          return false;
        }
        options->ppm = *ppm;
        ppmGiven = true;
        break;
      }
      case kJson:
        options->json = true;
        break;
      case kMqtt:
        if (!ParseBroker(arg, options, error)) return false;
        break;
      case kMqttTopic:
        options->mqtt.topic = arg;
        break;
      case kStation:
        options->mqtt.station = arg;
        break;
      case kMqttUser:
        options->mqtt.user = arg;
        break;
      case kMqttTls:
        options->mqtt.tls = 1;
        break;
      case 'h':
      case kHelp:
        options->help = true;
        return true;
      case kVersion:
        options->version = true;
        return true;
      case ':':
        *error = "Option '" + LastOption(argc, argv) + "' needs a value; see --help";
        return false;
      default:
        *error = "Unknown option '" + LastOption(argc, argv) + "'; see --help";
        return false;
    }
  }
  if (options->listDevices) return true;  // the other options do not matter
  if (options->live) {
    if (options->iq || options->rawInput || iqFormatGiven || argc - optind != 0) {
      *error = "--device names the input: give no input file, --iq, --iq-format or --raw-input";
      return false;
    }
    // A receiver is opened at the desktop program's default tuning unless told.
    const sdr::SdrTuning tuning;
    if (options->iqRate == 0.0) options->iqRate = tuning.sampleRate;
    if (!options->centreFrequency) options->centreFrequency = tuning.centreHz;
  } else if (ppmGiven && !options->iq) {
    *error = "--ppm needs --iq or --device";
    return false;
  } else if (options->iq) {
    if (argc - optind != 0 || options->rawInput) {
      *error = "--iq names the input: give no other input file and no --raw-input";
      return false;
    }
    if (options->iqRate == 0.0) {
      *error = "--iq needs --iq-rate";
      return false;
    }
  } else if (iqOptionGiven) {
    *error = "--iq-format needs --iq; --iq-rate and --center-freq need --iq or --device";
    return false;
  }
  if (rawFormatGiven && !options->rawInput) {
    *error = "--raw-format needs --raw-input";
    return false;
  }
  if (!options->iq && !options->live) {
    if (argc - optind != 1) {
      *error = argc - optind == 0 ? "No input file given; see --help"
                                  : "More than one input file given; see --help";
      return false;
    }
    options->input = argv[optind];
    if (options->input == "-" && !options->rawInput) {
      *error = "Standard input can only be read as raw samples: add --raw-input";
      return false;
    }
  }
  if (options->rawLog && options->logDir.empty()) {
    *error = "--raw needs --log-dir";
    return false;
  }
  if (!options->mqtt.enabled &&
      (!options->mqtt.station.empty() || options->mqtt.tls ||
       options->mqtt.topic != FeedSettings().topic || !options->mqtt.user.empty())) {
    *error = "--mqtt-topic, --station, --mqtt-user and --mqtt-tls need --mqtt";
    return false;
  }
  if (options->mqtt.enabled) {
    // The password comes from the environment: a command line is visible to
    // every user of the machine.
    if (const char* password = std::getenv("VANTREL_MQTT_PASSWORD"))
      options->mqtt.password = password;
    const std::string problem = CheckFeedSettings(options->mqtt);
    if (!problem.empty()) {
      *error = "Network feed: " + problem;
      return false;
    }
  }
  if ((options->homeLatitude || !options->tleFile.empty()) && options->chartFile.empty()) {
    *error = "--home and --tle need --chart";
    return false;
  }
  return true;
}

const char* const kDecodeUsage =
    "Usage: vantrel-decode [OPTION]... INPUT\n"
    "       vantrel-decode [OPTION]... --iq FILE --iq-rate HZ [--iq-format F] [--center-freq HZ]\n"
    "       vantrel-decode [OPTION]... --device ARGS [--center-freq HZ] [--iq-rate HZ]\n"
    "       vantrel-decode --list-devices\n"
    "Decodes the downlink packets in a recording of a receiver's discriminator audio\n"
    "and prints one line per decoded packet, as the desktop program would show them.\n"
    "\n"
    "INPUT is a WAV file (8-bit unsigned or 16-bit signed PCM, 48000 Hz, mono or the\n"
    "first channel of several), or with --raw-input unsigned 8-bit samples at 48000 Hz\n"
    "from a file or from '-' (standard input, e.g. a live receiver piped in).\n"
    "\n"
    "Options:\n"
    "  --raw-input            read INPUT as raw samples at 48000 Hz\n"
    "  --raw-format FORMAT    with --raw-input: u8 (unsigned 8-bit, default) or s16le\n"
    "                         (signed 16-bit little-endian)\n"
    "  --iq FILE              decode every downlink in an SDR's complex samples of a\n"
    "                         band, from FILE or '-' (standard input)\n"
    "  --iq-format FORMAT     cu8 (interleaved unsigned 8-bit I/Q, default), cs16\n"
    "                         (signed 16-bit) or cf32 (32-bit float)\n"
    "  --iq-rate HZ           samples per second of the IQ input (9600 or more)\n"
    "  --center-freq HZ       the SDR's tuning; without it carriers are offsets\n"
    "  --ppm PPM              the SDR's frequency error in parts per million\n"
    "                         (positive when it runs fast), with --iq or --device\n"
    "  --device ARGS          decode an SDR receiver live until interrupted; ARGS\n"
    "                         are SoapySDR device arguments such as\n"
    "                         driver=rtlsdr,serial=00000001 ('' for the first found);\n"
    "                         --center-freq (default 137.5e6) and --iq-rate (default\n"
    "                         1228800) tune it\n"
    "  --list-devices         list the SDR receivers found (those matching --device\n"
    "                         when given), one per line, and exit\n"
    "  --start-time TIME      UTC time of the recording's first sample, ISO 8601,\n"
    "                         e.g. 2007-05-12T10:11:12Z (default: now); the clock\n"
    "                         reads TIME + k + 1 s while second k is decoded\n"
    "  --polarity MODE        upright, inverted or auto (default auto: start inverted\n"
    "                         and flip every 2 s while nothing is decoded for 5 s)\n"
    "  --demodulator NAME     classic (default: the packet search, exactly as the\n"
    "                         desktop program's default) or sensitive (decodes weak\n"
    "                         signals, reads both polarities, corrects bit errors)\n"
    "  --filter NAME=0|1,...  switch the lines of a packet type off or on; NAME is\n"
    "                         b1A message, b1B uplink, b1C downlink, b1D network\n"
    "                         control, b1E fill, b1F ephemeris, b22 elements, b65 sync,\n"
    "                         bOther the other types (taken back to back); all are\n"
    "                         on but b1E; may be given more than once\n"
    "  --table                print the 36 rows of the satellite table after the\n"
    "                         lines, then one per satellite above 36 heard\n"
    "  --log-dir DIR          append the daily decoded log orbcommYYMMDD.log in DIR\n"
    "                         (Windows-1252, CR LF; DIR must exist)\n"
    "  --raw                  with --log-dir, also the raw log orbcomm_rawYYMMDD.log\n"
#ifdef VANTREL_CHART
    "  --chart FILE.png       draw the Chart screen as it stands at the end of the\n"
    "                         recording into a 481 x 481 PNG: the earth around home,\n"
    "                         day and night, the satellites heard in its last five\n"
    "                         minutes with their FM numbers, and the home marker\n"
    "  --home LAT,LON         with --chart, home in degrees, north and east positive\n"
    "                         (default -34.5,139.0)\n"
    "  --tle FILE             with --chart, also every satellite of this file of\n"
    "                         two-line element sets that lies on the chart, by name\n"
#endif
    "  --json                 one JSON object per accepted packet instead of the\n"
    "                         lines (fields in the README); --table then prints\n"
    "                         the table as one JSON object at the end\n"
    "  --mqtt HOST[:PORT]     also publish each packet's JSON object to the MQTT\n"
    "                         broker (port 1883 by default) as TOPIC/STATION/packets,\n"
    "                         and a retained status each minute as .../status\n"
    "  --mqtt-topic TOPIC     first topic level (default vantrel)\n"
    "  --station NAME         this station's name, needed with --mqtt\n"
    "  --mqtt-user USER       log in as USER; the password is read from the\n"
    "                         environment variable VANTREL_MQTT_PASSWORD\n"
    "  --mqtt-tls             connect with TLS (system certificate authorities)\n"
    "  -h, --help             show this help and exit\n"
    "      --version          show the version and exit\n"
    "\n"
    "Options may come before or after INPUT; '--' ends the options.\n"
    "Output is UTF-8 on standard output. Exit status: 0 on success, 2 when the\n"
    "command line or the input is unusable (one line on standard error says why),\n"
    "1 when messages for the broker were still unsent 10 s after the input ended.\n";

}  // namespace vantrel::tools
