// The message filter: one flag per packet kind, deciding whether its packets
// produce lines.
#pragma once

#include <array>

namespace vantrel {

// Filter flag order: 0x1A, 0x1B, 0x1C, 0x1D, 0x1E, 0x1F, 0x22, 0x65, then
// every other type byte (packets found back to back).
enum FilterIndex {
  kFilterMessage,
  kFilterUplink,
  kFilterDownlink,
  kFilterNetwork,
  kFilterFill,
  kFilterEphemeris,
  kFilterElements,
  kFilterSync,
  kFilterOther,
  kFilterCount
};

// On: the packet kind's lines are shown. All are on but fill.
using PacketFilters = std::array<bool, kFilterCount>;
inline constexpr PacketFilters kDefaultFilters{true, true, true, true, false,
                                               true, true, true, true};

}  // namespace vantrel
