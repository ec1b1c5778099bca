// The screens the view shows. The numbers are stored (the ViewState
// setting), so they stay as they are; a number outside them shows nothing.
#pragma once

namespace vantrel {

enum Screen : int {
  kSignalScreen = 0,
  kMessagesScreen = 1,
  kChartScreen = 2,
  kSatellitesScreen = 3,
  kSpectrumScreen = 4,
  kPassesScreen = 5
};

}  // namespace vantrel
