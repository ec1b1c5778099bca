// A SoapySDR module for tests: one receiver, "vantreltest", that plays the
// cf32 file named by VANTREL_TEST_IQ_FILE as fast as it is read, at
// whatever rate and frequency it is set to. When the file is over the
// receiver acts unplugged: every read fails. A read waits for the file and
// ignores its timeout, so a pipe whose writer is silent makes a receiver
// that stalls, as a hung driver does.
#include <SoapySDR/Device.hpp>
#include <SoapySDR/Errors.hpp>
#include <SoapySDR/Formats.hpp>
#include <SoapySDR/Registry.hpp>

#include <complex>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace {

class IqFileDevice final : public SoapySDR::Device {
 public:
  explicit IqFileDevice(std::string path) : path_(std::move(path)) {}

  std::string getDriverKey() const override { return "vantreltest"; }
  size_t getNumChannels(int) const override { return 1; }
  std::vector<std::string> getStreamFormats(int, size_t) const override { return {SOAPY_SDR_CF32}; }

  void setSampleRate(int, size_t, double rate) override { rate_ = rate; }
  double getSampleRate(int, size_t) const override { return rate_; }
  void setFrequency(int, size_t, double frequency, const SoapySDR::Kwargs&) override {
    frequency_ = frequency;
  }
  double getFrequency(int, size_t) const override { return frequency_; }

  SoapySDR::Stream* setupStream(int direction, const std::string& format,
                                const std::vector<size_t>&, const SoapySDR::Kwargs&) override {
    if (direction != SOAPY_SDR_RX || format != SOAPY_SDR_CF32)
      throw std::runtime_error("CF32 reception only");
    file_ = std::fopen(path_.c_str(), "rb");
    if (file_ == nullptr) throw std::runtime_error("cannot open " + path_);
    return reinterpret_cast<SoapySDR::Stream*>(file_);
  }
  void closeStream(SoapySDR::Stream*) override {
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
  }
  size_t getStreamMTU(SoapySDR::Stream*) const override { return 16384; }
  int activateStream(SoapySDR::Stream*, int, long long, size_t) override { return 0; }
  int deactivateStream(SoapySDR::Stream*, int, long long) override { return 0; }

  int readStream(SoapySDR::Stream*, void* const* buffers, size_t count, int& flags, long long&,
                 long) override {
    flags = 0;
    const size_t read = std::fread(buffers[0], sizeof(std::complex<float>), count, file_);
    return read > 0 ? static_cast<int>(read) : SOAPY_SDR_STREAM_ERROR;
  }

 private:
  std::string path_;
  std::FILE* file_ = nullptr;
  double rate_ = 1e6;
  double frequency_ = 100e6;
};

SoapySDR::KwargsList Find(const SoapySDR::Kwargs&) {
  if (std::getenv("VANTREL_TEST_IQ_FILE") == nullptr) return {};
  return {{{"driver", "vantreltest"}, {"label", "Test IQ player"}, {"serial", "vt0001"}}};
}

SoapySDR::Device* Make(const SoapySDR::Kwargs&) {
  const char* path = std::getenv("VANTREL_TEST_IQ_FILE");
  return new IqFileDevice(path ? path : "");  // no file: setupStream fails
}

const SoapySDR::Registry kRegistration("vantreltest", &Find, &Make, SOAPY_SDR_ABI_VERSION);

}  // namespace
