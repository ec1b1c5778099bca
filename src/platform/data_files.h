// Where the program's data (globe.dat, the manual, the demo recording) is:
// beside the executable, in the source tree's data/ for a build-tree run, or
// in the installed share/vantrel.
#pragma once

#include <QString>
#include <QStringList>

namespace vantrel {

// The folders searched, in order.
QStringList DataDirectories();

// Full path of the first existing data file of this relative name, or an
// empty text when none exists.
QString FindDataFile(const QString& relativeName);

}  // namespace vantrel
