#include "app/tle_update_runner.h"

#include <sys/stat.h>

#include <QTimer>
#include <system_error>

#include "app/tle_update_dlg.h"

namespace vantrel {

namespace {

constexpr int kScheduleCheckMs = 10 * 60 * 1000;

std::optional<double> ModificationTime(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return std::nullopt;
  return static_cast<double>(info.st_mtim.tv_sec);
}

}  // namespace

TleUpdateRunner::TleUpdateRunner(VantrelDoc& doc, Notify notify, QObject* parent)
    : QObject(parent),
      doc_(doc),
      notify_(std::move(notify)),
      downloader_(new TleDownloader(this)) {}

TleUpdateRunner::~TleUpdateRunner() {
  if (writing_.valid()) writing_.wait();
}

void TleUpdateRunner::UpdateNow() {
  if (running_) {
    notify_("TLE update: an update is already under way");
    return;
  }
  std::vector<std::string> urls = SplitTleUrls(doc_.tleUpdate.urls);
  if (urls.empty()) {
    notify_("TLE update: no address to download from (Options > TLE > Update from the web)");
    return;
  }
  running_ = true;
  lastAttempt_ = static_cast<double>(doc_.clock().Now());
  downloader_->Start(std::move(urls),
                     [this](std::vector<TleDownload> downloads) { Apply(std::move(downloads)); });
}

void TleUpdateRunner::StartSchedule(int firstCheckMs) {
  if (schedule_ == nullptr) {
    schedule_ = new QTimer(this);
    connect(schedule_, &QTimer::timeout, this, &TleUpdateRunner::CheckSchedule);
  }
  schedule_->start(kScheduleCheckMs);
  QTimer::singleShot(firstCheckMs, this, &TleUpdateRunner::CheckSchedule);
}

void TleUpdateRunner::CheckSchedule() {
  // Only a file the user has chosen (or a first update has made) is kept
  // fresh; nothing is fetched unasked before that.
  if (running_ || doc_.tleFile.empty() || SplitTleUrls(doc_.tleUpdate.urls).empty()) return;
  if (TleUpdateDue(static_cast<double>(doc_.clock().Now()), ModificationTime(doc_.tleFile),
                   doc_.tleUpdate.hours, lastAttempt_))
    UpdateNow();
}

void TleUpdateRunner::Apply(std::vector<TleDownload> downloads) {
  const bool chosen = !doc_.tleFile.empty();
  const std::string path = chosen ? doc_.tleFile : DefaultTleFile().toStdString();
  if (path.empty()) {
    running_ = false;
    notify_("TLE update: there is no data folder for a TLE file; choose one with TLE > Define");
    return;
  }
  // Writing, flushing and reading back the file happen off the window's
  // thread; the result comes back through the event loop.
  auto write = [this, path, chosen, downloads = std::move(downloads)] {
    TleUpdateResult result = ApplyTleDownloads(path, downloads);
    QMetaObject::invokeMethod(
        this,
        [this, path, chosen, result = std::move(result)] {
          running_ = false;
          if (result.replaced) {
            if (!chosen && doc_.tleFile.empty()) doc_.tleFile = path, doc_.tleEnable = true;
            doc_.host().UpdateAllViews();
          }
          notify_(QString::fromStdString(result.notice));
        },
        Qt::QueuedConnection);
  };
  try {
    writing_ = std::async(std::launch::async, write);
  } catch (const std::system_error&) {
    write();  // no thread to be had: write here rather than not at all
  }
}

}  // namespace vantrel
