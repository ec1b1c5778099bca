#include "document/copy_text.h"

namespace vantrel {

std::string BuildCopyText(const VantrelDoc& doc) {
  std::string text;
  if (doc.viewState == kMessagesScreen) {
    for (const std::string& line : doc.MessagesInArrivalOrder()) {
      text += line;
      text += "\r\n";
    }
  } else if (doc.viewState == kSatellitesScreen) {
    const SatelliteTable& satellites = doc.interpreter().satellites();
    for (const int k : ListedSatellites(satellites)) {
      text += FormatSatelliteRow(k, satellites[static_cast<std::size_t>(k)]);
      text += "\r\n";
    }
  }
  if (text.size() > kCopyTextLimit) text.resize(kCopyTextLimit);
  return text;
}

}  // namespace vantrel
