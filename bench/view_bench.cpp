// Time of one whole frame of each text and signal screen, drawn off-screen at
// a typical client size, and of the Chart screen through the view.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <string>

#include "view/vantrel_view.h"

namespace {

using vantrel::VantrelDoc;
using vantrel::VantrelView;

constexpr QSize kClient(680, 570);

void FillDocument(VantrelDoc& doc) {
  doc.logFlag = 0;
  for (int i = 0; i < 100; ++i) {
    doc.PostLine("Downlink channels (pt 1 of 2) 137.5000MHz 137.4400MHz 137.2875MHz 137.7125MHz #" +
                 std::to_string(i));
  }
  for (int k = 1; k <= 36; ++k) {
    doc.interpreter().satellites()[k] = {137.2875, 139.0 - k, -34.5 + k, 1180701296, 0};
  }
  for (int i = 0; i < 100; ++i) doc.packetSearch().EditState().ring[i] = (i * 37) % 256 - 128;
}

void DrawScreen(benchmark::State& state, vantrel::Screen viewState) {
  vantrel::HeldClock clock(1180701296);
  VantrelDoc doc(clock, "/tmp/");
  FillDocument(doc);
  doc.viewState = viewState;
  VantrelView view(doc);
  QImage target(kClient, QImage::Format_RGB32);
  for (auto _ : state) {
    QPainter painter(&target);
    view.OnDraw(painter, kClient);
    benchmark::DoNotOptimize(target.constBits());
  }
}

void BM_SignalFrame(benchmark::State& state) { DrawScreen(state, vantrel::kSignalScreen); }
void BM_MessagesFrame(benchmark::State& state) { DrawScreen(state, vantrel::kMessagesScreen); }
void BM_SatellitesFrame(benchmark::State& state) { DrawScreen(state, vantrel::kSatellitesScreen); }
void BM_ChartFrame(benchmark::State& state) { DrawScreen(state, vantrel::kChartScreen); }

BENCHMARK(BM_SignalFrame)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MessagesFrame)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SatellitesFrame)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChartFrame)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
