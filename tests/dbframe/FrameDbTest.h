#pragma once

// A main window on a settings folder of its own, with the fixture tables
// beside its dbconf.ini; message boxes are recorded and answered.

#include <gtest/gtest.h>

#include <QAction>
#include <QTest>
#include <memory>

#include "database/DatabaseSlots.h"
#include "tests/dbframe/DbFrameFixture.h"
#include "tests/support/PromptRecorder.h"
#include "ui/FontScale.h"
#include "ui/FrameDatabases.h"
#include "ui/MainFrame.h"
#include "ui/TuningPanel.h"
#include "ui/TuningPanelActions.h"
#include "ui/ZelView.h"

namespace korvex::test {

// "DATABASE" in the list selector: after the twenty banks and four lists.
inline constexpr int kDatabasePosition = 24;

class FrameDbTest : public PromptRecorder {
protected:
    void SetUp() override {
        PromptRecorder::SetUp();
        ASSERT_FALSE(folder.dir().empty());
        ASSERT_EQ(listModeAt(kDatabasePosition), ListMode::Database);
        FrameOptions options;
        options.configDir = QString::fromStdString(folder.dir().string());
        frame = std::make_unique<CMainFrame>(options);
        frame->resize(1000, 700);
        frame->show();
        // The frame writes a complete dbconf.ini at start.
        ASSERT_TRUE(std::filesystem::exists(folder.ini()));
    }
    void TearDown() override {
        if (frame) {
            frame->settings().saveOnExit = false;
            frame.reset();
        }
        PromptRecorder::TearDown();
    }

    CZelView& view() { return *qobject_cast<CZelView*>(frame->listView()); }
    CTuningPanel& panel() { return *qobject_cast<CTuningPanel*>(frame->tuningPanel()); }
    db::DatabaseSlots& dbSlots() { return frame->databases().databaseSlots(); }
    db::CDbDao& activeDb() { return *dbSlots().activeDb(); }

    // Chooses "DATABASE" in the list selector and lets the display update
    // switch the list to it.
    void showDatabase() {
        panel().actions().chooseList(kDatabasePosition);
        panel().updateFromModel();
    }
    void trigger(CommandId id) { frame->action(id)->trigger(); }
    std::string queue() const { return frame->pollFields().commandQueue.text(); }
    void clearQueue() { frame->pollFields().commandQueue.clear(); }

    DbFolder folder;
    std::unique_ptr<CMainFrame> frame;
};

}  // namespace korvex::test
