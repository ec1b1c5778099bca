// A SoapySDR receiver's samples and rate, through the test module playing a cf32 file.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <limits>

#include "platform/soapy_band_reader.h"

namespace vantrel {
namespace {

// A driver's NaN, infinity or absurd sample reaches the filters as a safe
// number, as from a file; a rate beyond what the band receiver sizes for is
// refused.
TEST(SoapyBandReader, DeviceSamplesAreCleanedAndTheRateBounded) {
  const std::string path = testing::TempDir() + "vantrel-device.cf32";
  const float inf = std::numeric_limits<float>::infinity();
  const float samples[] = {std::nanf(""), 0.5f, inf, -inf, 1e30f, -0.25f};
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(samples), sizeof samples);
  setenv("VANTREL_TEST_IQ_FILE", path.c_str(), 1);
  setenv("SOAPY_SDR_PLUGIN_PATH",
         (std::string(std::getenv("VANTREL_BIN_DIR")) + "/../soapy-modules").c_str(), 1);

  std::string error;
  sdr::SdrTuning tuning;
  tuning.sampleRate = 50e6;
  EXPECT_EQ(SoapyBandReader::Open({{"driver", "vantreltest"}}, tuning, &error), nullptr);
  EXPECT_EQ(error, "the receiver refused the sample rate");

  tuning.sampleRate = 1e6;
  const auto reader = SoapyBandReader::Open({{"driver", "vantreltest"}}, tuning, &error);
  ASSERT_NE(reader, nullptr) << error;
  std::vector<sdr::Complex> read;
  ASSERT_EQ(reader->Read(&read, &error), sdr::BandReader::Result::Samples) << error;
  EXPECT_EQ(read, (std::vector<sdr::Complex>{{0.0f, 0.5f}, {0.0f, 0.0f}, {1000.0f, -0.25f}}));
  std::remove(path.c_str());
}

}  // namespace
}  // namespace vantrel
