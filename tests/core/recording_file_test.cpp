// Recordings: raw 16-bit input, as an FM demodulator writes it (each sample
// rounded to 8 bits, a half sample at the end dropped), and the containers
// and channel counts read.
#include <gtest/gtest.h>
#include <sndfile.h>

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
  EXPECT_EQ(input.length(), 5);  // the length tells the progress shown
  std::remove(path.c_str());
}

// WAV, WAVE_FORMAT_EXTENSIBLE and RF64 are read; other containers and a
// frame too wide to read cheaply are refused with one line.
TEST(RecordingFile, OnlyWavContainersOfFewChannelsAreRead) {
  const struct {
    int format, channels;
    std::string error;  // empty: read
  } rows[] = {
      {SF_FORMAT_WAV, 16, ""},
      {SF_FORMAT_WAVEX, 1, ""},
      {SF_FORMAT_RF64, 2, ""},
      {SF_FORMAT_AIFF, 1, ": not a WAV or RF64 file"},
      {SF_FORMAT_WAV, 17, ": 17 channels, at most 16 are read"},
  };
  const std::string path = testing::TempDir() + "vantrel-container";
  for (const auto& row : rows) {
    SF_INFO info{};
    info.samplerate = 48000, info.channels = row.channels;
    info.format = row.format | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    std::vector<short> frames(std::size_t(4 * row.channels), 0x4000);
    sf_writef_short(file, frames.data(), 4);
    sf_close(file);
    RecordingInput input;
    std::string error;
    EXPECT_EQ(input.Open(path, false, &error), row.error.empty()) << row.format;
    EXPECT_EQ(error, row.error.empty() ? "" : path + row.error);
    std::vector<std::uint8_t> samples(8);
    EXPECT_EQ(input.Read(&samples), row.error.empty() ? 4u : 0u);
    EXPECT_EQ(samples[3], row.error.empty() ? 128 + 64 : 0) << row.format;
    EXPECT_EQ(input.length(), row.error.empty() ? 4 : 0) << row.format;
  }
  std::remove(path.c_str());
}

}  // namespace
}  // namespace vantrel
