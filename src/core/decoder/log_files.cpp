// Daily log files: each record is appended by opening, writing and closing
// the file, so the files can be read or moved while the program runs. A file
// that cannot be opened is skipped silently; decoding goes on.
#include <cstdio>
#include <string>

#include "document/vantrel_doc.h"

namespace vantrel {

namespace {

void AppendRecord(const std::string& path, const std::string& before, const std::string& text,
                  const std::string& stamp) {
  std::FILE* file = std::fopen(path.c_str(), "ab");
  if (file == nullptr) return;
  std::fwrite(before.data(), 1, before.size(), file);
  std::fwrite(text.data(), 1, text.size(), file);
  std::fwrite(stamp.data(), 1, stamp.size(), file);
  std::fwrite("\r\n", 1, 2, file);
  std::fclose(file);
}

}  // namespace

void CVantrelDoc::WriteLog(const std::string& line) {
  const std::string path = logDirectory + "orbcomm" + FormatUtc(clock().Now(), "%y%m%d") + ".log";
  // The stamp is a second reading of the clock, as the file name was the first.
  AppendRecord(path, "", line, FormatUtc(clock().Now(), "[%y-%m-%d %H:%M:%S]"));
}

void CVantrelDoc::WriteRawLog(const std::string& text) {
  const std::string path =
      logDirectory + "orbcomm_raw" + FormatUtc(clock().Now(), "%y%m%d") + ".log";
  const bool sync = text.compare(0, 8, "65 A8 F9") == 0;
  AppendRecord(path, sync ? "\r\n" : "", text, FormatUtc(clock().Now(), " [%y-%m-%d %H:%M:%S]"));
}

}  // namespace vantrel
