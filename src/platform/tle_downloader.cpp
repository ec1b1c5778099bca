#include "platform/tle_downloader.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

#include "orbit/tle_reader.h"
#include "vantrel_version.h"

namespace vantrel {

namespace {

std::string Seconds(int ms) { return std::to_string((ms + 999) / 1000) + " s"; }

constexpr qint64 kReadAhead = 1 << 20;

}  // namespace

TleDownloader::TleDownloader(QObject* parent)
    : QObject(parent),
      network_(new QNetworkAccessManager(this)),
      transferTimer_(new QTimer(this)),
      limits_{.maxBytes = static_cast<qint64>(kMaxTleFileBytes)} {
  transferTimer_->setSingleShot(true);
  connect(transferTimer_, &QTimer::timeout, this,
          [this] { Fail("no complete answer within " + Seconds(limits_.transferMs)); });
}

TleDownloader::~TleDownloader() {
  // The reply must not call back into a half-destroyed downloader.
  if (reply_) {
    reply_->disconnect(this);
    reply_->abort();
  }
}

bool TleDownloader::Start(std::vector<std::string> urls, Done done) {
  if (Busy() || urls.empty()) return false;
  urls_ = std::move(urls);
  downloads_.clear();
  done_ = std::move(done);
  FetchNext();
  return true;
}

void TleDownloader::FetchNext() {
  if (downloads_.size() == urls_.size() ||
      (!downloads_.empty() && !downloads_.back().error.empty())) {
    urls_.clear();
    // Handed over from the event loop, so that the caller may start the next
    // update from its callback.
    Done done = std::move(done_);
    QTimer::singleShot(0, this, [done, downloads = std::move(downloads_)] { done(downloads); });
    downloads_ = {};
    return;
  }
  const std::string& url = urls_[downloads_.size()];
  downloads_.push_back({url, {}, {}});
  abortReason_.clear();
  QNetworkRequest request(QUrl(QString::fromStdString(url), QUrl::StrictMode));
  request.setTransferTimeout(limits_.silenceMs);
  request.setHeader(QNetworkRequest::UserAgentHeader, "Vantrel/" VANTREL_VERSION);
  request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                       QNetworkRequest::NoLessSafeRedirectPolicy);
  QNetworkReply* reply = network_->get(request);
  // Qt's network thread reads no further ahead than this. Unbounded, it
  // poured an endless answer into the event loop faster than a slow build
  // could take it, and the manager's later downloads got no data at all.
  reply->setReadBufferSize(kReadAhead);
  reply_ = reply;
  transferTimer_->start(limits_.transferMs);
  // Signals of a reply already given up are ignored.
  // A length announced beyond the limit is refused before the body comes.
  connect(reply, &QNetworkReply::metaDataChanged, this, [this, reply] {
    const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
    if (reply == reply_ && length.isValid() && length.toLongLong() > limits_.maxBytes)
      Fail("larger than " + std::to_string(limits_.maxBytes >> 20) + " MiB");
  });
  connect(reply, &QNetworkReply::readyRead, this, [this, reply] {
    if (reply != reply_) return;
    std::string& body = downloads_.back().body;
    const QByteArray bytes = reply->read(limits_.maxBytes + 1 - static_cast<qint64>(body.size()));
    body.append(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    if (static_cast<qint64>(body.size()) > limits_.maxBytes)
      Fail("larger than " + std::to_string(limits_.maxBytes >> 20) + " MiB");
  });
  connect(reply, &QNetworkReply::finished, this, [this, reply] {
    if (reply == reply_) OnFinished();
  });
}

void TleDownloader::Fail(const std::string& reason) {
  if (!reply_ || !abortReason_.empty()) return;
  abortReason_ = reason;
  reply_->abort();  // finishes the reply, which calls OnFinished
}

void TleDownloader::OnFinished() {
  transferTimer_->stop();
  QNetworkReply* reply = reply_;
  reply_ = nullptr;
  reply->deleteLater();
  TleDownload& download = downloads_.back();
  // A reply Qt closed itself (its transfer timeout) has nothing left to read.
  if (abortReason_.empty() && reply->isOpen()) {
    const QByteArray rest = reply->readAll();
    download.body.append(rest.constData(), static_cast<std::size_t>(rest.size()));
  }
  const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
  const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
  if (!abortReason_.empty()) {
    download.error = abortReason_;
  } else if (status.isValid() && status.toInt() != 200) {
    download.error =
        "HTTP status " + std::to_string(status.toInt()) + " " +
        reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString().toStdString();
  } else if (reply->error() == QNetworkReply::OperationCanceledError ||
             reply->error() == QNetworkReply::TimeoutError) {
    download.error = "no data for " + Seconds(limits_.silenceMs);
  } else if (reply->error() != QNetworkReply::NoError) {
    download.error = reply->errorString().toStdString();
  } else if (static_cast<qint64>(download.body.size()) > limits_.maxBytes) {
    download.error = "larger than " + std::to_string(limits_.maxBytes >> 20) + " MiB";
  } else if (length.isValid() && length.toLongLong() != static_cast<qint64>(download.body.size())) {
    download.error = "cut short after " + std::to_string(download.body.size()) + " of " +
                     std::to_string(length.toLongLong()) + " bytes";
  }
  if (!download.error.empty()) {
    download.body.clear();
    // Nothing a failed transfer leaves in the manager (its network thread
    // still busy with an endless or silent connection) may hold up later
    // downloads: the next one starts on a fresh manager, the old one goes.
    network_->deleteLater();
    network_ = new QNetworkAccessManager(this);
  }
  FetchNext();
}

}  // namespace vantrel
