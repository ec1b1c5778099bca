#include "feed/mqtt_feed.h"

#include <chrono>
#include <iterator>
#include <thread>
#include <utility>
#include <vector>

#include "base/library_reason.h"
#include "feed/packet_json.h"

namespace vantrel {

namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr int kFirstRetryMs = 1000;
constexpr int kLongestRetryMs = 4000;
constexpr auto kConnectTimeout = std::chrono::seconds(10);
constexpr const char* kCertificateDirectory = "/etc/ssl/certs";

// Publish results that no later attempt can change: the message itself is
// refused. Anything else (no connection, out of memory) is tried again.
bool IsRefusal(int rc) {
  return rc == MOSQ_ERR_INVAL || rc == MOSQ_ERR_PAYLOAD_SIZE || rc == MOSQ_ERR_MALFORMED_UTF8 ||
         rc == MOSQ_ERR_OVERSIZE_PACKET || rc == MOSQ_ERR_QOS_NOT_SUPPORTED ||
         rc == MOSQ_ERR_RETAIN_NOT_SUPPORTED;
}

std::string Dump(const nlohmann::ordered_json& object) {
  return object.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

}  // namespace

int MqttFeed::SetUpSystemTls(mosquitto* client) {
  return mosquitto_tls_set(client, nullptr, kCertificateDirectory, nullptr, nullptr, nullptr);
}

MqttFeed::Handle MqttFeed::Start(FeedSettings settings, std::shared_ptr<FeedQueue> queue,
                                 std::chrono::milliseconds ackTimeout, TlsSetUp setUpTls) {
  if (!queue) queue = std::make_shared<FeedQueue>();
  return Handle(new MqttFeed(std::move(settings), std::move(queue), ackTimeout, setUpTls));
}

MqttFeed::MqttFeed(FeedSettings settings, std::shared_ptr<FeedQueue> queue,
                   std::chrono::milliseconds ackTimeout, TlsSetUp setUpTls)
    : settings_(std::move(settings)),
      packetsTopic_(PacketsTopic(settings_)),
      statusTopic_(StatusTopic(settings_)),
      queue_(std::move(queue)),
      ackTimeout_(ackTimeout),
      finishedFuture_(finished_.get_future()) {
  static std::once_flag init;
  std::call_once(init, [] { mosquitto_lib_init(); });
  client_ = mosquitto_new(nullptr, true, this);
  if (client_ == nullptr) {
    notice_ = "Network feed: cannot create the MQTT client";
    return;
  }
  mosquitto_connect_callback_set(client_, HandleConnect);
  mosquitto_disconnect_callback_set(client_, HandleDisconnect);
  mosquitto_publish_callback_set(client_, HandlePublish);
  if (!settings_.user.empty()) {
    mosquitto_username_pw_set(client_, settings_.user.c_str(),
                              settings_.password.empty() ? nullptr : settings_.password.c_str());
  }
  if (settings_.tls) {
    // Asked for TLS, the feed never falls back to plain TCP: the login and
    // the packets would go out readable by anyone on the way.
    const int rc = setUpTls(client_);
    if (rc != MOSQ_ERR_SUCCESS) {
      notice_ = "Network feed: TLS unavailable (" + LibraryReason(mosquitto_strerror(rc)) +
                "); not connecting without it";
      mosquitto_destroy(client_);
      client_ = nullptr;
      return;
    }
  }
  threadStarted_ = true;
  std::thread([this] {
    Run();
    Finish();
  }).detach();
}

MqttFeed::~MqttFeed() {
  if (client_ != nullptr) mosquitto_destroy(client_);
}

void MqttFeed::Closer::operator()(MqttFeed* feed) const {
  if (!feed->threadStarted_) {
    delete feed;
    return;
  }
  // Once stop_ is set the thread may free the feed at any moment.
  std::future<void> finished = std::move(feed->finishedFuture_);
  feed->stop_ = true;
  finished.wait_for(std::chrono::milliseconds(kStopWaitMs));
}

void MqttFeed::Finish() {
  // What the broker has not acknowledged goes back to the queue for the next feed.
  std::vector<Outgoing> unacknowledged;
  for (auto& [mid, message] : inFlight_) unacknowledged.push_back(std::move(message));
  queue_->Return(std::move(unacknowledged));
  mosquitto_destroy(client_);
  client_ = nullptr;
  std::promise<void> finished = std::move(finished_);
  delete this;
  finished.set_value();
}

void MqttFeed::OnPacket(const AcceptedPacket& packet) {
  ++packetsSinceStatus_;
  Queue({packetsTopic_, Dump(PacketJson(packet)), false});
}

void MqttFeed::Tick(CTime now, const StationStatus& status) {
  // A clock set back starts a new minute rather than waiting for the old one.
  if (lastStatus_ != 0 && now >= lastStatus_ && now - lastStatus_ < kStatusSeconds) return;
  lastStatus_ = now;
  const nlohmann::ordered_json object = {
      {"station", settings_.station},
      {"time", IsoUtc(now)},
      {"home", {{"latitude", status.homeLatitude}, {"longitude", status.homeLongitude}}},
      {"source", status.source},
      {"packets_last_minute", packetsSinceStatus_}};
  packetsSinceStatus_ = 0;
  Queue({statusTopic_, Dump(object), true});
}

std::optional<std::string> MqttFeed::TakeNotice() {
  std::lock_guard lock(mutex_);
  return std::exchange(notice_, std::nullopt);
}

std::size_t MqttFeed::Pending() const {
  std::lock_guard lock(mutex_);
  return queue_->Size() + inFlightCount_;
}

std::size_t MqttFeed::Dropped() const { return queue_->Dropped(); }

std::size_t MqttFeed::Refused() const {
  std::lock_guard lock(mutex_);
  return refused_;
}

std::size_t MqttFeed::Drain(int timeoutMs) {
  const auto end = SteadyClock::now() + std::chrono::milliseconds(timeoutMs);
  while (Pending() > 0 && SteadyClock::now() < end && client_ != nullptr) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return Pending();
}

void MqttFeed::Queue(Outgoing message) { queue_->Push(std::move(message)); }

void MqttFeed::Run() {
  int retryMs = kFirstRetryMs;
  bool attempting = false;
  SteadyClock::time_point attemptStart;
  const auto pause = [&](const std::string& reason) {
    attempting = false;
    connected_ = false;
    linkLost_ = false;
    SetState(false, reason);
    for (int waited = 0; waited < retryMs && !stop_; waited += 100) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    retryMs = std::min(2 * retryMs, kLongestRetryMs);
  };
  while (!stop_) {
    if (!attempting) {
      const int rc = mosquitto_connect_async(client_, settings_.host.c_str(), settings_.port, 30);
      if (rc != MOSQ_ERR_SUCCESS) {
        pause(LibraryReason(mosquitto_strerror(rc)));
        continue;
      }
      attempting = true;
      attemptStart = SteadyClock::now();
    }
    if (connected_) {
      retryMs = kFirstRetryMs;
      SendQueued();
    }
    const int rc = mosquitto_loop(client_, 100, 1);
    if (rc != MOSQ_ERR_SUCCESS) {
      pause(LibraryReason(mosquitto_strerror(rc)));
    } else if (linkLost_) {
      linkLost_ = false;
      pause("connection lost");
    } else if (!connected_ && SteadyClock::now() - attemptStart > kConnectTimeout) {
      mosquitto_disconnect(client_);
      pause("no answer");
    } else if (connected_ && AcknowledgementOverdue()) {
      // Connecting again makes the library send the unacknowledged messages again.
      mosquitto_disconnect(client_);
      attempting = false;
      connected_ = false;
      linkLost_ = false;
    }
  }
  mosquitto_disconnect(client_);
}

bool MqttFeed::AcknowledgementOverdue() {
  if (inFlight_.empty() || SteadyClock::now() - lastAck_ < ackTimeout_) return false;
  std::lock_guard lock(mutex_);
  if (!reportedSilent_) {
    reportedSilent_ = true;
    notice_ = "Network feed: " + settings_.host + ":" + std::to_string(settings_.port) +
              " acknowledged nothing for a minute; reconnecting";
  }
  return true;
}

void MqttFeed::SendQueued() {
  // The wait for an acknowledgement starts with the first message in flight.
  if (inFlight_.empty()) lastAck_ = SteadyClock::now();
  std::vector<Outgoing> batch =
      queue_->Take(static_cast<std::size_t>(kInFlight) - inFlight_.size());
  {
    std::lock_guard lock(mutex_);
    inFlightCount_ += batch.size();
  }
  for (std::size_t i = 0; i < batch.size(); ++i) {
    Outgoing& message = batch[i];
    int mid = 0;
    const int rc = mosquitto_publish(client_, &mid, message.topic.c_str(),
                                     static_cast<int>(message.payload.size()),
                                     message.payload.data(), kQos, message.retain);
    if (IsRefusal(rc)) {
      // Sending it again would fail the same way and hold up the rest.
      std::lock_guard lock(mutex_);
      --inFlightCount_;
      ++refused_;
      notice_ = "Network feed: the MQTT library refused a message to " + message.topic + " (" +
                LibraryReason(mosquitto_strerror(rc)) + "); it is dropped";
      continue;
    }
    if (rc != MOSQ_ERR_SUCCESS) {
      // Back to the head of the queue, in order, for the next connection.
      std::lock_guard lock(mutex_);
      inFlightCount_ -= batch.size() - i;
      queue_->Return({std::make_move_iterator(batch.begin() + static_cast<std::ptrdiff_t>(i)),
                      std::make_move_iterator(batch.end())});
      return;
    }
    inFlight_[mid] = std::move(message);
  }
}

void MqttFeed::SetState(bool connected, const std::string& reason) {
  const std::string broker = settings_.host + ":" + std::to_string(settings_.port);
  std::lock_guard lock(mutex_);
  if (!connected && !reportedDown_) {
    reportedDown_ = true;
    // Short enough for the status bar of a window at its first size.
    notice_ = "Network feed: cannot reach " + broker + " (" + reason + "); packets kept";
  } else if (connected && reportedDown_) {
    reportedDown_ = false;
    notice_ = "Network feed: " + broker + " is back; sending the packets kept";
  }
}

void MqttFeed::HandleConnect(mosquitto*, void* self, int rc) {
  auto* feed = static_cast<MqttFeed*>(self);
  if (rc != 0) {
    // Refused (bad user, password or protocol): the loop drops the
    // connection and tries again later.
    feed->SetState(false, LibraryReason(mosquitto_connack_string(rc)));
    mosquitto_disconnect(feed->client_);
    return;
  }
  feed->connected_ = true;
  feed->lastAck_ = SteadyClock::now();
  feed->SetState(true, {});
  // After SetState: a reader that sees this also sees the notice of the moment.
  feed->hasConnected_ = true;
}

void MqttFeed::HandleDisconnect(mosquitto*, void* self, int) {
  auto* feed = static_cast<MqttFeed*>(self);
  feed->connected_ = false;
  feed->linkLost_ = true;
}

void MqttFeed::HandlePublish(mosquitto*, void* self, int mid) {
  auto* feed = static_cast<MqttFeed*>(self);
  if (feed->inFlight_.erase(mid) == 0) return;
  feed->lastAck_ = SteadyClock::now();
  std::lock_guard lock(feed->mutex_);
  --feed->inFlightCount_;
  feed->reportedSilent_ = false;
}

}  // namespace vantrel
