// SDR capture: an SDR receiver chosen as the source runs on its band thread
// (sdr/band_worker.h); the 500 ms poll hands its packets to interpretation
// on the program's thread in the order they were sent, as sound-card
// packets are, and keeps the spectra for the Spectrum screen.
#include <algorithm>
#include <optional>

#include "document/vantrel_doc.h"
#include "sdr/band_worker.h"

namespace vantrel {

namespace {
constexpr int kSpectrumViewState = 4;
constexpr int kMenuSlots = 4;
}  // namespace

void VantrelDoc::EnumerateSdrReceivers() {
  // Slots given to receivers before and holding no sound card now are freed.
  for (std::size_t slot = 0; slot < sdrDevice.size(); ++slot)
    if (sdrDevice[slot] >= 0 && deviceId[slot] < 0) deviceName[slot].clear();
  sdrDevice.fill(-1);
  if (sdrInput == nullptr || sdrInput->DeviceCount() == 0) return;
  // Receivers take the slots no sound card holds; with all four taken, the
  // last one, so that at least one receiver can be chosen.
  std::vector<std::size_t> free;
  for (std::size_t slot = 0; slot < kMenuSlots; ++slot)
    if (deviceId[slot] < 0) free.push_back(slot);
  if (free.empty()) free.push_back(kMenuSlots - 1);
  for (int device = 0; device < sdrInput->DeviceCount() && device < int(free.size()); ++device) {
    deviceName[free[std::size_t(device)]] = sdrInput->DeviceName(device);
    sdrDevice[free[std::size_t(device)]] = device;
  }
}

bool VantrelDoc::SlotIsSdr(int slot) const {
  return slot >= 0 && slot < kSoundCardSlots && sdrDevice[static_cast<std::size_t>(slot)] >= 0;
}

int VantrelDoc::SdrSlot(int device) const {
  const auto it = std::find(sdrDevice.begin(), sdrDevice.end(), device);
  return device >= 0 && it != sdrDevice.end() ? static_cast<int>(it - sdrDevice.begin()) : -1;
}

void VantrelDoc::FindStoredSdrSource() {
  missingSdrSource.clear();
  // Settings saved before receivers were named: the slot says which.
  if (sdrSource.empty()) {
    if (SlotIsSdr(soundCardSlot)) sdrSource = deviceName[static_cast<std::size_t>(soundCardSlot)];
    return;
  }
  for (int slot = 0; slot < kMenuSlots; ++slot) {
    if (SlotIsSdr(slot) && deviceName[static_cast<std::size_t>(slot)] == sdrSource) {
      soundCardSlot = slot;
      return;
    }
  }
  missingSdrSource = sdrSource;
}

void VantrelDoc::StartSdrCapture(int device) {
  std::string error = "no SDR support";
  auto reader = sdrInput != nullptr ? sdrInput->Open(device, sdrTuning, &error) : nullptr;
  if (!reader) {
    host().ShowMessage("On opening the SDR receiver.." + error);
    return;
  }
  sdrWorker = std::make_unique<sdr::BandWorker>(std::move(reader));
  spectrum = {};
  waterfall.clear();
  sdrInputEnded = false;
  packetSource = {};  // the pane tells this run's packets only
  EnterCaptureRunning();
}

void VantrelDoc::PollSdrCapture() {
  // Asked first: once it says so, the last packets and the failure are in.
  const bool ended = sdrWorker->Ended();
  bool newSpectrum = false;
  for (sdr::SpectrumSnapshot& snapshot : sdrWorker->TakeSpectra()) {
    waterfall.push_back(snapshot.powerDb);
    if (waterfall.size() > kWaterfallRows) waterfall.pop_front();
    spectrum = std::move(snapshot);
    newSpectrum = true;
  }
  for (const sdr::SdrPacket& packet : sdrWorker->TakePackets())
    DecodePacket(packet.bytes.data(), packet.source);
  if (newSpectrum && viewState == kSpectrumViewState) host().UpdateAllViews();
  if (!ended) return;
  // The recording is over, or the receiver failed or was unplugged: stop
  // cleanly, keep the last spectrum, then say so once.
  sdrInputEnded = true;
  const std::optional<std::string> failure = sdrWorker->TakeFailure();
  StopCapture();
  host().UpdateAllViews();
  if (failure)
    host().ShowMessage("On reading the SDR receiver.." + *failure);
  else
    host().ShowStatus(kRecordingEndedText);
}

}  // namespace vantrel
