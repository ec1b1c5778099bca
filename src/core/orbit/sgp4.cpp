#include "orbit/sgp4.h"

#include <cmath>
#include <numbers>

#include "orbit/sgp4_constants.h"

namespace vantrel {

namespace {

using namespace sgp4;
constexpr double kDegToRad = std::numbers::pi / 180.0;
// Epoch of the model's day count, 1949-12-31 0h UTC, as a Julian date.
constexpr double kModelEpochJd = 2433281.5;
constexpr double kUnixEpochJd = 2440587.5;
// Below this, 1 + cos i is treated as zero (retrograde equatorial orbits).
constexpr double kSmallDenominator = 1.5e-12;

double LongPeriodLcof(double sinI, double cosI) {
  const double den = std::fabs(cosI + 1.0) > kSmallDenominator ? 1.0 + cosI : kSmallDenominator;
  return -0.25 * kJ3OverJ2 * sinI * (3.0 + 5.0 * cosI) / den;
}

}  // namespace

const char* Sgp4ErrorText(Sgp4Error error) {
  switch (error) {
    case Sgp4Error::kNone:
      return "no error";
    case Sgp4Error::kEccentricity:
      return "mean eccentricity out of range";
    case Sgp4Error::kMeanMotion:
      return "mean motion no longer positive";
    case Sgp4Error::kPerturbedEccentricity:
      return "perturbed eccentricity out of range";
    case Sgp4Error::kSemiLatusRectum:
      return "semi-latus rectum negative";
    case Sgp4Error::kDecayed:
      return "decayed";
  }
  return "unknown error";
}

double GreenwichSidereal(double jd) {
  const double tut1 = (jd - 2451545.0) / 36525.0;
  double seconds = -6.2e-6 * tut1 * tut1 * tut1 + 0.093104 * tut1 * tut1 +
                   (876600.0 * 3600.0 + 8640184.812866) * tut1 + 67310.54841;
  double angle = std::fmod(seconds * kDegToRad / 240.0, kTwoPi);
  if (angle < 0.0) angle += kTwoPi;
  return angle;
}

Sgp4::Sgp4(const ElementSet& elements) : el_(elements) {
  const double ecco = el_.eccentricity;
  const double inclo = el_.inclination;
  const double epochDays = el_.epoch / 86400.0 + kUnixEpochJd - kModelEpochJd;

  // Recover the original mean motion and semi-major axis from the Kozai
  // mean motion of the set.
  const double eccsq = ecco * ecco;
  const double omeosq = 1.0 - eccsq;
  const double rteosq = std::sqrt(omeosq);
  const double cosio = std::cos(inclo);
  const double cosio2 = cosio * cosio;
  const double ak = std::pow(kXke / el_.meanMotion, kTwoThirds);
  const double d1 = 0.75 * kJ2 * (3.0 * cosio2 - 1.0) / (rteosq * omeosq);
  double del = d1 / (ak * ak);
  const double adel = ak * (1.0 - del * del - del * (1.0 / 3.0 + 134.0 * del * del / 81.0));
  del = d1 / (adel * adel);
  noUnkozai_ = el_.meanMotion / (1.0 + del);
  const double ao = std::pow(kXke / noUnkozai_, kTwoThirds);
  const double sinio = std::sin(inclo);
  const double po = ao * omeosq;
  const double con42 = 1.0 - 5.0 * cosio2;
  con41_ = -con42 - cosio2 - cosio2;
  const double posq = po * po;
  const double rp = ao * (1.0 - ecco);
  const double gsto = GreenwichSidereal(epochDays + kModelEpochJd);

  if (!(omeosq >= 0.0 || noUnkozai_ >= 0.0)) {
    initError_ = Sgp4Error::kEccentricity;
    return;
  }
  simple_ = rp < 220.0 / kEarthRadius + 1.0;
  // The atmosphere's density parameters, lowered for perigees under 156 km.
  double sfour = 78.0 / kEarthRadius + 1.0;
  double qzms24 = std::pow((120.0 - 78.0) / kEarthRadius, 4);
  const double perigee = (rp - 1.0) * kEarthRadius;
  if (perigee < 156.0) {
    sfour = perigee < 98.0 ? 20.0 : perigee - 78.0;
    qzms24 = std::pow((120.0 - sfour) / kEarthRadius, 4);
    sfour = sfour / kEarthRadius + 1.0;
  }
  const double pinvsq = 1.0 / posq;
  const double tsi = 1.0 / (ao - sfour);
  eta_ = ao * ecco * tsi;
  const double etasq = eta_ * eta_;
  const double eeta = ecco * eta_;
  const double psisq = std::fabs(1.0 - etasq);
  const double coef = qzms24 * std::pow(tsi, 4);
  const double coef1 = coef / std::pow(psisq, 3.5);
  const double cc2 = coef1 * noUnkozai_ *
                     (ao * (1.0 + 1.5 * etasq + eeta * (4.0 + etasq)) +
                      0.375 * kJ2 * tsi / psisq * con41_ * (8.0 + 3.0 * etasq * (8.0 + etasq)));
  cc1_ = el_.bstar * cc2;
  const double cc3 =
      ecco > 1.0e-4 ? -2.0 * coef * tsi * kJ3OverJ2 * noUnkozai_ * sinio / ecco : 0.0;
  x1mth2_ = 1.0 - cosio2;
  cc4_ = 2.0 * noUnkozai_ * coef1 * ao * omeosq *
         (eta_ * (2.0 + 0.5 * etasq) + ecco * (0.5 + 2.0 * etasq) -
          kJ2 * tsi / (ao * psisq) *
              (-3.0 * con41_ * (1.0 - 2.0 * eeta + etasq * (1.5 - 0.5 * eeta)) +
               0.75 * x1mth2_ * (2.0 * etasq - eeta * (1.0 + etasq)) *
                   std::cos(2.0 * el_.argumentOfPerigee)));
  cc5_ = 2.0 * coef1 * ao * omeosq * (1.0 + 2.75 * (etasq + eeta) + eeta * etasq);
  const double cosio4 = cosio2 * cosio2;
  const double temp1 = 1.5 * kJ2 * pinvsq * noUnkozai_;
  const double temp2 = 0.5 * temp1 * kJ2 * pinvsq;
  const double temp3 = -0.46875 * kJ4 * pinvsq * pinvsq * noUnkozai_;
  mdot_ = noUnkozai_ + 0.5 * temp1 * rteosq * con41_ +
          0.0625 * temp2 * rteosq * (13.0 - 78.0 * cosio2 + 137.0 * cosio4);
  argpdot_ = -0.5 * temp1 * con42 + 0.0625 * temp2 * (7.0 - 114.0 * cosio2 + 395.0 * cosio4) +
             temp3 * (3.0 - 36.0 * cosio2 + 49.0 * cosio4);
  const double xhdot1 = -temp1 * cosio;
  nodedot_ =
      xhdot1 + (0.5 * temp2 * (4.0 - 19.0 * cosio2) + 2.0 * temp3 * (3.0 - 7.0 * cosio2)) * cosio;
  omgcof_ = el_.bstar * cc3 * std::cos(el_.argumentOfPerigee);
  xmcof_ = ecco > 1.0e-4 ? -kTwoThirds * coef * el_.bstar / eeta : 0.0;
  nodecf_ = 3.5 * omeosq * xhdot1 * cc1_;
  t2cof_ = 1.5 * cc1_;
  xlcof_ = LongPeriodLcof(sinio, cosio);
  aycof_ = -0.5 * kJ3OverJ2 * sinio;
  delmo_ = std::pow(1.0 + eta_ * std::cos(el_.meanAnomaly), 3);
  sinmao_ = std::sin(el_.meanAnomaly);
  x7thm1_ = 7.0 * cosio2 - 1.0;

  if (kTwoPi / noUnkozai_ >= 225.0) {
    deepSpace_ = true;
    simple_ = true;
    deep_ = InitDeepSpace({epochDays, ecco, inclo, el_.rightAscension, el_.argumentOfPerigee,
                           el_.meanAnomaly, noUnkozai_, mdot_, nodedot_, argpdot_, gsto});
  }
  if (!simple_) {
    const double cc1sq = cc1_ * cc1_;
    d2_ = 4.0 * ao * tsi * cc1sq;
    const double temp = d2_ * tsi * cc1_ / 3.0;
    d3_ = (17.0 * ao + sfour) * temp;
    d4_ = 0.5 * temp * ao * tsi * (221.0 * ao + 31.0 * sfour) * cc1_;
    t3cof_ = d2_ + 2.0 * cc1sq;
    t4cof_ = 0.25 * (3.0 * d3_ + cc1_ * (12.0 * d2_ + 10.0 * cc1sq));
    t5cof_ = 0.2 *
             (3.0 * d4_ + 12.0 * cc1_ * d3_ + 6.0 * d2_ * d2_ + 15.0 * cc1sq * (2.0 * d2_ + cc1sq));
  }
  StateVector atEpoch;
  initError_ = Propagate(0.0, atEpoch);
}

Sgp4Error Sgp4::Propagate(double t, StateVector& state) const {
  // Secular gravity and atmospheric drag.
  const double xmdf = el_.meanAnomaly + mdot_ * t;
  const double argpdf = el_.argumentOfPerigee + argpdot_ * t;
  const double nodedf = el_.rightAscension + nodedot_ * t;
  double argpm = argpdf;
  double mm = xmdf;
  const double t2 = t * t;
  double nodem = nodedf + nodecf_ * t2;
  double tempa = 1.0 - cc1_ * t;
  double tempe = el_.bstar * cc4_ * t;
  double templ = t2cof_ * t2;
  if (!simple_) {
    const double delomg = omgcof_ * t;
    const double delmtemp = 1.0 + eta_ * std::cos(xmdf);
    const double delm = xmcof_ * (delmtemp * delmtemp * delmtemp - delmo_);
    mm = xmdf + delomg + delm;
    argpm = argpdf - (delomg + delm);
    const double t3 = t2 * t;
    const double t4 = t3 * t;
    tempa = tempa - d2_ * t2 - d3_ * t3 - d4_ * t4;
    tempe += el_.bstar * cc5_ * (std::sin(mm) - sinmao_);
    templ += t3cof_ * t3 + t4 * (t4cof_ + t * t5cof_);
  }
  double nm = noUnkozai_;
  double em = el_.eccentricity;
  double inclm = el_.inclination;
  if (deepSpace_) DeepSpaceSecular(deep_, t, em, argpm, inclm, mm, nodem, nm);
  if (nm <= 0.0) return Sgp4Error::kMeanMotion;
  const double am = std::pow(kXke / nm, kTwoThirds) * tempa * tempa;
  nm = kXke / std::pow(am, 1.5);
  em -= tempe;
  if (em >= 1.0 || em < -0.001 || std::isnan(em)) return Sgp4Error::kEccentricity;
  if (em < 1.0e-6) em = 1.0e-6;
  mm += noUnkozai_ * templ;
  const double xlm = mm + argpm + nodem;
  nodem = std::fmod(nodem, kTwoPi);
  argpm = std::fmod(argpm, kTwoPi);
  mm = std::fmod(std::fmod(xlm, kTwoPi) - argpm - nodem, kTwoPi);

  // Long-period lunar-solar periodics.
  double ep = em;
  double xincp = inclm;
  double argpp = argpm;
  double nodep = nodem;
  double mp = mm;
  double sinip = std::sin(inclm);
  double cosip = std::cos(inclm);
  double aycof = aycof_;
  double xlcof = xlcof_;
  double con41 = con41_;
  double x1mth2 = x1mth2_;
  double x7thm1 = x7thm1_;
  if (deepSpace_) {
    DeepSpacePeriodic(deep_, t, ep, xincp, nodep, argpp, mp);
    if (xincp < 0.0) {
      xincp = -xincp;
      nodep += std::numbers::pi;
      argpp -= std::numbers::pi;
    }
    if (ep < 0.0 || ep > 1.0) return Sgp4Error::kPerturbedEccentricity;
    sinip = std::sin(xincp);
    cosip = std::cos(xincp);
    aycof = -0.5 * kJ3OverJ2 * sinip;
    xlcof = LongPeriodLcof(sinip, cosip);
    const double cosisq = cosip * cosip;
    con41 = 3.0 * cosisq - 1.0;
    x1mth2 = 1.0 - cosisq;
    x7thm1 = 7.0 * cosisq - 1.0;
  }

  // Long-period periodics of the earth's J3.
  const double axnl = ep * std::cos(argpp);
  double temp = 1.0 / (am * (1.0 - ep * ep));
  const double aynl = ep * std::sin(argpp) + temp * aycof;
  const double xl = mp + argpp + nodep + temp * xlcof * axnl;

  // Kepler's equation in the equinoctial form; Newton steps limited to
  // 0.95 rad so that a poor start cannot throw it off.
  const double u = std::fmod(xl - nodep, kTwoPi);
  double eo1 = u;
  double tem5 = 9999.9;
  double sineo1 = 0.0, coseo1 = 0.0;
  for (int k = 1; std::fabs(tem5) >= 1.0e-12 && k <= 10; ++k) {
    sineo1 = std::sin(eo1);
    coseo1 = std::cos(eo1);
    tem5 = (u - aynl * coseo1 + axnl * sineo1 - eo1) / (1.0 - coseo1 * axnl - sineo1 * aynl);
    if (std::fabs(tem5) >= 0.95) tem5 = tem5 > 0.0 ? 0.95 : -0.95;
    eo1 += tem5;
  }

  // Short-period periodics.
  const double ecose = axnl * coseo1 + aynl * sineo1;
  const double esine = axnl * sineo1 - aynl * coseo1;
  const double el2 = axnl * axnl + aynl * aynl;
  const double pl = am * (1.0 - el2);
  if (pl < 0.0) return Sgp4Error::kSemiLatusRectum;
  const double rl = am * (1.0 - ecose);
  const double rdotl = std::sqrt(am) * esine / rl;
  const double rvdotl = std::sqrt(pl) / rl;
  const double betal = std::sqrt(1.0 - el2);
  temp = esine / (1.0 + betal);
  const double sinu = am / rl * (sineo1 - aynl - axnl * temp);
  const double cosu = am / rl * (coseo1 - axnl + aynl * temp);
  double su = std::atan2(sinu, cosu);
  const double sin2u = (cosu + cosu) * sinu;
  const double cos2u = 1.0 - 2.0 * sinu * sinu;
  temp = 1.0 / pl;
  const double temp1 = 0.5 * kJ2 * temp;
  const double temp2 = temp1 * temp;
  const double mrt = rl * (1.0 - 1.5 * temp2 * betal * con41) + 0.5 * temp1 * x1mth2 * cos2u;
  su -= 0.25 * temp2 * x7thm1 * sin2u;
  const double xnode = nodep + 1.5 * temp2 * cosip * sin2u;
  const double xinc = xincp + 1.5 * temp2 * cosip * sinip * cos2u;
  const double mvt = rdotl - nm * temp1 * x1mth2 * sin2u / kXke;
  const double rvdot = rvdotl + nm * temp1 * (x1mth2 * cos2u + 1.5 * con41) / kXke;

  // Orientation vectors to position and velocity.
  const double sinsu = std::sin(su), cossu = std::cos(su);
  const double snod = std::sin(xnode), cnod = std::cos(xnode);
  const double sini = std::sin(xinc), cosi = std::cos(xinc);
  const double xmx = -snod * cosi;
  const double xmy = cnod * cosi;
  const double ux = xmx * sinsu + cnod * cossu;
  const double uy = xmy * sinsu + snod * cossu;
  const double uz = sini * sinsu;
  const double vx = xmx * cossu - cnod * sinsu;
  const double vy = xmy * cossu - snod * sinsu;
  const double vz = sini * cossu;
  if (mrt < 1.0) return Sgp4Error::kDecayed;
  const double vkmpersec = kEarthRadius * kXke / 60.0;
  state.position = {mrt * ux * kEarthRadius, mrt * uy * kEarthRadius, mrt * uz * kEarthRadius};
  state.velocity = {(mvt * ux + rvdot * vx) * vkmpersec, (mvt * uy + rvdot * vy) * vkmpersec,
                    (mvt * uz + rvdot * vz) * vkmpersec};
  return Sgp4Error::kNone;
}

}  // namespace vantrel
