// A real MQTT broker of the test's own on a free loopback port, persistent so
// that a subscriber's queued messages survive a restart, and a subscriber
// process writing what it receives to a file.
#pragma once

#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

extern char** environ;

namespace vantrel::test {

inline pid_t Spawn(const std::string& command) {
  pid_t pid = -1;
  const char* argv[] = {"/bin/sh", "-c", command.c_str(), nullptr};
  posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ);
  return pid;
}

inline std::vector<std::string> FileLines(const std::filesystem::path& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Binds fd to a loopback port the kernel picks (port 0) and returns that port.
inline int BindLoopback(int fd) {
  sockaddr_in address{
      .sin_family = AF_INET, .sin_port = 0, .sin_addr = {htonl(INADDR_LOOPBACK)}, .sin_zero = {}};
  socklen_t length = sizeof address;
  bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  return ntohs(address.sin_port);
}

// The broker's files and whatever else the test puts there live in dir,
// a folder of its own removed with it.
class Broker {
 public:
  Broker() {
    std::ofstream(dir / "broker.conf")
        << "listener " << port << " 127.0.0.1\nallow_anonymous true\npersistence true\n"
        << "persistence_location " << dir.string() << "/\nuser "
        << (getuid() == 0 ? "root" : "nobody") << "\n";
  }
  ~Broker() {
    Subscribe({}, {}), Run(false);
    std::filesystem::remove_all(dir);
  }

  const std::filesystem::path dir = [] {
    char pattern[] = "/tmp/vantrel-feed-test.XXXXXX";
    return std::filesystem::path(mkdtemp(pattern));
  }();
  const int port = [] {  // one nothing listens on yet
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    const int free = BindLoopback(fd);
    close(fd);
    return free;
  }();
  void Run(bool up) {
    End(server_);
    if (up)
      server_ = Spawn("exec mosquitto -c " + (dir / "broker.conf").string() + " 2>> " +
                      (dir / "broker.log").string());
    std::this_thread::sleep_for(std::chrono::milliseconds(up ? 500 : 0));
  }
  void Signal(int signal) { kill(server_, signal); }
  // A QoS 1 subscriber with a persistent session writing each message as a
  // line to out; an empty topic stops it.
  void Subscribe(const std::string& topic, const std::filesystem::path& out) {
    End(subscriber_);
    if (topic.empty()) return;
    subscriber_ = Spawn("exec mosquitto_sub -h 127.0.0.1 -p " + std::to_string(port) +
                        " -q 1 -c -i feedtest -t '" + topic + "' > " + out.string());
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
  }

 private:
  static void End(pid_t& pid) {
    if (pid > 0) kill(pid, SIGTERM), waitpid(std::exchange(pid, -1), nullptr, 0);
  }
  pid_t server_ = -1, subscriber_ = -1;
};

}  // namespace vantrel::test
