#include "orbit/pass_table.h"

#include <algorithm>
#include <cctype>

#include "base/satellite_record.h"
#include "orbit/tle_reader.h"

namespace vantrel {

int FmNumberOfSetName(const std::string& name) {
  std::string compact;
  for (char c : name) {
    if (c != ' ' && c != '-')
      compact += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  const auto at = compact.find("FM");
  if (at == std::string::npos) return 0;
  std::size_t i = at + 2;
  int number = 0;
  int digits = 0;
  while (i < compact.size() && std::isdigit(static_cast<unsigned char>(compact[i])) && digits < 3) {
    number = number * 10 + (compact[i++] - '0');
    ++digits;
  }
  if (digits == 0 || (i < compact.size() && std::isdigit(static_cast<unsigned char>(compact[i]))))
    return 0;
  return number >= 1 && number <= kMaxSatellite ? number : 0;
}

PassTable ComputePassTable(const std::string& tlePath, const Observer& home, double start,
                           double end, double minElevation, const std::atomic<bool>* cancel) {
  PassTable table;
  const TleFileContents contents = ReadTleFile(tlePath);
  table.readError = contents.error;
  table.fileRead = contents.error.empty();
  for (const TleSet& set : contents.sets) {
    if (cancel && cancel->load()) break;
    std::string error;
    const auto elements = ParseElementSet(set.name, set.line1, set.line2, &error);
    const std::string name = elements ? elements->name : set.name;
    if (!elements) {
      table.problems.push_back(name + ": " + error);
      continue;
    }
    const Sgp4 model(*elements);
    if (model.InitError() != Sgp4Error::kNone) {
      table.problems.push_back(name + ": " + Sgp4ErrorText(model.InitError()));
      continue;
    }
    ++table.setCount;
    table.sets.push_back(*elements);
    const PassList list = FindPasses(model, home, start, end, minElevation);
    if (list.error != Sgp4Error::kNone) {
      table.problems.push_back(name + ": " + Sgp4ErrorText(list.error) + " within the window");
    }
    const int fm = FmNumberOfSetName(name);
    for (const Pass& p : list.passes) table.passes.push_back({name, fm, p});
  }
  std::stable_sort(
      table.passes.begin(), table.passes.end(),
      [](const SatellitePass& a, const SatellitePass& b) { return a.pass.aos < b.pass.aos; });
  return table;
}

}  // namespace vantrel
