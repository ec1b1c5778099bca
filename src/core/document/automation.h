// Satellite data for other programs: the one automation method, GetSatData,
// and the registry where the running document is entered so that another
// program on the same machine can find it.
#pragma once

#include <cstdint>
#include <string>
#include <variant>

namespace vantrel {

class VantrelDoc;

// What GetSatData hands back: nothing, a text (Windows-1252) or a number.
using AutomationValue = std::variant<std::monostate, std::string, double>;

// Item numbers of GetSatData; any other item gives an empty value.
enum SatDataItem {
  kItemName = 0,       // "FM-%02d"
  kItemLatitude = 1,   // degrees north
  kItemLongitude = 2,  // degrees east
  kItemReserved1 = 3,  // always 0.0
  kItemReserved2 = 4,  // always 0.0
  kItemTime = 5,       // position time, "%Y-%m-%d %H:%M:%SUTC"
};

// The satellite a call is about: the argument when it names one (1 to
// highest), otherwise the satellite whose position was stored last, of any
// number (0 when none).
int ChosenSatellite(const VantrelDoc& doc, int satellite, int highest);

// Reads one item of the chosen satellite's record as it stands now;
// satellite names FM-01 .. FM-36.
AutomationValue GetSatData(const VantrelDoc& doc, int satellite, int item);
// The same for every satellite a packet can name, FM-01 .. FM-255.
AutomationValue GetSatelliteData(const VantrelDoc& doc, int satellite, int item);

// Where the running document is entered for other programs.
class ObjectRegistry {
 public:
  virtual ~ObjectRegistry() = default;
  // Enters the document; returns a non-zero cookie, or 0 when it could not
  // be entered.
  virtual std::uint32_t Register(VantrelDoc& doc) = 0;
  // Withdraws the entry that Register returned the cookie for.
  virtual void Revoke(std::uint32_t cookie) = 0;
};

// The last step of the document's construction: enters it in the registry
// (when there is one) and keeps the cookie. A failure leaves the cookie 0
// and is not reported; the program runs on without automation access.
void RegisterRunningObject(VantrelDoc& doc, ObjectRegistry* registry);

// A step of the document's destruction, after the settings are saved:
// withdraws the entry when there is one and clears the cookie.
void RevokeRunningObject(VantrelDoc& doc, ObjectRegistry* registry);

}  // namespace vantrel
