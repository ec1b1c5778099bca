#include "decoder/daily_logs.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "base/satellite_record.h"

namespace vantrel {

namespace {

// Creates the folder and its parents; "/a/b/" makes /a and /a/b.
void MakeFolders(const std::string& folder) {
  for (std::size_t slash = folder.find('/', 1); slash != std::string::npos;
       slash = folder.find('/', slash + 1))
    ::mkdir(folder.substr(0, slash).c_str(), 0777);
  ::mkdir(folder.c_str(), 0777);
}

// True when the whole record reached the file.
bool AppendRecord(const std::string& path, const std::string& before, const std::string& text,
                  const std::string& stamp) {
  // Opened without waiting: a log name that is a pipe nobody reads would
  // otherwise stop decoding for good. The writes themselves may wait. A
  // link or anything but a plain file under today's name is refused: in a
  // shared folder it could point the records at any file the user can write.
  const int fd = ::open(path.c_str(),
                        O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    errno = EINVAL;
    return false;
  }
  ::fcntl(fd, F_SETFL, O_APPEND);
  // A record that does not fit (disk full, size limit) is cut off again, so
  // that the file never ends in half a line that the next record would
  // continue.
  const off_t size = ::lseek(fd, 0, SEEK_END);
  const std::string record = before + text + stamp + "\r\n";
  std::size_t written = 0;
  while (written < record.size()) {
    const ssize_t n = ::write(fd, record.data() + written, record.size() - written);
    if (n > 0) {
      written += static_cast<std::size_t>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      break;
    }
  }
  if (written < record.size() && written > 0 && size >= 0) {
    if (::ftruncate(fd, size) != 0) {
      // Nothing more can be done for this file; decoding goes on.
    }
  }
  return ::close(fd) == 0 && written == record.size();
}

}  // namespace

void DailyLogs::Append(Kind kind, const std::string& path, bool createFolder,
                       const std::string& before, const std::string& text,
                       const std::string& stamp) {
  bool written = AppendRecord(path, before, text, stamp);
  if (!written && errno == ENOENT && createFolder) {
    MakeFolders(path.substr(0, path.rfind('/') + 1));
    written = AppendRecord(path, before, text, stamp);
  }
  std::string& failing = failing_[kind];
  if (!written && failing.empty()) {
    failing = path;
    notice_("Log file cannot be written: " + path + " \x96 lines are not being logged");
  } else if (written && !failing.empty()) {
    failing.clear();
    notice_("Log file can be written again: " + path);
  }
}

void DailyLogs::WriteLine(const std::string& folder, bool createFolder, const std::string& line,
                          const Clock& clock) {
  const std::string path = folder + "orbcomm" + FormatUtc(clock.Now(), "%y%m%d") + ".log";
  // The stamp is a second reading of the clock, as the file name was the first.
  Append(kLine, path, createFolder, "", line, FormatUtc(clock.Now(), "[%y-%m-%d %H:%M:%S]"));
}

void DailyLogs::WriteRaw(const std::string& folder, bool createFolder, const std::string& text,
                         const Clock& clock) {
  const std::string path = folder + "orbcomm_raw" + FormatUtc(clock.Now(), "%y%m%d") + ".log";
  const bool sync = text.compare(0, 8, "65 A8 F9") == 0;
  Append(kRaw, path, createFolder, sync ? "\r\n" : "", text,
         FormatUtc(clock.Now(), " [%y-%m-%d %H:%M:%S]"));
}

}  // namespace vantrel
