// The passes of one satellite over a place: when it rises above and sets
// below a minimum elevation, and how high it climbs in between.
#pragma once

#include <optional>
#include <vector>

#include "orbit/look_angles.h"
#include "orbit/sgp4.h"

namespace vantrel {

// Times are seconds since 1970-01-01 0h UTC; angles in degrees.
struct Pass {
  double aos = 0.0;
  double los = 0.0;
  double maxTime = 0.0;
  double maxElevation = 0.0;
  double aosAzimuth = 0.0;
  double losAzimuth = 0.0;
};

struct PassList {
  std::vector<Pass> passes;  // soonest first
  // The model's failure, when the set could not be followed through the
  // whole window (passes before errorTime are still listed).
  Sgp4Error error = Sgp4Error::kNone;
  double errorTime = 0.0;
};

// The sky position of the set's satellite at a time; empty when the model
// fails there.
std::optional<LookAngles> LookAt(const Sgp4& model, const Observer& observer, double unixTime);

// Every pass that rises before end and sets after start; a pass already
// under way at start is listed from its real rise (looked for up to two
// weeks back), and one that rises before end is followed to its set. A
// satellite that never sets (a geostationary one in view) has no passes.
PassList FindPasses(const Sgp4& model, const Observer& observer, double start, double end,
                    double minElevation);

}  // namespace vantrel
