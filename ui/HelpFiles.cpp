#include "ui/HelpFiles.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace korvex {

bool DesktopFileOpener::open(const QString& path) {
    if (!QFileInfo(path).isFile()) {
        return false;
    }
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

QString programDataFolder(const QString& executableDir) {
    const QDir exe(executableDir);
    if (exe.exists(helpfile::kLicense) || exe.exists(QStringLiteral("Help"))) {
        return exe.absolutePath();
    }
    const QString installed = exe.absoluteFilePath(QStringLiteral("../share/korvex"));
    if (QFileInfo(installed).isDir()) {
        return QDir::cleanPath(installed);
    }
    return exe.absolutePath();
}

QString openFailureText(const QString& fullPath) {
    return QStringLiteral("error while trying to open\n") + fullPath;
}

}  // namespace korvex
