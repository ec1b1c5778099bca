#include "view/spectrum_labels.h"

#include <algorithm>

namespace vantrel {

namespace {
constexpr int kGap = 4;  // between a label and its marker, another label or a marker
}  // namespace

void LayOutCarrierLabels(std::vector<CarrierLabel>& labels, int left, int right, int maxRows) {
  for (CarrierLabel& label : labels) label.row = -1;
  // Left to right, each in the top-most row where it fits, right of its
  // marker or else left of it.
  std::vector<CarrierLabel*> order;
  for (CarrierLabel& label : labels) order.push_back(&label);
  std::stable_sort(order.begin(), order.end(),
                   [](const CarrierLabel* a, const CarrierLabel* b) { return a->x < b->x; });
  const auto fits = [&](const CarrierLabel& self, int row, int from) {
    const int to = from + self.width;
    if (from < left || to > right) return false;
    for (const CarrierLabel& other : labels) {
      if (&other == &self || other.row < 0) continue;
      const int otherTo = other.left + other.width;
      // Another label in the same row.
      if (other.row == row && from < otherTo + kGap && other.left < to + kGap) return false;
      // A marker from a row above passes through this one.
      if (other.row < row && other.x > from - kGap && other.x < to + kGap) return false;
      // This marker would pass through a label in a row below.
      if (other.row > row && self.x > other.left - kGap && self.x < otherTo + kGap) return false;
    }
    return true;
  };
  for (CarrierLabel* label : order) {
    for (int row = 0; row < maxRows && label->row < 0; ++row) {
      for (const int from : {label->x + kGap, label->x - kGap - label->width}) {
        if (fits(*label, row, from)) {
          label->row = row;
          label->left = from;
          break;
        }
      }
    }
  }
}

}  // namespace vantrel
