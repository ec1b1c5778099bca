// Feeds the test audio server's pipe source ($VANTREL_AUDIO_FIFO). Holds a
// lock beside the FIFO so that one test at a time feeds it, and first empties
// what an earlier test left in it.
#pragma once

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>

namespace vantrel::test {

class PipeSource {
 public:
  explicit PipeSource(const std::string& fifo)
      : lock_(::open((fifo + ".lock").c_str(), O_CREAT | O_RDWR, 0600)) {
    if (lock_ >= 0) ::flock(lock_, LOCK_EX);
    if (const int r = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK); r >= 0) {
      char scrap[4096];
      while (::read(r, scrap, sizeof scrap) > 0) {
      }
      ::close(r);
    }
    fd_ = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
  }
  ~PipeSource() {
    if (fd_ >= 0) ::close(fd_);
    if (lock_ >= 0) ::close(lock_);
  }
  PipeSource(const PipeSource&) = delete;
  PipeSource& operator=(const PipeSource&) = delete;

  bool ok() const { return fd_ >= 0; }
  // Writes every byte, waiting while the pipe is full; false after 5 s.
  bool Write(const std::uint8_t* data, std::size_t size) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (size > 0 && std::chrono::steady_clock::now() < deadline) {
      const ssize_t n = ::write(fd_, data, size);
      if (n > 0) {
        data += n;
        size -= static_cast<std::size_t>(n);
      } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
    }
    return size == 0;
  }

 private:
  int lock_;
  int fd_ = -1;
};

}  // namespace vantrel::test
