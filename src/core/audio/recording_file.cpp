#include "audio/recording_file.h"

#include <sys/stat.h>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "base/library_reason.h"

namespace vantrel {

RecordingInput::~RecordingInput() {
  if (sound_ != nullptr) sf_close(sound_);
  if (raw_ != nullptr && ownsRaw_) std::fclose(raw_);
}

bool RecordingInput::Open(const std::string& path, bool raw, std::string* error,
                          RawFormat rawFormat) {
  name_ = path == "-" ? "standard input" : path;
  rawFormat_ = rawFormat;
  struct stat info {};
  if (path != "-" && stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
    *error = path + ": is a directory, not a recording";
    return false;
  }
  if (raw) {
    raw_ = path == "-" ? stdin : std::fopen(path.c_str(), "rb");
    ownsRaw_ = path != "-";
    if (raw_ == nullptr) {
      *error = path + ": cannot open: " + std::strerror(errno);
      return false;
    }
    if (fstat(fileno(raw_), &info) == 0 && S_ISREG(info.st_mode))
      length_ = info.st_size / (rawFormat == RawFormat::S16le ? 2 : 1);
    return true;
  }
  SF_INFO format{};
  sound_ = sf_open(path.c_str(), SFM_READ, &format);
  if (sound_ == nullptr) {
    if (FILE* probe = std::fopen(path.c_str(), "rb")) {
      std::fclose(probe);
      *error = path + ": not a readable audio file (" + LibraryReason(sf_strerror(nullptr)) + ")";
    } else {
      *error = path + ": cannot open: " + std::strerror(errno);
    }
    return false;
  }
  // A refused file is closed again: nothing is read from it afterwards.
  const auto refuse = [&](const std::string& why) {
    sf_close(sound_);
    sound_ = nullptr;
    *error = path + ": " + why;
    return false;
  };
  // Only the containers the program writes and sound tools make of a
  // capture; the others libsndfile knows bring parsers nobody here needs.
  const int container = format.format & SF_FORMAT_TYPEMASK;
  if (container != SF_FORMAT_WAV && container != SF_FORMAT_WAVEX && container != SF_FORMAT_RF64)
    return refuse("not a WAV or RF64 file");
  // Every channel of a frame is read to keep the first: a bound on them is
  // a bound on the memory a file can make us take.
  if (format.channels < 1 || format.channels > kMaxChannels) {
    return refuse(std::to_string(format.channels) + " channels, at most " +
                  std::to_string(kMaxChannels) + " are read");
  }
  const int subtype = format.format & SF_FORMAT_SUBMASK;
  if (subtype != SF_FORMAT_PCM_U8 && subtype != SF_FORMAT_PCM_16)
    return refuse("samples are not 8-bit unsigned or 16-bit signed PCM");
  if (format.samplerate != kSampleRate) {
    return refuse("sample rate is " + std::to_string(format.samplerate) + " Hz, " +
                  std::to_string(kSampleRate) + " Hz needed");
  }
  channels_ = format.channels;
  length_ = format.frames;
  return true;
}

std::size_t RecordingInput::Read(std::vector<std::uint8_t>* samples) {
  if (raw_ != nullptr) {
    const std::size_t width = rawFormat_ == RawFormat::S16le ? 2 : 1;
    std::uint8_t* target = samples->data();
    if (width == 2) {
      rawBytes_.resize(samples->size() * 2);
      target = rawBytes_.data();
    }
    const std::size_t wanted = samples->size() * width;
    std::size_t total = 0;
    while (total < wanted) {
      const std::size_t n = std::fread(target + total, 1, wanted - total, raw_);
      total += n;
      if (n == 0) {
        if (std::ferror(raw_)) error_ = name_ + ": read error: " + std::strerror(errno);
        break;
      }
    }
    // A stream that ends inside a 16-bit sample drops that half sample.
    const std::size_t count = total / width;
    for (std::size_t i = 0; width == 2 && i < count; ++i) {
      const auto value16 =
          static_cast<std::int16_t>(rawBytes_[2 * i] | (rawBytes_[2 * i + 1] << 8));
      const int value = (value16 + 128) >> 8;
      (*samples)[i] = static_cast<std::uint8_t>(std::min(value, 127) + 128);
    }
    return count;
  }
  if (sound_ == nullptr) return 0;
  frames_.resize(samples->size() * static_cast<std::size_t>(channels_));
  const sf_count_t n =
      sf_readf_short(sound_, frames_.data(), static_cast<sf_count_t>(samples->size()));
  if (n <= 0) {
    if (sf_error(sound_) != SF_ERR_NO_ERROR)
      error_ = name_ + ": read error: " + sf_strerror(sound_);
    return 0;
  }
  // Back to the sound card's 8-bit unsigned scale, rounding 16-bit samples.
  for (sf_count_t i = 0; i < n; ++i) {
    const int value = (frames_[static_cast<std::size_t>(i) * channels_] + 128) >> 8;
    (*samples)[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(std::min(value, 127) + 128);
  }
  return static_cast<std::size_t>(n);
}

bool LoadRecording(const std::string& path, std::vector<std::uint8_t>* samples,
                   std::string* error) {
  RecordingInput input;
  if (!input.Open(path, false, error)) return false;
  samples->clear();
  std::vector<std::uint8_t> block(RecordingInput::kSampleRate);
  while (const std::size_t n = input.Read(&block))
    samples->insert(samples->end(), block.begin(), block.begin() + static_cast<long>(n));
  if (!input.error().empty()) {
    *error = input.error();
    return false;
  }
  return true;
}

}  // namespace vantrel
