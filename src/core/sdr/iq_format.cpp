#include "sdr/iq_format.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace vantrel::sdr {

namespace {
constexpr float kCf32Limit = 1000.0f;
}  // namespace

std::optional<IqFormat> ParseIqFormat(const std::string& name) {
  if (name == "cu8") return IqFormat::Cu8;
  if (name == "cs16") return IqFormat::Cs16;
  if (name == "cf32") return IqFormat::Cf32;
  return std::nullopt;
}

// A NaN, infinity or absurd value would poison every filter downstream;
// full scale is 1.
Complex SaneCf32(float re, float im) {
  const auto sane = [](float v) {
    return std::isfinite(v) ? std::clamp(v, -kCf32Limit, kCf32Limit) : 0.0f;
  };
  return {sane(re), sane(im)};
}

const char* IqFormatName(IqFormat format) {
  switch (format) {
    case IqFormat::Cu8:
      return "cu8";
    case IqFormat::Cs16:
      return "cs16";
    case IqFormat::Cf32:
      return "cf32";
  }
  return "cu8";
}

std::size_t IqSampleBytes(IqFormat format) {
  switch (format) {
    case IqFormat::Cu8:
      return 2;
    case IqFormat::Cs16:
      return 4;
    case IqFormat::Cf32:
      return 8;
  }
  return 2;
}

void IqConverter::ConvertWhole(const std::uint8_t* bytes, std::size_t samples,
                               std::vector<Complex>* out) const {
  const std::size_t base = out->size();
  out->resize(base + samples);
  Complex* dst = out->data() + base;
  switch (format_) {
    case IqFormat::Cu8:
      for (std::size_t i = 0; i < samples; ++i) {
        dst[i] = {(bytes[2 * i] - 127.5f) / 128.0f, (bytes[2 * i + 1] - 127.5f) / 128.0f};
      }
      break;
    case IqFormat::Cs16:
      for (std::size_t i = 0; i < samples; ++i) {
        const std::uint8_t* p = bytes + 4 * i;
        const auto re = static_cast<std::int16_t>(p[0] | (p[1] << 8));
        const auto im = static_cast<std::int16_t>(p[2] | (p[3] << 8));
        dst[i] = {re / 32768.0f, im / 32768.0f};
      }
      break;
    case IqFormat::Cf32:
      for (std::size_t i = 0; i < samples; ++i) {
        float pair[2];
        std::memcpy(pair, bytes + 8 * i, sizeof pair);
        dst[i] = SaneCf32(pair[0], pair[1]);
      }
      break;
  }
}

void IqConverter::Convert(const std::uint8_t* bytes, std::size_t count, std::vector<Complex>* out) {
  const std::size_t size = IqSampleBytes(format_);
  if (!pending_.empty()) {
    const std::size_t take = std::min(size - pending_.size(), count);
    pending_.insert(pending_.end(), bytes, bytes + take);
    bytes += take;
    count -= take;
    if (pending_.size() < size) return;
    ConvertWhole(pending_.data(), 1, out);
    pending_.clear();
  }
  const std::size_t whole = count / size;
  ConvertWhole(bytes, whole, out);
  pending_.assign(bytes + whole * size, bytes + count);
}

}  // namespace vantrel::sdr
