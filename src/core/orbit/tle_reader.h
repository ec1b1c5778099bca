// Reading a file of NORAD two-line element sets: a name line and two element
// lines per set, blank lines between sets skipped.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace vantrel {

struct TleSet {
  std::string name;
  std::string line1;
  std::string line2;
};

// Bounds on what a TLE file may hold. Element lines are 69 characters and
// names 24 in the usual format; a catalogue of every tracked object has
// about 30 000 sets, far more than a chart can show.
inline constexpr std::size_t kMaxTleLineLength = 512;
inline constexpr std::size_t kMaxTleSets = 10000;
inline constexpr std::size_t kMaxTleFileBytes = 8 << 20;

struct TleFileContents {
  std::vector<TleSet> sets;
  std::string error;  // empty when the file was read; otherwise one line, and no sets
};

// Reads every complete set of a regular file, in file order; a last set cut
// short by the end of the file is left out. A file beyond the bounds above
// is refused whole. Never waits on a pipe or device.
TleFileContents ReadTleFile(const std::string& path);

// The sets of text held in memory, bounded as a file is; source names it in
// the error.
TleFileContents ParseTleText(const std::string& bytes, const std::string& source);

// Calls onSet for each set ReadTleFile finds. Returns false when the file
// cannot be read (nothing is called then).
bool ForEachTleSet(const std::string& path, const std::function<void(const TleSet&)>& onSet);

// The chart's label of a set: its name line with every "ORBCOMM" and then
// every blank removed ("ORBCOMM FM 5" -> "FM5").
std::string TleLabel(const std::string& name);

}  // namespace vantrel
