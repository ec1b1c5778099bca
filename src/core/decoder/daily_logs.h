// The daily log files: the decoded log orbcommYYMMDD.log and the raw log
// orbcomm_rawYYMMDD.log (Windows-1252, CR LF), named by the UTC day. Each
// record is appended by opening, writing and closing the file, so the files
// can be read or moved while the program runs. A file that cannot be opened
// or written is skipped and decoding goes on; the failure notice is called
// once when writing stops working and once more when it works again.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <utility>

#include "base/clock.h"

namespace vantrel {

class DailyLogs {
 public:
  using Notice = std::function<void(const std::string&)>;
  explicit DailyLogs(Notice notice) : notice_(std::move(notice)) {}

  // folder ends in '/'; createFolder allows making it (and its parents)
  // when it is missing: the default folder is, a chosen one never is.
  void WriteLine(const std::string& folder, bool createFolder, const std::string& line,
                 const Clock& clock);
  // One raw record: the packet's bytes as hex; a sync packet starts a paragraph.
  void WriteRaw(const std::string& folder, bool createFolder, const std::string& text,
                const Clock& clock);

 private:
  enum Kind { kLine = 0, kRaw = 1 };
  void Append(Kind kind, const std::string& path, bool createFolder, const std::string& before,
              const std::string& text, const std::string& stamp);

  Notice notice_;
  // Per kind, the file that last failed to take a record; empty while writing works.
  std::array<std::string, 2> failing_;
};

}  // namespace vantrel
