// vantrel-decode --chart: the Chart screen as it stands, drawn into a PNG
// without a window (Qt's offscreen platform unless another is named).
#pragma once

#include <string>

#include "base/clock.h"
#include "document/vantrel_doc.h"

namespace vantrel::tools {

// The chart square is 481 x 481 pixels.
constexpr int kChartImageSize = 481;

// Draws the chart of doc at the clock's time into path as a PNG. A missing
// land mask is a warning on standard error (the chart is then all sea); an
// unwritable file is an error with its reason in *error.
bool WriteChartPng(VantrelDoc& doc, const Clock& clock, const std::string& path,
                   std::string* error);

}  // namespace vantrel::tools
