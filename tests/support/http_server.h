// A small HTTP/1.1 server of the test's own on a loopback port the kernel
// picks, answering one request per connection, each on a thread of its own
// so that a slow answer never holds up the next, from a table of paths: a
// whole body with a status, silence, a body cut short of its announced
// length, or a body without end.
#pragma once

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "support/mqtt_broker.h"

namespace vantrel::test {

class HttpServer {
 public:
  enum class Kind { Whole, Silent, CutShort, Endless };
  struct Answer {
    int status = 200;
    std::string body;
    Kind kind = Kind::Whole;
  };

  explicit HttpServer(std::map<std::string, Answer> answers)
      : answers_(std::move(answers)),
        listener_(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)),
        port_(BindLoopback(listener_)) {
    listen(listener_, 8);
    thread_ = std::thread([this] { Serve(); });
  }
  ~HttpServer() {
    stop_ = true;
    thread_.join();
    for (std::thread& t : connections_) t.join();
    close(listener_);
  }

  std::string Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
  }

 private:
  // Waits up to 50 ms for fd; false once the server stops.
  bool Ready(int fd) const {
    pollfd p{fd, POLLIN, 0};
    while (!stop_ && poll(&p, 1, 50) <= 0) {
    }
    return !stop_;
  }

  void Serve() {
    while (Ready(listener_)) {
      const int client = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      if (client >= 0) connections_.emplace_back([this, client] { Reply(client); });
    }
  }

  void Reply(int client) const {
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos && Ready(client)) {
      const ssize_t n = recv(client, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      request.append(buffer, static_cast<std::size_t>(n));
    }
    const std::size_t start = request.find(' ') + 1;
    const auto found = answers_.find(request.substr(start, request.find(' ', start) - start));
    Respond(client, found != answers_.end() ? found->second : HttpServer::Answer{404, "", {}});
    close(client);
  }

  void Respond(int client, const Answer& a) const {
    char byte;
    if (a.kind == Kind::Silent) {  // until the client gives up and closes
      while (Ready(client) && recv(client, &byte, 1, 0) > 0) {
      }
      return;
    }
    const std::size_t length = a.body.size() * (a.kind == Kind::CutShort ? 2 : 1);
    std::string head = "HTTP/1.1 " + std::to_string(a.status) +
                       (a.status == 200 ? " OK" : " Not Found") + "\r\nConnection: close\r\n";
    if (a.kind != Kind::Endless) head += "Content-Length: " + std::to_string(length) + "\r\n";
    head += "\r\n" + a.body;
    // An endless body ends when the client closes or stops reading.
    const timeval wait{5, 0};
    setsockopt(client, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait);
    bool more = send(client, head.data(), head.size(), MSG_NOSIGNAL) > 0;
    const std::string block(65536, '\n');
    while (more && a.kind == Kind::Endless && !stop_)
      more = send(client, block.data(), block.size(), MSG_NOSIGNAL) > 0;
  }

  const std::map<std::string, Answer> answers_;
  const int listener_;
  const int port_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
  std::vector<std::thread> connections_;  // touched by the accepting thread only
};

}  // namespace vantrel::test
