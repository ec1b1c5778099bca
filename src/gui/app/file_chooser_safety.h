// What keeps the file and folder choosers from hanging the program: their
// list is drawn from file names alone (reading a file to guess its type can
// wait for ever, as on /proc/kmsg), and they never start in, nor leave Qt
// remembering, a pseudo file system (/proc, /sys, /dev).
#pragma once

#include <QString>

class QFileDialog;

namespace vantrel {

// True for a path in /proc, /sys or /dev, whose files are no files.
bool IsPseudoFileSystemPath(const QString& path);

// The folder a chooser opens at: folder itself, or the home folder when
// folder lies in a pseudo file system.
QString ChooserStartFolder(const QString& folder);

// Gives the dialog a name-only icon provider (Qt's own widgets, whose
// provider it uses) and moves it home before it closes, when it was left in
// a pseudo file system, so that Qt does not store that as the last folder.
void MakeChooserSafe(QFileDialog& dialog);

}  // namespace vantrel
