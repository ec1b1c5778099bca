// Daily log files: each record is appended by opening, writing and closing
// the file, so the files can be read or moved while the program runs. A file
// that cannot be opened or written is skipped silently; decoding goes on.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "document/vantrel_doc.h"

namespace vantrel {

namespace {

void AppendRecord(const std::string& path, const std::string& before, const std::string& text,
                  const std::string& stamp) {
  std::FILE* file = std::fopen(path.c_str(), "ab");
  if (file == nullptr) return;
  // A record that does not fit (disk full, size limit) is cut off again, so
  // that the file never ends in half a line that the next record would
  // continue.
  // Unbuffered, so that no failed rest is written again when the file closes.
  std::setvbuf(file, nullptr, _IONBF, 0);
  const long size = std::fseek(file, 0, SEEK_END) == 0 ? std::ftell(file) : -1;
  const std::string record = before + text + stamp + "\r\n";
  if (std::fwrite(record.data(), 1, record.size(), file) != record.size() && size >= 0) {
    if (ftruncate(fileno(file), size) != 0) {
      // Nothing more can be done for this file; decoding goes on.
    }
  }
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
