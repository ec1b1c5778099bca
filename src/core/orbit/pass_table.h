// The passes of every set of a TLE file over home in a time window, merged
// and sorted, with one message for each set that could not be used.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "orbit/pass_finder.h"

namespace vantrel {

struct SatellitePass {
  std::string satellite;  // the set's name line, trimmed
  int fm = 0;             // the satellite table's number (1..255), 0 when none
  Pass pass;
};

struct PassTable {
  bool fileRead = false;              // false when the file could not be read
  std::string readError;              // why, in one line, when it could not
  int setCount = 0;                   // sets the model could start from
  std::vector<SatellitePass> passes;  // by AOS, soonest first
  std::vector<ElementSet> sets;       // the sets the model could start from, in file order
  std::vector<std::string> problems;  // "NAME: what is wrong", one per set
};

// cancel, when given and set, ends the work early between two sets; the
// table is then incomplete and only fit to be thrown away.
PassTable ComputePassTable(const std::string& tlePath, const Observer& home, double start,
                           double end, double minElevation,
                           const std::atomic<bool>* cancel = nullptr);

// The satellite table's number of a set name such as "ORBCOMM FM 5" or
// "FM-05"; 0 when the name has no FM number in 1..255.
int FmNumberOfSetName(const std::string& name);

}  // namespace vantrel
