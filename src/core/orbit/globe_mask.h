// The land mask of globe.dat: one bit per one-degree cell, 180 rows of 360
// cells from the north pole down, from the Greenwich meridian eastwards;
// bit n = longitude + 360 * colatitude, most significant bit first, set =
// land. Without a file every cell is sea.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace vantrel {

class GlobeMask {
 public:
  static constexpr std::size_t kMaskBytes = 8100;
  // One byte beyond the mask is read and kept, as the file may carry it.
  static constexpr std::size_t kFileBytes = 8101;

  // Reads up to 8101 bytes; cells beyond what was read are sea. Returns
  // false, leaving every cell sea, when the file cannot be opened.
  bool Load(const std::string& path);
  void Clear() { bytes_.fill(0); }

  // colatitude 0..179, longitude 0..359; anything else is sea.
  bool IsLand(int colatitude, int longitude) const {
    if (colatitude < 0 || colatitude >= 180 || longitude < 0 || longitude >= 360) return false;
    const int n = longitude + 360 * colatitude;
    return (bytes_[n / 8] & (0x80 >> (n % 8))) != 0;
  }

  const std::array<std::uint8_t, kFileBytes>& bytes() const { return bytes_; }

 private:
  std::array<std::uint8_t, kFileBytes> bytes_{};
};

}  // namespace vantrel
