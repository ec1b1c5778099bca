// The text and signal screens, each drawn onto a frame whose background has
// already been filled. Coordinates are fixed pixels from the top-left corner.
#pragma once

#include <QColor>
#include <QString>
#include <string_view>

#include "document/vantrel_doc.h"

class QPainter;

namespace vantrel {

inline const QColor kBackgroundColour{200, 200, 255};

void DrawSignalScreen(QPainter& painter, const VantrelDoc& doc);
void DrawMessagesScreen(QPainter& painter, const VantrelDoc& doc);
// One row per satellite listed, from the listed row firstRow on (the list
// scrolled when the satellites heard above FM-36 make it longer than the screen).
void DrawSatellitesScreen(QPainter& painter, const VantrelDoc& doc, int firstRow = 0);
// The band's spectrum above a waterfall of the last minute, with the
// carriers found marked; needs the client size as it fills the frame.
void DrawSpectrumScreen(QPainter& painter, const VantrelDoc& doc, QSize client);

// The receiver's Windows-1252 texts as Qt strings (0xB0 becomes the degree sign).
QString FromCp1252(std::string_view text);

// Draws text with (x, y) as the top-left corner of its line box, in the
// painter's current font, pen and background mode.
void DrawTextAt(QPainter& painter, int x, int y, const QString& text);

// The line height of a font: the height of the extent of "Text".
int LineHeight(QPainter& painter);

}  // namespace vantrel
