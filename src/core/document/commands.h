// The receiver's command handlers and their update handlers. Each handler
// works on the document's members; what it needs from the desktop (dialogs,
// choosers, the mixer) comes through CommandDialogs, redraws and messages
// through the document's host.
#pragma once

#include <string>

#include "document/command_ids.h"
#include "document/dialogs.h"
#include "document/vantrel_doc.h"

namespace vantrel {

// What an update handler says about a menu item or toolbar button.
struct CommandState {
  bool enabled = true;
  bool checked = false;
  std::string text;
  bool setsText = false;  // only the Source items take their text from here
};

inline constexpr const char* kNoMixerMessage =
    "No audio mixer program is installed. Install pavucontrol to set the input level.";

void OnViewSignal(VantrelDoc& doc);
void OnViewMessages(VantrelDoc& doc);
void OnViewSatellites(VantrelDoc& doc);
void OnViewChart(VantrelDoc& doc);
void OnViewSpectrum(VantrelDoc& doc);
void OnViewPasses(VantrelDoc& doc);
// Options > Passes: the minimum elevation of the Passes screen.
void OnPassOptions(VantrelDoc& doc, CommandDialogs& dialogs);
void OnOutputLog(VantrelDoc& doc);
void OnOutputRaw(VantrelDoc& doc);
void OnHome(VantrelDoc& doc, CommandDialogs& dialogs);
void OnLogDirectory(VantrelDoc& doc, CommandDialogs& dialogs);
void OnMixer(VantrelDoc& doc, CommandDialogs& dialogs);
// slot 0..3 for Source 1..4
void OnSource(VantrelDoc& doc, int slot);
void OnFilter(VantrelDoc& doc, CommandDialogs& dialogs);
void OnTrackHistory(VantrelDoc& doc);
void OnTleDefine(VantrelDoc& doc, CommandDialogs& dialogs);
void OnTleEnable(VantrelDoc& doc);
// Options > TLE > Update from the web: the URLs and interval; "Update now"
// also starts an update. Addresses that cannot be fetched are refused with a
// message and offered again.
void OnTleUpdate(VantrelDoc& doc, CommandDialogs& dialogs);
// Options > SDR: the tuning used at the next Start of an SDR source.
void OnSdrOptions(VantrelDoc& doc, CommandDialogs& dialogs);
// Options > Demodulator: radio items; the choice takes effect at once.
void OnDemodulator(VantrelDoc& doc, int choice);
// Settings that would not work are refused with a message and offered again.
void OnNetworkFeed(VantrelDoc& doc, CommandDialogs& dialogs);

// Runs the receiver command with this id. Start and Stop belong to capture
// and are not handled here; returns false for them and for unknown ids.
bool RunDocumentCommand(VantrelDoc& doc, CommandDialogs& dialogs, int id);

// Update handler of the command with this id; commands without one are
// enabled and unchecked.
CommandState UpdateDocumentCommand(const VantrelDoc& doc, int id);

// True for the commands whose menu items carry a check mark.
bool IsCheckableCommand(int id);

// The directory with exactly one '/' at its end.
std::string WithOneTrailingSlash(std::string directory);

}  // namespace vantrel
