#pragma once

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "../support/FakeLinkHost.h"
#include "link/PollCycle.h"
#include "link/PollFields.h"
#include "log/ZelDoc.h"
#include "model/Receiver.h"
#include "settings/KorvSettings.h"
#include "ui/ListKind.h"
#include "ui/TuningPanel.h"
#include "ui/TuningPanelControls.h"

namespace korvex::test {

inline const std::string kBatch = "RX\rAF\rNL\rDB\rSB\rXB\r";

// Records what the panel's display update asks of the list view.
class FakeListView : public ListViewControl {
public:
    std::vector<ListMode> layouts;
    int refills = 0;
    void switchLayout(ListMode mode) override { layouts.push_back(mode); }
    void refill() override { ++refills; }
};

// A panel on a real model, queue and poll cycle; no port.
class PanelTest : public ::testing::Test {
protected:
    void SetUp() override { makePanel(); }

    void makePanel() {
        panel.reset();
        CTuningPanel::Context context{rx,
                                      poll,
                                      cycle,
                                      host,
                                      settings,
                                      doc,
                                      [this] { return &view; },
                                      [this](const std::string& commands) {
                                          poll.commandQueue.append(commands);
                                          routed += commands;
                                      }};
        panel = std::make_unique<CTuningPanel>(context);
        panel->show();
        QApplication::setActiveWindow(panel.get());
    }

    // What the panel has queued since the last call; all of it went the
    // station's way, so the fast link sends it without waiting for a tick.
    std::string queued() {
        std::string text = poll.commandQueue.text();
        EXPECT_EQ(text, routed) << "queued past the station";
        poll.commandQueue.clear();
        routed.clear();
        return text;
    }

    template <typename T = QWidget>
    T* child(const char* name) {
        T* w = panel->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    void click(const char* name) { child<QAbstractButton>(name)->click(); }

    void inState(int state) {
        rx.operatingState = state;
        panel->updateFromModel();
        queued();
    }

    // Types on the panel's keypad; characters without a key go through the
    // keyboard into the entry field.
    void type(const std::string& text) {
        for (char c : text) {
            if (c >= '0' && c <= '9') {
                click(("key" + std::string(1, c)).c_str());
            } else if (c == '.') {
                click("keyPoint");
            } else {
                QTest::keyClicks(entry(), QString(QChar(c)));
            }
        }
    }

    QLineEdit* entry() { return child<QLineEdit>("entry"); }

    // Opens a selector, highlights an entry and confirms it with Enter.
    void choose(const char* name, int index) {
        auto* s = child<CPanelSelector>(name);
        s->showPopup();
        s->view()->setCurrentIndex(s->model()->index(index, 0));
        QTest::keyClick(s->view(), Qt::Key_Return);
    }

    CReceiver rx;
    PollFields poll;
    FakeLinkHost host;
    PollCycle cycle{rx, poll, host};
    KorvSettings settings;
    CZelDoc doc;
    FakeListView view;
    std::string routed;  // what the panel queued through the station's hook
    std::unique_ptr<CTuningPanel> panel;
};

}  // namespace korvex::test
