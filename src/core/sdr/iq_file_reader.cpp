#include "sdr/iq_file_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>

namespace vantrel::sdr {

namespace {
constexpr auto kReadInterval = std::chrono::milliseconds(50);
// After a stall the recording catches up by at most this much, as a
// receiver's own buffers would have overrun anyway.
constexpr double kMaxCatchUpSeconds = 2.0;
}  // namespace

std::unique_ptr<IqFileReader> IqFileReader::Open(const IqRecording& recording, std::string* error) {
  std::FILE* file = std::fopen(recording.path.c_str(), "rb");
  if (file == nullptr) {
    *error = recording.path + ": " + std::strerror(errno);
    return nullptr;
  }
  return std::unique_ptr<IqFileReader>(new IqFileReader(recording, file));
}

IqFileReader::IqFileReader(IqRecording recording, std::FILE* file)
    : recording_(std::move(recording)),
      file_(file),
      converter_(recording_.format),
      started_(std::chrono::steady_clock::now()) {}

IqFileReader::~IqFileReader() { std::fclose(file_); }

BandReader::Result IqFileReader::Read(std::vector<Complex>* out, std::string* error) {
  std::this_thread::sleep_for(kReadInterval);
  const double elapsed =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
  const auto due = static_cast<std::int64_t>(elapsed * recording_.sampleRate);
  played_ = std::max(played_,
                     due - static_cast<std::int64_t>(kMaxCatchUpSeconds * recording_.sampleRate));
  if (due <= played_) return Result::Idle;
  const std::size_t wanted =
      static_cast<std::size_t>(due - played_) * IqSampleBytes(recording_.format);
  bytes_.resize(wanted);
  const std::size_t got = std::fread(bytes_.data(), 1, wanted, file_);
  played_ = due;
  converter_.Convert(bytes_.data(), got, out);
  if (got < wanted) {
    if (std::ferror(file_)) {
      *error = recording_.path + ": " + std::strerror(errno);
      return Result::Failed;
    }
    if (out->empty()) return Result::End;
  }
  return Result::Samples;
}

}  // namespace vantrel::sdr
