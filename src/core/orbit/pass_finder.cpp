#include "orbit/pass_finder.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numbers>

namespace vantrel {

namespace {

// Sampling step: short enough that no pass of a low orbit can rise and set
// between three samples without showing as a sample maximum.
constexpr double kStep = 20.0;
constexpr double kTimeTolerance = 1e-3;  // seconds, for rises, sets and maxima
// How far a rise or set outside the window is looked for: a drifting
// near-geostationary satellite can stay up for days.
constexpr double kLongestSearch = 14 * 86400;
constexpr double kLongestStep = 600.0;          // seconds, of that search
constexpr double kEarthRotation = 7.292115e-5;  // rad/s

class Scanner {
 public:
  Scanner(const Sgp4& model, const Observer& observer, double minElevation)
      : model_(model), observer_(observer), minElevation_(minElevation) {}

  // Elevation above the minimum; very low where the model fails or gives no
  // number, which is noted once with its time.
  double Height(double t) {
    const auto look = LookAt(model_, observer_, t);
    if (look && std::isfinite(look->elevation)) return look->elevation - minElevation_;
    if (error_ == Sgp4Error::kNone || t < errorTime_) {
      StateVector s;
      error_ = model_.Propagate((t - model_.Elements().epoch) / 60.0, s);
      errorTime_ = t;
    }
    return -std::numeric_limits<double>::infinity();
  }

  // A step over which a satellite h degrees above the minimum cannot fall
  // below it: a quarter of the time its line of sight needs to turn h at
  // the fastest rate its speed over the ground allows at its range. Never
  // shorter than the sampling step.
  double SafeStep(double t, double h) const {
    StateVector s;
    if (!(h > 0.0) || model_.Propagate((t - model_.Elements().epoch) / 60.0, s) != Sgp4Error::kNone)
      return kStep;
    const auto norm = [](const std::array<double, 3>& a) { return std::hypot(a[0], a[1], a[2]); };
    const double speed = norm(s.velocity) + kEarthRotation * norm(s.position);
    const double rate = speed / Look(observer_, s, t).range * 180.0 / std::numbers::pi;
    return std::clamp(0.25 * std::min(h, 90.0) / rate, kStep, kLongestStep);
  }

  // The crossing of the minimum between a and b, where Height changes sign.
  double Crossing(double a, double b) {
    const bool risingAtB = Height(b) >= 0.0;
    while (std::fabs(b - a) > kTimeTolerance) {
      const double m = 0.5 * (a + b);
      ((Height(m) >= 0.0) == risingAtB ? b : a) = m;
    }
    return 0.5 * (a + b);
  }

  // The time of the highest elevation in [a, b], the elevation being
  // unimodal there (golden-section search).
  double Highest(double a, double b) {
    constexpr double kInvPhi = 0.6180339887498949;
    double c = b - kInvPhi * (b - a);
    double d = a + kInvPhi * (b - a);
    double hc = Height(c);
    double hd = Height(d);
    while (b - a > kTimeTolerance) {
      if (hc > hd) {
        b = d;
        d = c;
        hd = hc;
        c = b - kInvPhi * (b - a);
        hc = Height(c);
      } else {
        a = c;
        c = d;
        hc = hd;
        d = a + kInvPhi * (b - a);
        hd = Height(d);
      }
    }
    return 0.5 * (a + b);
  }

  // The pass between aos and los, or nothing where the model gives no
  // elevation anywhere in it (it fails between the samples that found it).
  std::optional<Pass> Complete(double aos, double los) {
    Pass p;
    p.aos = aos;
    p.los = los;
    // The highest sample, then the maximum around it.
    double best = 0.5 * (aos + los);
    double bestHeight = Height(best);
    for (double t = aos; t < los; t += kStep) {
      const double h = Height(t);
      if (h > bestHeight) {
        best = t;
        bestHeight = h;
      }
    }
    p.maxTime = Highest(std::max(aos, best - kStep), std::min(los, best + kStep));
    double top = Height(p.maxTime);
    if (!(top >= bestHeight)) {
      p.maxTime = best;
      top = bestHeight;
    }
    if (!std::isfinite(top)) return std::nullopt;
    p.maxElevation = top + minElevation_;
    const auto atAos = LookAt(model_, observer_, aos);
    const auto atLos = LookAt(model_, observer_, los);
    if (atAos) p.aosAzimuth = atAos->azimuth;
    if (atLos) p.losAzimuth = atLos->azimuth;
    return p;
  }

  Sgp4Error error() const { return error_; }
  double errorTime() const { return errorTime_; }

 private:
  const Sgp4& model_;
  Observer observer_;
  double minElevation_;
  Sgp4Error error_ = Sgp4Error::kNone;
  double errorTime_ = 0.0;
};

}  // namespace

std::optional<LookAngles> LookAt(const Sgp4& model, const Observer& observer, double unixTime) {
  StateVector s;
  if (model.Propagate((unixTime - model.Elements().epoch) / 60.0, s) != Sgp4Error::kNone) {
    return std::nullopt;
  }
  return Look(observer, s, unixTime);
}

PassList FindPasses(const Sgp4& model, const Observer& observer, double start, double end,
                    double minElevation) {
  PassList result;
  Scanner scan(model, observer, minElevation);
  auto add = [&](double aos, double los) {
    if (aos >= end || los <= start) return;
    if (auto pass = scan.Complete(aos, los)) result.passes.push_back(*pass);
  };

  double t1 = start;
  double h1 = scan.Height(t1);
  double h0 = scan.Height(start - kStep);
  bool inPass = h1 >= 0.0;
  // The rise of the pass under way; NaN while none is known.
  double aos = std::numeric_limits<double>::quiet_NaN();
  if (inPass) {
    // Under way at start: walk back to its rise.
    double prev = start;
    for (double t = start - scan.SafeStep(start, h1); t >= start - kLongestSearch;) {
      const double h = scan.Height(t);
      if (h < 0.0) {
        aos = scan.Crossing(t, prev);
        break;
      }
      prev = t;
      t -= scan.SafeStep(t, h);
    }
  }
  for (double t2 = start + kStep;;) {
    if (t2 > end + kStep && (!inPass || t2 > end + kLongestSearch)) break;
    const double h2 = scan.Height(t2);
    if (std::isinf(h2) && scan.error() != Sgp4Error::kNone) break;
    if (!inPass && h2 >= 0.0) {
      aos = scan.Crossing(t1, t2);
      inPass = true;
    } else if (inPass && h2 < 0.0) {
      if (!std::isnan(aos)) add(aos, scan.Crossing(t1, t2));
      inPass = false;
      aos = std::numeric_limits<double>::quiet_NaN();
    } else if (!inPass && h1 > h0 && h1 >= h2) {
      // A sample maximum below the minimum: a short pass may peak between
      // the samples.
      const double top = scan.Highest(t1 - kStep, t2);
      if (scan.Height(top) >= 0.0) add(scan.Crossing(t1 - kStep, top), scan.Crossing(top, t2));
    }
    h0 = h1;
    h1 = h2;
    t1 = t2;
    // Past the end only the set of a pass under way is looked for.
    t2 += inPass && t2 > end ? scan.SafeStep(t2, h2) : kStep;
  }
  result.error = scan.error();
  result.errorTime = scan.errorTime();
  return result;
}

}  // namespace vantrel
