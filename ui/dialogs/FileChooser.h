#pragma once

// The open-file dialog of the program's dialogs. Every "browse" goes through
// chooseExistingFile(), so tests can answer it.

#include <QString>
#include <functional>

class QWidget;

namespace korvex {

struct OpenFileRequest {
    QString caption;
    QString directory;  // where the dialog starts; empty for the working folder
    QString filter;     // Qt's form: "Name (*.ext);;All Files (*)"
    QString selectedFilter;
};

// Shows a modal open-file dialog that accepts only a file that exists. The
// chosen path, or an empty text when the user cancelled.
QString chooseExistingFile(QWidget* parent, const OpenFileRequest& request);

// Replaces the dialog (tests); an empty function restores it.
using OpenFileHook = std::function<QString(const OpenFileRequest&)>;
void setOpenFileHook(OpenFileHook hook);

}  // namespace korvex
