// Reading a file of NORAD two-line element sets: a name line and two element
// lines per set, blank lines between sets skipped.
#pragma once

#include <functional>
#include <string>

namespace vantrel {

struct TleSet {
  std::string name;
  std::string line1;
  std::string line2;
};

// Calls onSet for each complete set of the file, in file order. A last set
// cut short by the end of the file is left out. Returns false when the file
// cannot be opened (nothing is called then).
bool ForEachTleSet(const std::string& path, const std::function<void(const TleSet&)>& onSet);

// The chart's label of a set: its name line with every "ORBCOMM" and then
// every blank removed ("ORBCOMM FM 5" -> "FM5").
std::string TleLabel(const std::string& name);

}  // namespace vantrel
