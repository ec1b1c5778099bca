// Raw 16-bit input, as an FM demodulator writes it: each sample rounded to
// 8 bits, a half sample at the end dropped.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "audio/recording_file.h"

namespace vantrel {
namespace {

TEST(RecordingFile, RawSixteenBitSamplesRoundToEightBits) {
  const std::string path = testing::TempDir() + "vantrel-raw.s16";
  std::ofstream(path, std::ios::binary).write("\x00\x00\x80\x00\x00\x80\xFF\x7F\x7F\xFF\x12", 11);
  RecordingInput input;
  std::string error;
  ASSERT_TRUE(input.Open(path, true, &error, RawFormat::S16le)) << error;
  std::vector<std::uint8_t> samples(8);
  samples.resize(input.Read(&samples));
  EXPECT_EQ(samples, (std::vector<std::uint8_t>{128, 129, 0, 255, 127}));
  std::remove(path.c_str());
}

}  // namespace
}  // namespace vantrel
