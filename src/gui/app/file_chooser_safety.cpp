#include "app/file_chooser_safety.h"

#include <QDir>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QMimeDatabase>

namespace vantrel {

namespace {

// Icons and type texts from the name alone: the file is never opened.
class NameOnlyIconProvider final : public QFileIconProvider {
 public:
  QIcon icon(const QFileInfo& info) const override {
    return QFileIconProvider::icon(info.isDir() ? QFileIconProvider::Folder
                                                : QFileIconProvider::File);
  }
  QString type(const QFileInfo& info) const override {
    if (info.isDir()) return QStringLiteral("Folder");
    return mimes_.mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension).comment();
  }

 private:
  QMimeDatabase mimes_;
};

}  // namespace

bool IsPseudoFileSystemPath(const QString& path) {
  const QString absolute = QDir::cleanPath(QDir::current().absoluteFilePath(path));
  const QString canonical = QFileInfo(absolute).canonicalFilePath();
  for (const QString& p : {absolute, canonical}) {
    for (const char* root : {"/proc", "/sys", "/dev"}) {
      const QString r = QString::fromLatin1(root);
      if (p == r || p.startsWith(r + '/')) return true;
    }
  }
  return false;
}

QString ChooserStartFolder(const QString& folder) {
  return IsPseudoFileSystemPath(folder) ? QDir::homePath() : folder;
}

void MakeChooserSafe(QFileDialog& dialog) {
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  // One for the program's life: the dialog's file-information thread may
  // still use it while the dialog is torn down.
  static auto* const provider = new NameOnlyIconProvider;
  dialog.setIconProvider(provider);
  QObject::connect(&dialog, &QDialog::finished, &dialog, [&dialog] {
    if (IsPseudoFileSystemPath(dialog.directory().absolutePath()))
      dialog.setDirectory(QDir::homePath());
  });
}

}  // namespace vantrel
