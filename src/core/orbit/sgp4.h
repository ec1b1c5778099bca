// The SGP4/SDP4 orbit model of the element sets: mean elements at epoch to
// position and velocity in the true-equator, mean-equinox frame (TEME) at
// any time, with the WGS-72 constants the sets are fitted with. Orbits of
// 225 minutes and more take the deep-space terms (sun, moon, resonances).
#pragma once

#include <array>

#include "orbit/element_set.h"
#include "orbit/sgp4_deep_space.h"

namespace vantrel {

// The model's failure codes.
enum class Sgp4Error {
  kNone = 0,
  kEccentricity = 1,  // mean eccentricity out of 0..1
  kMeanMotion = 2,    // mean motion no longer positive
  kPerturbedEccentricity = 3,
  kSemiLatusRectum = 4,  // negative: no orbit
  kDecayed = 6,          // below the earth's surface
};

// One line of text for an error code ("decayed", ...).
const char* Sgp4ErrorText(Sgp4Error error);

struct StateVector {
  std::array<double, 3> position{};  // km, TEME
  std::array<double, 3> velocity{};  // km/s, TEME
};

class Sgp4 {
 public:
  explicit Sgp4(const ElementSet& elements);

  // Position and velocity minutes after epoch (negative: before). The state
  // is written only when the result is kNone. Thread-safe: nothing changes.
  Sgp4Error Propagate(double minutes, StateVector& state) const;

  // The error found at epoch, when the set cannot be propagated at all.
  Sgp4Error InitError() const { return initError_; }
  bool DeepSpace() const { return deepSpace_; }
  const ElementSet& Elements() const { return el_; }

 private:
  ElementSet el_;
  Sgp4Error initError_ = Sgp4Error::kNone;
  bool deepSpace_ = false;
  bool simple_ = false;  // perigee below 220 km: the drag terms of higher order left out
  double noUnkozai_ = 0.0;
  double aycof_ = 0, con41_ = 0, cc1_ = 0, cc4_ = 0, cc5_ = 0, d2_ = 0, d3_ = 0, d4_ = 0;
  double delmo_ = 0, eta_ = 0, argpdot_ = 0, omgcof_ = 0, sinmao_ = 0, t2cof_ = 0, t3cof_ = 0;
  double t4cof_ = 0, t5cof_ = 0, x1mth2_ = 0, x7thm1_ = 0, mdot_ = 0, nodedot_ = 0, xlcof_ = 0;
  double xmcof_ = 0, nodecf_ = 0;
  DeepSpaceTerms deep_;
};

// The Greenwich mean sidereal angle (radians, 0..2 pi) at Julian date jd
// (UT1, taken as UTC), as the model's frame defines it.
double GreenwichSidereal(double jd);

}  // namespace vantrel
