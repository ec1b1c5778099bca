// Places the Spectrum screen's carrier labels in a few rows above the trace
// so that no label overlaps another or crosses a carrier's marker line. A
// marker runs down from the bottom of its own label's row, so a label must
// also keep clear of the markers of labels in the rows above it; a carrier
// whose label fits nowhere keeps its marker below the rows, unlabelled.
#pragma once

#include <vector>

namespace vantrel {

struct CarrierLabel {
  int x = 0;      // the carrier's marker
  int width = 0;  // of its text
  // Out: the row (0 at the top), -1 when unlabelled, and the text's left edge.
  int row = -1;
  int left = 0;
};

// Lays out labels between the pixels left and right, in at most maxRows rows.
void LayOutCarrierLabels(std::vector<CarrierLabel>& labels, int left, int right, int maxRows);

}  // namespace vantrel
