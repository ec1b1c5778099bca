// The toolbar's 16 x 15 button images and the program icon, drawn at start-up.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace vantrel {

inline constexpr int kButtonWidth = 16;
inline constexpr int kButtonHeight = 15;

// The button image of a toolbar command; a null pixmap for other ids.
QPixmap ToolbarPixmap(int commandId);
// The program icon (a globe with a satellite's pass over it) at this size.
QPixmap ProgramPixmap(int size);
QIcon ProgramIcon();

}  // namespace vantrel
