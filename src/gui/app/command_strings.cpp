#include "app/command_strings.h"

#include "document/command_ids.h"

namespace vantrel {
namespace {

struct Entry {
  int id;
  const char* text;
};

constexpr Entry kStrings[] = {
    {cmd::kViewSignal, "View the raw signal screen\nSignal"},
    {cmd::kViewMessages, "View the message window\nMessages"},
    {cmd::kViewSatellites, "View the satellites window\nSatellites"},
    {cmd::kViewChart, "View the chart window\nChart"},
    {cmd::kViewSpectrum, "View the band's spectrum and the carriers found in it\nSpectrum"},
    {cmd::kViewPasses, "View the passes over home in the next 24 hours\nPasses"},
    {cmd::kPassOptions, "Set the minimum elevation of the passes listed\nPasses"},
    {cmd::kStart, "Start processing audio\nStart"},
    {cmd::kStop, "Stop processing audio\nStop"},
    {cmd::kOutputLog, "Toggle log file saving"},
    {cmd::kOutputRaw, "Toggle Raw file saving"},
    {cmd::kNetworkFeed, "Publish every packet to an MQTT broker"},
    {cmd::kTleUpdate, "Keep the TLE file fresh from the web, or fetch it now"},
    {cmd::kHome, "Define Home location"},
    {cmd::kLogDirectory, "Define the directory for log files"},
    {cmd::kMixer, "Open the audio mixer"},
    {cmd::kSource1, "Select soundcard 1"},
    {cmd::kSource1 + 1, "Select soundcard 2"},
    {cmd::kSource1 + 2, "Select soundcard 3"},
    {cmd::kSource4, "Select soundcard 4"},
    {cmd::kSdrOptions, "Set the centre frequency, sample rate and gain of SDR receivers"},
    {cmd::kDemodulatorClassic, "Find packets with the classic search"},
    {cmd::kDemodulatorSensitive,
     "Find packets with the sensitive demodulator (weak signals, both polarities)"},
    {cmd::kAppExit, "Quit the application; prompts to save documents\nExit"},
    {cmd::kEditCopy, "Copy the selection and put it on the Clipboard\nCopy"},
    {cmd::kViewToolbar, "Show or hide the toolbar\nToggle ToolBar"},
    {cmd::kViewStatusBar, "Show or hide the status bar\nToggle StatusBar"},
    {cmd::kHelpTopics, "List Help topics\nHelp Topics"},
    {cmd::kAppAbout, "Show the program's name and version\nAbout"},
    {cmd::kContextHelp, "Display help for clicked on buttons, menus and windows\nHelp"},
};

}  // namespace

QString CommandString(int id) {
  for (const Entry& e : kStrings)
    if (e.id == id) return QString::fromUtf8(e.text);
  return {};
}

QString CommandPrompt(int id) { return CommandString(id).section('\n', 0, 0); }

QString CommandTooltip(int id) {
  const QString s = CommandString(id);
  return s.contains('\n') ? s.section('\n', 1) : QString();
}

}  // namespace vantrel
