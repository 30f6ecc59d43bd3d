#pragma once

#include <QString>

namespace korvex {

// The desktop's "open" action for a file, behind an interface so tests can
// see what would have been opened.
class FileOpener {
public:
    virtual ~FileOpener() = default;
    // True when the file was handed to a program that shows it.
    virtual bool open(const QString& path) = 0;
};

// Opens files with QDesktopServices; a missing file is a failure, not a
// viewer showing an error of its own.
class DesktopFileOpener : public FileOpener {
public:
    bool open(const QString& path) override;
};

namespace helpfile {
inline const QString kManual = QStringLiteral("Help/korvhlp.pdf");
inline const QString kShortcuts = QStringLiteral("Help/shortcuts.txt");
inline const QString kLicense = QStringLiteral("license.txt");
}  // namespace helpfile

// The folder the help files are read from: the executable's own folder when
// it holds them (the build tree), else ../share/korvex beside it (installed).
QString programDataFolder(const QString& executableDir);

// The message shown when a help file could not be opened.
QString openFailureText(const QString& fullPath);

}  // namespace korvex
