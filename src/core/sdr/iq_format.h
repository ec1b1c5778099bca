// Interleaved I/Q sample formats of SDR recordings and pipes, and their
// conversion to complex floats scaled to about ±1 at full scale.
#pragma once

#include <complex>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vantrel::sdr {

using Complex = std::complex<float>;

// cu8: unsigned 8-bit pairs (offset 127.5); cs16: signed 16-bit little-endian
// pairs; cf32: 32-bit little-endian float pairs.
enum class IqFormat { Cu8, Cs16, Cf32 };

std::optional<IqFormat> ParseIqFormat(const std::string& name);
const char* IqFormatName(IqFormat format);
// Bytes of one complex sample.
std::size_t IqSampleBytes(IqFormat format);

// A float sample from a file or a receiver, made safe for the filters: NaN
// and infinity become 0, anything beyond 1000 times full scale is clamped.
Complex SaneCf32(float re, float im);

// Turns a byte stream handed over in arbitrary pieces into complex samples.
// Bytes of a sample cut by a piece boundary wait for the next piece; what is
// left over at the end of the stream is dropped.
class IqConverter {
 public:
  explicit IqConverter(IqFormat format) : format_(format) {}

  // Appends the complete samples of bytes[0..count) (plus any carried
  // partial sample) to *out.
  void Convert(const std::uint8_t* bytes, std::size_t count, std::vector<Complex>* out);
  // Bytes of an unfinished sample held back so far.
  std::size_t pendingBytes() const { return pending_.size(); }

 private:
  void ConvertWhole(const std::uint8_t* bytes, std::size_t samples,
                    std::vector<Complex>* out) const;

  IqFormat format_;
  std::vector<std::uint8_t> pending_;
};

}  // namespace vantrel::sdr
