#include "document/vantrel_doc.h"

#include <utility>

#include "demod/sensitive_demodulator.h"

namespace vantrel {

VantrelDoc::VantrelDoc(const Clock& clock, std::string programDir)
    : programDirectory(std::move(programDir)), clock_(&clock) {
  deviceId.fill(-1);
  if (programDirectory.empty() || programDirectory.back() != '/') programDirectory += '/';
  defaultLogDirectory = logDirectory = programDirectory + "Log files/";
}

VantrelDoc::~VantrelDoc() = default;

void VantrelDoc::OnTimer(std::uint32_t id) {
  if (id == 0) return;  // 0 is "no timer"
  if (id == refreshTimerId) {
    host().UpdateAllViews();
    WatchPolarity();
  }
  if (id == pollTimerId) PollCapture();
  if (id == retryTimerId) RetryCapture();
}

}  // namespace vantrel
