#include "document/automation.h"

#include <cstdio>

#include "document/vantrel_doc.h"

namespace vantrel {

int ChosenSatellite(const VantrelDoc& doc, int satellite, int highest) {
  if (satellite >= 1 && satellite <= highest) return satellite;
  // The last satellite is only ever set to 1..255 by the decoder; anything
  // else would index outside the table, so it counts as none.
  const int last = doc.interpreter().lastSatellite();
  return last >= 0 && last <= kMaxSatellite ? last : 0;
}

namespace {

AutomationValue ReadItem(const VantrelDoc& doc, int chosen, int item) {
  const SatelliteRecord& record = doc.interpreter().satellites()[static_cast<std::size_t>(chosen)];
  switch (item) {
    case kItemName: {
      char name[16];
      std::snprintf(name, sizeof name, "FM-%02d", chosen);
      return std::string(name);
    }
    case kItemLatitude:
      return record.latitude;
    case kItemLongitude:
      return record.longitude;
    case kItemReserved1:
    case kItemReserved2:
      return 0.0;
    case kItemTime:
      return FormatUtc(record.positionTime, "%Y-%m-%d %H:%M:%SUTC");
    default:
      return {};
  }
}

}  // namespace

AutomationValue GetSatData(const VantrelDoc& doc, int satellite, int item) {
  return ReadItem(doc, ChosenSatellite(doc, satellite, kSatelliteCount), item);
}

AutomationValue GetSatelliteData(const VantrelDoc& doc, int satellite, int item) {
  return ReadItem(doc, ChosenSatellite(doc, satellite, kMaxSatellite), item);
}

void RegisterRunningObject(VantrelDoc& doc, ObjectRegistry* registry) {
  doc.registrationCookie = 0;
  if (registry != nullptr) doc.registrationCookie = registry->Register(doc);
}

void RevokeRunningObject(VantrelDoc& doc, ObjectRegistry* registry) {
  if (doc.registrationCookie != 0 && registry != nullptr) registry->Revoke(doc.registrationCookie);
  doc.registrationCookie = 0;
}

}  // namespace vantrel
