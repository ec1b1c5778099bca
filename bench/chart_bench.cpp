// Chart paints: the per-paint work (sun angle, land bit, colour per pixel,
// markers and labels) from a filled projection cache, the paint that fills
// the cache, and a paint with a TLE file of 10 000 sets propagated.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "view/chart_screen.h"

namespace {

using namespace vantrel;

constexpr CTime kNow = 1174478400;  // 2007-03-21 12:00:00 UTC

std::string GlobePath() {
  const char* source = std::getenv("VANTREL_SOURCE_DIR");
  return std::string(source != nullptr ? source : VANTREL_SOURCE_ROOT) + "/data/globe.dat";
}

// 10 000 sets of low orbits spread over all planes and phases, epoch a day
// before the clock.
std::string WriteTleFile(int sets) {
  const auto path = std::filesystem::temp_directory_path() / "vantrel_bench_10000.tle";
  std::ofstream out(path);
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> angle(0.0, 360.0), inclination(0.0, 100.0),
      motion(13.5, 15.8);
  char line[80];
  for (int k = 0; k < sets; ++k) {
    out << "ORBCOMM FM " << k << "\n";
    std::snprintf(line, sizeof line,
                  "1 %05dU 07001A   07079.50000000  .00000140  00000-0  00000-0 0  9990",
                  k % 100000);
    out << line << "\n";
    std::snprintf(line, sizeof line, "2 %05d %8.4f %8.4f 0012345 %8.4f %8.4f %11.8f    01",
                  k % 100000, inclination(rng), angle(rng), angle(rng), angle(rng), motion(rng));
    out << line << "\n";
  }
  return path.string();
}

struct Scene {
  HeldClock clock{kNow};
  VantrelDoc doc{clock, "/nonexistent/"};
  ChartScreen chart{kNow};
  QImage frame{640, 481, QImage::Format_RGB32};

  Scene() {
    chart.LoadGlobe(GlobePath());
    // Every satellite heard a minute ago, spread around home.
    for (int fm = 1; fm <= kSatelliteCount; ++fm) {
      doc.interpreter().satellites()[fm].latitude = doc.homeLatitude + (fm % 6 - 3) * 6.0 + 0.5;
      doc.interpreter().satellites()[fm].longitude = doc.homeLongitude + (fm / 6 - 3) * 6.0 + 0.5;
      doc.interpreter().satellites()[fm].positionTime = static_cast<std::int32_t>(kNow - 60);
    }
    Paint();  // fill the projection cache
  }
  void Paint() {
    frame.fill(QColor(200, 200, 255));
    QPainter painter(&frame);
    painter.setFont(QGuiApplication::font());
    chart.Draw(painter, doc, clock);
  }
};

void BM_ChartPaint(benchmark::State& state) {
  Scene scene;
  for (auto _ : state) {
    scene.Paint();
    benchmark::DoNotOptimize(scene.frame.constBits());
  }
}
BENCHMARK(BM_ChartPaint)->Unit(benchmark::kMillisecond);

void BM_ChartPaintNewHome(benchmark::State& state) {
  Scene scene;
  for (auto _ : state) {
    scene.doc.projectionDirty = 1;
    scene.Paint();
  }
}
BENCHMARK(BM_ChartPaintNewHome)->Unit(benchmark::kMillisecond);

void BM_ChartPaintTle10000(benchmark::State& state) {
  Scene scene;
  scene.doc.tleFile = WriteTleFile(10000);
  scene.doc.tleEnable = 1;
  scene.chart.ReadTleFileNow(scene.doc.tleFile);  // read in the background otherwise
  for (auto _ : state) scene.Paint();
  std::filesystem::remove(scene.doc.tleFile);
}
BENCHMARK(BM_ChartPaintTle10000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
