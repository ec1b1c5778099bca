// Downloads the TLE update's URLs one after another over HTTP or HTTPS,
// without blocking the event loop: each with a timeout for silence, one for
// the whole transfer and a size limit. The first URL that fails ends the
// update; what arrived is handed over once, when it is over.
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <string>
#include <vector>

#include "orbit/tle_update.h"

class QNetworkAccessManager;
class QNetworkReply;
class QTimer;

namespace vantrel {

class TleDownloader : public QObject {
  Q_OBJECT

 public:
  struct Limits {
    int silenceMs = 30000;    // no byte for this long (connecting included) ends it
    int transferMs = 120000;  // the whole download of one URL
    qint64 maxBytes;          // the reader's bound
  };
  using Done = std::function<void(std::vector<TleDownload>)>;

  explicit TleDownloader(QObject* parent = nullptr);
  ~TleDownloader() override;

  void SetLimits(const Limits& limits) { limits_ = limits; }
  bool Busy() const { return !urls_.empty(); }
  // Downloads urls in turn; done gets one entry per URL tried. False (and
  // nothing called) while an earlier update is still under way.
  bool Start(std::vector<std::string> urls, Done done);

 private:
  void FetchNext();
  void Fail(const std::string& reason);
  void OnFinished();

  QNetworkAccessManager* network_;
  QTimer* transferTimer_;
  QPointer<QNetworkReply> reply_;
  Limits limits_;
  std::vector<std::string> urls_;
  std::vector<TleDownload> downloads_;
  std::string abortReason_;
  Done done_;
};

}  // namespace vantrel
