#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "tests/support/TempDir.h"
#include "ui/HelpFiles.h"
#include "ui/MainFrame.h"

namespace korvex::test {

// Records what would have been opened; opens nothing.
class FakeOpener : public FileOpener {
public:
    explicit FakeOpener(bool succeeds) : m_succeeds(succeeds) {}
    bool open(const QString& path) override {
        opened.push_back(path);
        return m_succeeds;
    }
    std::vector<QString> opened;

private:
    bool m_succeeds;
};

inline std::string readText(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeText(const std::filesystem::path& file, const std::string& text) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text;
}

// Watches for the first modal dialog while it lives: reads its title, text,
// labels and buttons, then closes it.
class ModalCapture {
public:
    ModalCapture() {
        m_timer.setInterval(20);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { look(); });
        m_timer.start();
    }

    QString title;
    QString text;
    QStringList labels;
    QStringList buttons;
    bool seen = false;

private:
    void look() {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr) {
            return;
        }
        seen = true;
        title = modal->windowTitle();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            text = box->text();
        }
        for (auto* label : modal->findChildren<QLabel*>()) {
            labels << label->text();
        }
        for (auto* button : modal->findChildren<QAbstractButton*>()) {
            buttons << button->text();
        }
        m_timer.stop();
        if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            dialog->reject();
        } else {
            modal->close();
        }
    }

    QTimer m_timer;
};

inline std::unique_ptr<ModalCapture> captureNextModal() {
    return std::make_unique<ModalCapture>();
}

// A frame on a settings folder of its own, shown and active so that its
// window shortcuts take keys.
class FrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        prepareSettings();
        FrameOptions options;
        options.configDir = dirPath();
        frame = std::make_unique<CMainFrame>(options);
        frame->show();
        frame->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    }
    void TearDown() override {
        // The settings of a test are its own: no save on exit into them.
        frame->settings().saveOnExit = false;
        frame.reset();
    }

    // Runs before the frame exists, to put a Korv.ini in place.
    virtual void prepareSettings() {}

    std::filesystem::path iniPath() const { return temp.file("Korv.ini"); }
    std::string queue() const { return frame->pollFields().commandQueue.text(); }

    // The settings folder, and a file in it, as the frame's options name them.
    QString dirPath() const { return QString::fromStdString(temp.path()); }
    QString filePath(const QString& name) const { return dirPath() + '/' + name; }

    TempDir temp{"korvex-frame"};
    std::unique_ptr<CMainFrame> frame;
};

}  // namespace korvex::test
