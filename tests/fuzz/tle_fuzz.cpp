// TLE reading and propagation on any text: every set the reader finds is
// parsed, propagated and projected for a few homes and times. Checked: a
// file is read or refused for a bound only, a set the model places has a
// finite position on the globe, and labels never grow.
#include <cmath>

#include "fuzz_support.h"
#include "orbit/orbit_model.h"
#include "orbit/tle_reader.h"

using vantrel::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = vantrel::fuzz::WriteScratchFile("elements.txt", data, size);
  const vantrel::TleFileContents contents = vantrel::ReadTleFile(path);
  // A scratch file always opens: the only refusals left are the bounds.
  const bool bounded = contents.error.find(" is longer than ") != std::string::npos ||
                       contents.error.find(" sets") != std::string::npos;
  Check(contents.error.empty() || (bounded && contents.sets.empty()), "unexpected TLE error");
  for (const vantrel::TleSet& set : contents.sets) {
    Check(!set.name.empty(), "set without a name line");
    Check(vantrel::TleLabel(set.name).size() <= set.name.size(), "label longer than its name");
    const auto elements = vantrel::ParseTleElements(set.line1, set.line2);
    for (const vantrel::CTime when : {1178964672, 0, 2147483647}) {
      const vantrel::HeldClock clock(when, 500);
      const auto position = elements ? vantrel::PropagateElements(*elements, clock) : std::nullopt;
      // NaN fails both comparisons.
      Check(!position ||
                (std::fabs(position->latitude) <= 90.0 && std::fabs(position->longitude) <= 180.0),
            "position not finite or off the globe");
      for (const auto& [latitude, longitude] :
           {std::pair(-34.5, 139.0), {90.0, 0.0}, {-89.99, -179.99}}) {
        const auto point =
            vantrel::ComputeSatellitePoint(set.line1, set.line2, latitude, longitude, clock);
        if (point && elements) {
          // Every place on the globe is within 180 degrees of home: 1000
          // pixels from the centre, with room to spare.
          Check(std::abs(point->x - 240) <= 1001 && std::abs(point->y - 240) <= 1001,
                "chart point beyond the far side of the globe");
        }
      }
    }
  }
  Check(contents.sets.size() * 3 <= size + 3, "more sets than lines");
  return 0;
}
