#pragma once

#include <QDialog>

namespace korvex {

// "About AR8600": the program's name and version, and "OK".
class CAboutDialog : public QDialog {
    Q_OBJECT
public:
    inline static const QString kProgramName = QStringLiteral("Korv Control  v1.20");

    explicit CAboutDialog(QWidget* parent = nullptr);
};

}  // namespace korvex
