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

TEST(IqFileReader, PlaysEverySampleInOrderNoFasterThanItsRate) {
  const std::string path = Recording("vantrel-paced.cf32", 10000);
  const auto started = std::chrono::steady_clock::now();
  const auto reader = Open(path, 10000.0);
  std::vector<Complex> played, out;
  std::size_t firstPiece = 0;
  std::string error;
  for (int i = 0; i < 400 && reader->Read(&out, &error) == BandReader::Result::Samples; ++i) {
    if (played.empty()) firstPiece = out.size();
    played.insert(played.end(), out.begin(), out.end());
    out.clear();
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  ASSERT_EQ(played.size(), 10000u);
  for (int i = 0; i < 10000; ++i) ASSERT_EQ(played[i].real(), static_cast<float>(i) / 100.0f) << i;
  EXPECT_LT(firstPiece, 5000u) << "handed over ahead of the clock";
  EXPECT_GE(seconds, 1.0);
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

// After a stall of 2.5 s the next read hands over 2 s of samples, continuing
// the file where it left off.
TEST(IqFileReader, AStallIsCaughtUpByTwoSecondsAtMost) {
  const std::string path = Recording("vantrel-stalled.cf32", 30000);
  const auto reader = Open(path, 10000.0);
  std::this_thread::sleep_for(std::chrono::milliseconds(2500));
  std::vector<Complex> out;
  std::string error;
  ASSERT_EQ(reader->Read(&out, &error), BandReader::Result::Samples);
  ASSERT_EQ(out.size(), 20000u);
  EXPECT_EQ(out.front().real(), 0.0f);
  out.clear();
  reader->Read(&out, &error);
  ASSERT_FALSE(out.empty());
  EXPECT_EQ(out.front().real(), 200.0f);
  std::filesystem::remove(path);
}

}  // namespace
}  // namespace vantrel::sdr
