// The home-location parser on any text. Checked: the value is finite, both
// axes read the same magnitude, a text the dialog accepts formats back to a
// text that reads as the same value, to the four decimals of the minutes.
#include <cmath>
#include <string>

#include "document/home_location.h"
#include "fuzz_support.h"

using vantrel::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const double latitude = vantrel::ParseHomeLatitude(text);
  const double longitude = vantrel::ParseHomeLongitude(text);
  Check(std::isfinite(latitude) && std::isfinite(longitude), "value not finite");
  Check(std::fabs(latitude) == std::fabs(longitude), "axes disagree on the magnitude");
  (void)vantrel::HomeCoordinateReadable(text);

  const std::string formatted = vantrel::FormatHomeCoordinate(latitude, 'N', 'S');
  Check(vantrel::HomeCoordinateReadable(formatted), "formatted text does not read");
  if (std::fabs(latitude) < 1e6) {
    const double back = vantrel::ParseHomeLatitude(formatted);
    Check(std::fabs(back - latitude) <= 0.6e-4 / 60 + 1e-9 * std::fabs(latitude),
          "formatted text reads as another value");
  }
  return 0;
}
