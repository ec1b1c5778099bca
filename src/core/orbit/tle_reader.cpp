#include "orbit/tle_reader.h"

#include <fstream>

namespace vantrel {

namespace {

// One line without its line end; files written on other systems end their
// lines in CR LF, and the CR is part of the line end there too.
bool ReadLine(std::istream& in, std::string& line) {
  if (!std::getline(in, line)) return false;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

void RemoveAll(std::string& text, const std::string& what) {
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at)) {
    text.erase(at, what.size());
  }
}

}  // namespace

bool ForEachTleSet(const std::string& path, const std::function<void(const TleSet&)>& onSet) {
  if (path.empty()) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  TleSet set;
  while (ReadLine(in, set.name)) {
    if (set.name.empty()) continue;
    if (!ReadLine(in, set.line1) || !ReadLine(in, set.line2)) break;
    onSet(set);
  }
  return true;
}

std::string TleLabel(const std::string& name) {
  std::string label = name;
  RemoveAll(label, "ORBCOMM");
  RemoveAll(label, " ");
  return label;
}

}  // namespace vantrel
