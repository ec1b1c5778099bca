// Publishes every accepted packet's JSON object to an MQTT broker, and a
// retained station status once a minute. The document's thread only queues:
// a thread of the feed's own connects, reconnects and sends, so a broker
// that is down, slow or refusing never holds up decoding. While the broker
// cannot be reached the newest kQueueLimit messages wait and are sent once
// it is back.
//
// Messages go out with QoS 1 (at least once): the broker acknowledges each,
// so nothing handed over is lost when the connection drops; the price is that
// the few messages unacknowledged at a drop (at most kInFlight) may arrive
// twice. QoS 2 would cost two more round trips per packet for a stream whose
// objects carry their own time and bytes, which lets a collector drop repeats.
//
// The feed's thread may sit in a name lookup or a connect for many seconds,
// so nobody waits for it: dropping the handle Start returns asks the thread
// to end, waits at most kStopWaitMs, and leaves a thread that is not back by
// then to end on its own and free the feed itself.
#pragma once

#include <mosquitto.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "base/packet_listener.h"
#include "feed/feed_queue.h"
#include "feed/feed_settings.h"

namespace vantrel {

struct StationStatus {
  double homeLatitude = 0.0, homeLongitude = 0.0;
  std::string source;  // the input being decoded, UTF-8
};

class MqttFeed final : public PacketListener {
 public:
  static constexpr std::size_t kQueueLimit = FeedQueue::kLimit;
  static constexpr int kInFlight = 20;
  static constexpr int kQos = 1;
  static constexpr int kStatusSeconds = 60;
  static constexpr int kStopWaitMs = 500;
  // A broker that acknowledges nothing for this long is reconnected.
  static constexpr std::chrono::milliseconds kAckTimeout = std::chrono::minutes(1);

  struct Closer {
    void operator()(MqttFeed* feed) const;
  };
  using Handle = std::unique_ptr<MqttFeed, Closer>;

  // Sets up TLS on a new client; MOSQ_ERR_SUCCESS when it is ready.
  using TlsSetUp = int (*)(mosquitto* client);
  static int SetUpSystemTls(mosquitto* client);

  // settings must pass CheckFeedSettings. Connecting starts at once, in the
  // background. Messages wait in queue (a new one when none is given), which
  // may outlive the feed and be handed to the next. A feed asked for TLS that
  // cannot set it up never connects.
  static Handle Start(FeedSettings settings, std::shared_ptr<FeedQueue> queue = nullptr,
                      std::chrono::milliseconds ackTimeout = kAckTimeout,
                      TlsSetUp setUpTls = SetUpSystemTls);

  MqttFeed(const MqttFeed&) = delete;
  MqttFeed& operator=(const MqttFeed&) = delete;

  const FeedSettings& settings() const { return settings_; }

  void OnPacket(const AcceptedPacket& packet) override;

  // Called on the document's thread every few seconds: publishes the status
  // when a minute has passed since the last one (the first at once).
  void Tick(CTime now, const StationStatus& status);

  // One line when the broker was lost or came back since the last call;
  // empty otherwise. Each change is told once, not once per packet.
  std::optional<std::string> TakeNotice();
  // True once the broker has accepted a connection of this feed.
  bool HasConnected() const { return hasConnected_; }

  // Waits until everything queued has been acknowledged, at most timeoutMs;
  // returns the number of messages still unsent.
  std::size_t Drain(int timeoutMs);

  // Messages waiting or unacknowledged.
  std::size_t Pending() const;
  // Messages dropped because the queue was full.
  std::size_t Dropped() const;
  // Messages the MQTT library refused to publish (and that were dropped).
  std::size_t Refused() const;

 private:
  using Outgoing = FeedMessage;

  MqttFeed(FeedSettings settings, std::shared_ptr<FeedQueue> queue,
           std::chrono::milliseconds ackTimeout, TlsSetUp setUpTls);
  ~MqttFeed() override;

  void Queue(Outgoing message);
  void Run();
  void Finish();
  bool AcknowledgementOverdue();
  bool Connect();
  void SendQueued();
  void SetState(bool connected, const std::string& reason);

  static void HandleConnect(mosquitto*, void* self, int rc);
  static void HandleDisconnect(mosquitto*, void* self, int rc);
  static void HandlePublish(mosquitto*, void* self, int mid);

  const FeedSettings settings_;
  const std::string packetsTopic_, statusTopic_;
  mosquitto* client_ = nullptr;

  const std::shared_ptr<FeedQueue> queue_;
  const std::chrono::milliseconds ackTimeout_;

  mutable std::mutex mutex_;       // guards the members below it
  std::size_t inFlightCount_ = 0;  // mirror of inFlight_.size() for Pending()
  std::size_t refused_ = 0;
  std::optional<std::string> notice_;

  // Used on the feed's thread only.
  std::map<int, Outgoing> inFlight_;
  bool connected_ = false;
  bool linkLost_ = false;
  bool reportedDown_ = false;
  bool reportedSilent_ = false;  // told that acknowledgements stopped
  std::chrono::steady_clock::time_point lastAck_;

  // Used on the document's thread only.
  CTime lastStatus_ = 0;
  int packetsSinceStatus_ = 0;

  std::atomic<bool> stop_{false};
  std::atomic<bool> hasConnected_{false};
  bool threadStarted_ = false;
  std::promise<void> finished_;  // set by the thread just before it frees the feed
  std::future<void> finishedFuture_;
};

}  // namespace vantrel
