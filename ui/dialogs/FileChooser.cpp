#include "ui/dialogs/FileChooser.h"

#include <QFileDialog>

namespace korvex {

namespace {

OpenFileHook& hook() {
    static OpenFileHook instance;
    return instance;
}

}  // namespace

QString chooseExistingFile(QWidget* parent, const OpenFileRequest& request) {
    if (hook()) {
        return hook()(request);
    }
    QString selected = request.selectedFilter;
    return QFileDialog::getOpenFileName(parent, request.caption, request.directory, request.filter,
                                        &selected);
}

void setOpenFileHook(OpenFileHook h) {
    hook() = std::move(h);
}

}  // namespace korvex
