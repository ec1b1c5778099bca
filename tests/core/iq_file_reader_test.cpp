// An IQ recording played as a receiver: paced by the clock, every sample
// once and in order, a stall caught up by two seconds at most.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "sdr/iq_file_reader.h"

namespace vantrel::sdr {
namespace {

// A cf32 recording whose sample i has the real part i / 100.
std::string Recording(const std::string& name, int samples) {
  const std::string path = testing::TempDir() + name;
  std::ofstream out(path, std::ios::binary);
  for (int i = 0; i < samples; ++i) {
    const float pair[2] = {static_cast<float>(i) / 100.0f, 0.0f};
    out.write(reinterpret_cast<const char*>(pair), sizeof pair);
  }
  return path;
}

std::unique_ptr<IqFileReader> Open(const std::string& path, double rate) {
  std::string error;
  auto reader = IqFileReader::Open({path, IqFormat::Cf32, rate, {}}, &error);
  EXPECT_TRUE(reader) << error;
  return reader;
}

// After a stall of 2.5 s one read hands over 2 s of samples, and the file
// goes on where it left off.
TEST(IqFileReader, PlaysEverySampleInOrderAtItsRateCatchingUpTwoSecondsAtMost) {
  const std::string path = Recording("vantrel-paced.cf32", 30000);
  const auto started = std::chrono::steady_clock::now();
  const auto reader = Open(path, 10000.0);
  std::vector<Complex> played, out;
  std::string error;
  ASSERT_EQ(reader->Read(&played, &error), BandReader::Result::Samples);
  EXPECT_LT(played.size(), 5000u) << "handed over ahead of the clock";
  std::this_thread::sleep_for(std::chrono::milliseconds(2500));
  ASSERT_EQ(reader->Read(&out, &error), BandReader::Result::Samples);
  EXPECT_EQ(out.size(), 20000u);
  do played.insert(played.end(), out.begin(), out.end()), out.clear();
  while (reader->Read(&out, &error) == BandReader::Result::Samples);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  ASSERT_EQ(played.size(), 30000u);
  for (int i = 0; i < 30000; ++i) ASSERT_EQ(played[i].real(), static_cast<float>(i) / 100.0f) << i;
  EXPECT_GE(seconds, 3.0);
  std::filesystem::remove(path);
}

TEST(IqFileReader, IdleBeforeASampleIsDueAndFailedOnAReadError) {
  const std::string path = Recording("vantrel-slow.cf32", 4);
  std::vector<Complex> out;
  std::string error;
  EXPECT_EQ(Open(path, 1.0)->Read(&out, &error), BandReader::Result::Idle);
  EXPECT_TRUE(out.empty());
  // A folder opens as a file but cannot be read from.
  const std::string folder = testing::TempDir() + "vantrel-iq-folder";
  std::filesystem::create_directories(folder);
  EXPECT_EQ(Open(folder, 10000.0)->Read(&out, &error), BandReader::Result::Failed);
  EXPECT_EQ(error, folder + ": Is a directory");
  EXPECT_FALSE(IqFileReader::Open({folder + "/none", IqFormat::Cf32, 1.0, {}}, &error));
  EXPECT_EQ(error, folder + "/none: No such file or directory");
  std::filesystem::remove_all(folder);
  std::filesystem::remove(path);
}

}  // namespace
}  // namespace vantrel::sdr
