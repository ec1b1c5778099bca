// Runs the TLE updates of the desktop program: on "Update now" and, once a
// TLE file is chosen, whenever the interval since its last change has
// passed. Downloads go through TleDownloader; the file is written on a
// worker thread, so the window never waits for the network or the disk.
// Each update ends in one status line.
#pragma once

#include <QObject>
#include <functional>
#include <future>
#include <optional>

#include "document/vantrel_doc.h"
#include "platform/tle_downloader.h"

class QTimer;

namespace vantrel {

class TleUpdateRunner : public QObject {
  Q_OBJECT

 public:
  using Notify = std::function<void(const QString&)>;
  TleUpdateRunner(VantrelDoc& doc, Notify notify, QObject* parent = nullptr);
  ~TleUpdateRunner() override;

  // Starts an update unless one is under way.
  void UpdateNow();
  // Checks now and every ten minutes whether a scheduled update is due.
  void StartSchedule(int firstCheckMs = 10000);
  TleDownloader& downloader() { return *downloader_; }

 private:
  void CheckSchedule();
  void Apply(std::vector<TleDownload> downloads);

  VantrelDoc& doc_;
  Notify notify_;
  TleDownloader* downloader_;
  QTimer* schedule_ = nullptr;
  std::future<void> writing_;
  bool running_ = false;
  std::optional<double> lastAttempt_;
};

}  // namespace vantrel
