// SDR receivers in the Source slots, and SDR capture started and polled: the
// capture part (sdr/sdr_capture.h) runs the band on its own thread; the
// 500 ms poll hands its packets to interpretation on the program's thread
// in the order they were sent, as sound-card packets are.
#include <algorithm>
#include <optional>

#include "document/vantrel_doc.h"

namespace vantrel {

namespace {
constexpr int kMenuSlots = 4;
}  // namespace

void VantrelDoc::EnumerateSdrReceivers() {
  // Slots given to receivers before and holding no sound card now are freed.
  for (std::size_t slot = 0; slot < sdrDevice.size(); ++slot)
    if (sdrDevice[slot] >= 0 && deviceId[slot] < 0) deviceName[slot].clear();
  sdrDevice.fill(-1);
  const sdr::SdrInput* sdrInput = sdr_.input();
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
  std::string error;
  if (!sdr_.Start(device, sdrTuning, &error)) {
    host().ShowMessage("On opening the SDR receiver.." + error);
    return;
  }
  packetSource = {};  // the pane tells this run's packets only
  EnterCaptureRunning();
}

void VantrelDoc::PollSdrCapture() {
  const sdr::SdrCapture::Poll news = sdr_.TakeNews();
  for (const sdr::SdrPacket& packet : news.packets)
    DecodePacket(packet.bytes.data(), packet.source);
  if (news.newSpectrum && viewState == kSpectrumScreen) host().UpdateAllViews();
  if (!news.ended) return;
  // The recording is over, or the receiver failed or was unplugged: stop
  // cleanly, keep the last spectrum, then say so once.
  StopCapture();
  host().UpdateAllViews();
  if (news.failure)
    host().ShowMessage("On reading the SDR receiver.." + *news.failure);
  else
    host().ShowStatus(kRecordingEndedText);
}

}  // namespace vantrel
