// The tuning panel's handlers: what a press, a typed key or a confirmed
// choice does, and where the keyboard focus goes afterwards.
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

#include "link/LinkHost.h"
#include "link/PollFields.h"
#include "model/Receiver.h"
#include "settings/KorvSettings.h"
#include "ui/Cp1252.h"
#include "ui/TuningPanel.h"
#include "ui/TuningPanelControls.h"
#include "ui/TuningPanelTables.h"
#include "ui/TuningPrediction.h"

namespace korvex {

using namespace panel;

namespace {

int stepsOf(cmd::DialKey key) {
    switch (key) {
        case cmd::DialKey::Up:
            return 1;
        case cmd::DialKey::Right:
            return 10;
        case cmd::DialKey::Down:
            return -1;
        case cmd::DialKey::Left:
            return -10;
    }
    return 0;
}

}  // namespace

void CTuningPanel::showEntry() {
    m_entry->setText(fromCp1252(m_actions.state().entryText));
}

void CTuningPanel::keypadPressed(char c) {
    if (m_entry->maxLength() <= static_cast<int>(m_actions.state().entryText.size())) {
        return;
    }
    m_actions.appendToEntry(c);
    showEntry();
}

void CTuningPanel::backspacePressed() {
    m_actions.removeLastFromEntry();
    showEntry();
}

void CTuningPanel::entryEdited(const QString& typed) {
    m_actions.setEntry(toCp1252(typed));
}

void CTuningPanel::enter() {
    // An open list takes the key: its highlighted entry is chosen as a click
    // would choose it, and nothing else happens. The list closes itself on
    // the Return that chooses an entry before the window's shortcut fires, so
    // a list closed by this very key event has taken it too.
    for (CPanelSelector* s : {m_list, m_step, m_mode, m_searchGroup, m_scanGroup}) {
        if (s->isListOpen()) {
            s->confirmHighlighted();
            return;
        }
        if (s->listJustClosed()) {
            return;
        }
    }
    afterEntry(m_actions.enter());
}

void CTuningPanel::dial(cmd::DialKey key) {
    if (!m_actions.stepTune(key)) {
        return;
    }
    if (QLineEdit* line = activeLine()) {
        const std::string shown = toCp1252(line->text());
        const std::string step = toCp1252(m_step->currentText());
        if (auto predicted = predictedFrequency(shown, step, stepsOf(key))) {
            line->setText(fromCp1252(*predicted));
        }
    }
}

void CTuningPanel::selectVfo(char which) {
    m_actions.selectVfo(which);
    afterVfoChoice(which == 'A' ? m_vfoA : which == 'B' ? m_vfoB : m_vfo);
}

void CTuningPanel::afterVfoChoice(QAbstractButton* pressed) {
    // The receiver's answer, not the press, decides which VFO is checked.
    updateVfoRadios();
    if (m_ctx.settings.keybopt) {
        pressed->setFocus(Qt::OtherFocusReason);
    } else {
        m_entry->setFocus(Qt::OtherFocusReason);
    }
}

void CTuningPanel::rebuildListSelectorIfNeeded() {
    TuningPanelState& state = m_actions.state();
    if (!state.bankNamesChanged) {
        return;
    }
    const int current = m_list->currentIndex();
    const QSignalBlocker block(m_list);
    m_list->clear();
    for (const std::string& info : m_ctx.rx.bankInfo) {
        m_list->addItem(fromCp1252(info));
    }
    for (std::string_view fixed : kFixedListEntries) {
        m_list->addItem(fromCp1252(fixed));
    }
    m_list->setCurrentIndex(current);
    state.bankNamesChanged = false;
}

void CTuningPanel::listChosen(int index) {
    rebuildListSelectorIfNeeded();
    m_actions.chooseList(index);
    m_list->setCurrentIndex(index);
    updateEnabling();
    if (!m_ctx.settings.keybopt) {
        m_refresh->setFocus(Qt::OtherFocusReason);
    }
}

// An invalid entry keeps the focus for correction; a queued one is shown
// as the entry now stands.
void CTuningPanel::afterEntry(TuningActions::EntryResult result) {
    switch (result) {
        case TuningActions::EntryResult::Invalid:
            m_entry->setFocus(Qt::OtherFocusReason);
            break;
        case TuningActions::EntryResult::Queued:
            showEntry();
            break;
        case TuningActions::EntryResult::Nothing:
            break;
    }
}

void CTuningPanel::makePassFrequency() {
    afterEntry(m_actions.makePassFrequency());
}

void CTuningPanel::openScanGroupDialog() {
    if (!m_scanGroupDialog) {
        return;
    }
    const std::string commands = m_scanGroupDialog(m_scanGroup->currentIndex());
    if (!commands.empty()) {
        m_ctx.queueCommands(commands);
    }
}

void CTuningPanel::openSearchGroupDialog() {
    if (!m_searchGroupDialog) {
        return;
    }
    const std::string commands = m_searchGroupDialog(m_searchGroup->currentIndex());
    if (!commands.empty()) {
        m_ctx.queueCommands(commands);
    }
    m_searchGroup->setFocus(Qt::OtherFocusReason);
}

void CTuningPanel::squelchValueChanged(int value) {
    m_ctx.host.showStatus(TuningActions::squelchStatus(value));
    // The display update moves the slider to the receiver's own value; only
    // the operator's movements are sent.
    if (!m_movingSlider) {
        m_actions.squelchMoved(value);
    }
}

}  // namespace korvex
