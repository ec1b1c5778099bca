// The receiver document's construction and destruction steps, in order.
// Construction: the document with its defaults, the sound cards, the stored
// settings, the version text, the automation registration. Destruction: the
// settings saved, the registration withdrawn, the document deleted.
#pragma once

#include <memory>
#include <string>

#include "app/command_line.h"
#include "base/clock.h"
#include "document/automation.h"
#include "document/vantrel_doc.h"

namespace vantrel {

class PulseWaveIn;
class SoapySdrInput;

class DocumentLifetime {
 public:
  // programDirectory: the executable's directory, ending in '/'. registry:
  // where the document is entered for other programs (none: not entered).
  DocumentLifetime(const Clock& clock, std::string programDirectory,
                   const CommandLineOptions& options, ObjectRegistry* registry = nullptr);
  ~DocumentLifetime();
  DocumentLifetime(const DocumentLifetime&) = delete;
  DocumentLifetime& operator=(const DocumentLifetime&) = delete;

  VantrelDoc& doc() { return *doc_; }
  // "Vantrel version X.Y", for the About box.
  const std::string& versionText() const { return versionText_; }

 private:
  // Construction steps, called in this order by the constructor.
  void AttachSoundCards();    // the wave input and the Source slots
  void AttachSdrReceivers();  // SDR receivers in the Source slots after them
  void LoadStoredSettings();  // stored values replace the defaults
  void SetVersionText();
  void RegisterAutomation();  // entry for other programs (GetSatData)
  // Destruction steps, called in this order by the destructor.
  void SaveStoredSettings();
  void RevokeAutomation();

  CommandLineOptions options_;
  ObjectRegistry* registry_;
  std::unique_ptr<PulseWaveIn> waveIn_;      // the document's wave input; outlives it
  std::unique_ptr<SoapySdrInput> sdrInput_;  // likewise the SDR receivers
  std::unique_ptr<VantrelDoc> doc_;
  std::string versionText_;
  int storedSoundCardSlot_ = 0;  // the slot loaded from the settings file
  std::string storedSdrSource_;
};

}  // namespace vantrel
