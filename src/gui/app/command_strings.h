// The string table: each command's status-bar prompt and tooltip, kept
// together as "prompt\ntooltip" under the command's id.
#pragma once

#include <QString>

namespace vantrel {

inline constexpr const char* kIdleStatusText = "For Help, press F1";
inline constexpr const char* kUntitledTitle = "Untitled - Vantrel";

// The whole string of the id ("" when the id has none).
QString CommandString(int id);
// The text before the line feed: status-bar prompt and What's This text.
QString CommandPrompt(int id);
// The text after the line feed: tooltip (empty when there is none).
QString CommandTooltip(int id);

}  // namespace vantrel
