// The orbit model on any pair of element lines: the first line of the input
// is line 1, the rest line 2. Checked: a set that parses either fails with
// one of the model's errors or gives a finite state, and a day of passes
// over a polar and an equatorial home stays ordered and finite.
#include <cmath>
#include <string>

#include "fuzz_support.h"
#include "orbit/element_set.h"
#include "orbit/pass_finder.h"
#include "orbit/sgp4.h"

using vantrel::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const auto cut = text.find('\n');
  if (cut == std::string::npos) return 0;
  std::string error;
  const auto elements =
      vantrel::ParseElementSet("FUZZ", text.substr(0, cut), text.substr(cut + 1), &error);
  if (!elements) {
    Check(!error.empty(), "refused set without a reason");
    return 0;
  }
  const vantrel::Sgp4 model(*elements);
  if (model.InitError() != vantrel::Sgp4Error::kNone) return 0;
  for (const double minutes : {-1440.0, 0.0, 90.0, 4320.0}) {
    vantrel::StateVector s;
    if (model.Propagate(minutes, s) != vantrel::Sgp4Error::kNone) continue;
    for (int k = 0; k < 3; ++k)
      Check(std::isfinite(s.position[k]) && std::isfinite(s.velocity[k]), "state not finite");
  }
  for (const double latitude : {89.0, 0.0}) {
    const double start = elements->epoch;
    const auto list =
        vantrel::FindPasses(model, {latitude, 10.0, 0.0}, start, start + 86400.0, 0.0);
    double previous = -INFINITY;
    for (const vantrel::Pass& p : list.passes) {
      Check(p.aos <= p.maxTime && p.maxTime <= p.los, "maximum outside its pass");
      Check(p.aos >= previous, "passes out of order");
      Check(std::isfinite(p.maxElevation) && p.maxElevation <= 90.0, "bad maximum elevation");
      previous = p.aos;
    }
  }
  return 0;
}
