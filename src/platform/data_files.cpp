#include "platform/data_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace vantrel {

QStringList DataDirectories() {
  const QString programDir = QCoreApplication::applicationDirPath();
  return {programDir, programDir + "/data", QDir::cleanPath(programDir + "/../share/vantrel"),
          QStringLiteral(VANTREL_BUILD_DATA_DIR), QStringLiteral(VANTREL_INSTALL_DATA_DIR)};
}

QString FindDataFile(const QString& relativeName) {
  for (const QString& dir : DataDirectories()) {
    const QFileInfo candidate(dir + '/' + relativeName);
    if (candidate.isFile()) return candidate.absoluteFilePath();
  }
  return {};
}

}  // namespace vantrel
