// Finds downlink carriers in the band's averaged power spectrum. A downlink
// is a hump about 5 kHz wide standing above the noise floor; the floor is
// the median of the smoothed spectrum, so a band with a few satellites in
// it still measures its noise. A spike narrower than a downlink (the DC
// spike of many receivers, a birdie) is no carrier.
#pragma once

#include <optional>
#include <vector>

namespace vantrel::sdr {

class CarrierFinder {
 public:
  // power: mean |X|² per bin in FFT order (bin 0 at the centre frequency).
  CarrierFinder(const std::vector<double>& power, double binHz);

  // Centres (Hz from the band's centre) of humps at least kDetectRatio over
  // the floor, strongest first, none within spacingHz of another, of a
  // frequency in taken, or of the band's edges.
  std::vector<double> Find(const std::vector<double>& taken, double spacingHz) const;
  // The carrier of a band that holds one downlink and nothing else (a
  // narrow recording): the centre of the strongest stretch a hump wide,
  // the spectrum taken as circular since a carrier near an edge folds over
  // to the other. Empty when no such stretch stands kSingleRatio over the
  // quietest one.
  std::optional<double> FindSingle() const;
  // The centre of the strongest hump (as Find sees humps) within rangeHz of
  // offsetHz; empty when there is none.
  std::optional<double> HumpNear(double offsetHz, double rangeHz) const;
  // Power around offsetHz over the floor (1 = floor only).
  double LevelAt(double offsetHz) const;
  double floor() const { return floor_; }

  static constexpr double kDetectRatio = 2.0;
  static constexpr double kSingleRatio = 1.6;

 private:
  // Boxcar, centred order (bin 0 = -fs/2); circular: wrapping round the band's edges.
  std::vector<double> Smooth(double widthHz, bool circular = false) const;
  double At(const std::vector<double>& smoothed, double offsetHz) const;
  // Whether bin i of wide_ is a hump's centre, by level and shoulders.
  bool IsHump(long i) const;

  std::vector<double> centred_;  // power with the lowest frequency first
  double binHz_;
  std::vector<double> wide_, narrow_;
  double floor_ = 0.0;
};

}  // namespace vantrel::sdr
