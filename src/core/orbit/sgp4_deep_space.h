// The deep-space part of the orbit model: the sun's and moon's secular and
// long-period terms, and the geopotential resonances of 12 h and 24 h orbits.
#pragma once

namespace vantrel {

struct DeepSpaceTerms {
  // Long-period lunar-solar coefficients.
  double e3 = 0, ee2 = 0, se2 = 0, se3 = 0, sgh2 = 0, sgh3 = 0, sgh4 = 0, sh2 = 0, sh3 = 0;
  double si2 = 0, si3 = 0, sl2 = 0, sl3 = 0, sl4 = 0, xgh2 = 0, xgh3 = 0, xgh4 = 0, xh2 = 0;
  double xh3 = 0, xi2 = 0, xi3 = 0, xl2 = 0, xl3 = 0, xl4 = 0, zmol = 0, zmos = 0;
  // Secular rates.
  double dedt = 0, didt = 0, dmdt = 0, dnodt = 0, domdt = 0;
  // Resonance: 0 none, 1 one day, 2 half day.
  int resonance = 0;
  double d2201 = 0, d2211 = 0, d3210 = 0, d3222 = 0, d4410 = 0, d4422 = 0, d5220 = 0, d5232 = 0;
  double d5421 = 0, d5433 = 0, del1 = 0, del2 = 0, del3 = 0, xfact = 0, xlamo = 0;
  double gsto = 0, argpo = 0, argpdot = 0, no = 0;
};

// What the deep-space set-up reads from the near-earth one.
struct DeepSpaceStart {
  double epoch;  // days since 1949-12-31 0h UTC
  double eccentricity, inclination, node, argPerigee, meanAnomaly;
  double meanMotion;  // un-Kozai'd, radians per minute
  double mdot, nodedot, argpdot, gsto;
};

DeepSpaceTerms InitDeepSpace(const DeepSpaceStart& s);

// Secular terms and resonance integration to t minutes after epoch, applied
// to the mean elements (em, argpm, inclm, mm, nodem, nm).
void DeepSpaceSecular(const DeepSpaceTerms& d, double t, double& em, double& argpm, double& inclm,
                      double& mm, double& nodem, double& nm);

// Long-period lunar-solar periodics at t, applied to the osculating set.
void DeepSpacePeriodic(const DeepSpaceTerms& d, double t, double& ep, double& inclp, double& nodep,
                       double& argpp, double& mp);

}  // namespace vantrel
