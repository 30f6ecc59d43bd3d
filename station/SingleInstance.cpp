#include "station/SingleInstance.h"

#include <QDir>
#include <QStandardPaths>

namespace korvex {

QString SingleInstance::lockPath() {
    QString dir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (dir.isEmpty() || !QDir(dir).exists()) {
        dir = QDir::tempPath();
    }
    return QDir(dir).filePath(QStringLiteral("mrqxKORV.lock"));
}

bool SingleInstance::acquire() {
    m_lock = std::make_unique<QLockFile>(lockPath());
    // A stale lock (its process is gone) is removed by tryLock itself.
    m_lock->setStaleLockTime(0);
    return m_lock->tryLock(0);
}

}  // namespace korvex
