// Command ids shared by the menu, the toolbar and the accelerators. The
// receiver's own commands come first; the rest are the desktop framework's
// standard commands and panes.
#pragma once

namespace vantrel::cmd {

inline constexpr int kViewSignal = 32771;
inline constexpr int kViewMessages = 32772;
inline constexpr int kViewSatellites = 32773;
inline constexpr int kViewChart = 32774;
inline constexpr int kStart = 32775;
inline constexpr int kStop = 32776;
inline constexpr int kOutputLog = 32778;
inline constexpr int kOutputRaw = 32779;
inline constexpr int kHome = 32780;
inline constexpr int kLogDirectory = 32781;
inline constexpr int kMixer = 32782;
inline constexpr int kSource1 = 32783;  // Source n is kSource1 + n - 1
inline constexpr int kSource4 = 32786;
inline constexpr int kFilter = 32787;
inline constexpr int kTrackHistory = 32788;
inline constexpr int kTleDefine = 32789;
inline constexpr int kTleEnable = 32790;
inline constexpr int kDemodulatorClassic = 32791;
inline constexpr int kDemodulatorSensitive = 32792;
inline constexpr int kSdrOptions = 32793;
inline constexpr int kViewSpectrum = 32794;
inline constexpr int kNetworkFeed = 32795;
inline constexpr int kViewPasses = 32796;
inline constexpr int kPassOptions = 32797;
inline constexpr int kTleUpdate = 32798;

inline constexpr int kFileNew = 57600;
inline constexpr int kFileOpen = 57601;
inline constexpr int kFileSave = 57603;
inline constexpr int kFilePrint = 57607;
inline constexpr int kEditCopy = 57634;
inline constexpr int kAppAbout = 57664;
inline constexpr int kAppExit = 57665;
inline constexpr int kHelpTopics = 57667;
inline constexpr int kContextHelp = 57669;
inline constexpr int kHelp = 57670;
inline constexpr int kViewToolbar = 59392;
inline constexpr int kViewStatusBar = 59393;
inline constexpr int kPolarityPane = 59142;

}  // namespace vantrel::cmd
