#include "app/document_lifetime.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "platform/pulse_wave_in.h"
#include "platform/qt_settings_store.h"
#include "platform/soapy_sdr_input.h"

namespace vantrel {

DocumentLifetime::DocumentLifetime(const Clock& clock, std::string programDirectory,
                                   const CommandLineOptions& options, ObjectRegistry* registry)
    : options_(options),
      registry_(registry),
      doc_(std::make_unique<VantrelDoc>(clock, std::move(programDirectory))) {
  AttachSoundCards();
  AttachSdrReceivers();
  // An installed program's own folder cannot be written by its users: the
  // default logs then go to the user's data folder. A stored choice wins.
  if (!QFileInfo(QString::fromStdString(doc_->programDirectory)).isWritable()) {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    doc_->defaultLogDirectory = doc_->logDirectory = data.toStdString() + "/Vantrel/Log files/";
  }
  LoadStoredSettings();
  if (options_.sdrDevice) doc_->sdrTuning.device = *options_.sdrDevice;
  if (options_.sdrPpm) doc_->sdrTuning.ppm = *options_.sdrPpm;
  // The receivers are looked for once the stored device arguments are known.
  const std::string loadedSdrSource = doc_->sdrSource;
  sdrInput_->Find(doc_->sdrTuning.device);
  doc_->EnumerateSdrReceivers();
  doc_->FindStoredSdrSource();
  // A recording named on the command line is what the user wants to hear.
  // It shifts the sound cards by one slot for this run only, so the stored
  // choice is kept aside and saved unchanged at exit.
  storedSoundCardSlot_ = doc_->soundCardSlot;
  // An IQ recording is a receiver for this run only: the stored slot it may
  // fill (no sound card) must not be saved as naming it.
  storedSdrSource_ = options_.iqRecording ? loadedSdrSource : doc_->sdrSource;
  if (!options_.inputFile.isEmpty()) doc_->missingSdrSource.clear();
  if (options_.iqRecording) {
    doc_->soundCardSlot = doc_->SdrSlot(0);
  } else if (!options_.inputFile.isEmpty()) {
    doc_->soundCardSlot = 0;
  }
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
  // The sound cards through the audio server; a recording given with --input
  // becomes device 0 and so fills Source 1, named after its file.
  waveIn_ = std::make_unique<PulseWaveIn>();
  if (!options_.inputFile.isEmpty() && options_.inputSamples && !options_.iqRecording)
    waveIn_->SetRecording(*options_.inputSamples,
                          QFileInfo(options_.inputFile).fileName().toLatin1().toStdString());
  doc_->soundCard().SetWaveIn(waveIn_.get());
  doc_->EnumerateSoundCards();
}

void DocumentLifetime::AttachSdrReceivers() {
  // An IQ recording given with --input is the first receiver.
  sdrInput_ = std::make_unique<SoapySdrInput>(options_.iqRecording);
  doc_->sdrCapture().SetInput(sdrInput_.get());
}

void DocumentLifetime::LoadStoredSettings() {
  // Silent on any failure: the defaults then stand.
  QtSettingsStore store;
  doc_->LoadSettings(store);
}

void DocumentLifetime::SetVersionText() { versionText_ = VantrelDoc::kVersionText; }

void DocumentLifetime::RegisterAutomation() { RegisterRunningObject(*doc_, registry_); }

void DocumentLifetime::SaveStoredSettings() {
  // Silent on failure: the previous file then stays as it was.
  if (!options_.inputFile.isEmpty()) {
    doc_->soundCardSlot = storedSoundCardSlot_;
    doc_->sdrSource = storedSdrSource_;
  }
  QtSettingsStore store;
  doc_->SaveSettings(store);
}

void DocumentLifetime::RevokeAutomation() { RevokeRunningObject(*doc_, registry_); }

}  // namespace vantrel
