// The tuning panel's display update and enabling: the model copied into the
// controls after every reply with data, and the enabling table.
#include <QAbstractItemView>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

#include "log/ZelDoc.h"
#include "model/Receiver.h"
#include "settings/KorvSettings.h"
#include "ui/Cp1252.h"
#include "ui/TuningPanel.h"
#include "ui/TuningPanelControls.h"
#include "ui/TuningPanelTables.h"

namespace korvex {

using namespace panel;

void CTuningPanel::setSelectorIndex(CPanelSelector* selector, int index) {
    // An open list keeps its highlight under the operator's hand.
    if (index < 0 || index >= selector->count() || selector->isListOpen()) {
        return;
    }
    selector->setCurrentIndex(index);
}

QLineEdit* CTuningPanel::activeLine() const {
    switch (m_ctx.rx.operatingState) {
        case kStateVfo:
            return m_line3;
        case kStateVfoA:
            return m_line1;
        case kStateVfoB:
            return m_line2;
        default:
            return nullptr;
    }
}

void CTuningPanel::updateVfoRadios() {
    const int s = m_ctx.rx.operatingState;
    m_vfo->setChecked(s == kStateVfo);
    m_vfoA->setChecked(s == kStateVfoA);
    m_vfoB->setChecked(s == kStateVfoB);
}

void CTuningPanel::updateFromModel() {
    const CReceiver& rx = m_ctx.rx;

    m_afc->setChecked(rx.afc);
    m_att->setChecked(rx.attenuator);
    m_nl->setChecked(rx.noiseLimiter);
    m_auto->setChecked(rx.autoMode);
    m_sel->setChecked(rx.selectFlag);
    m_pas->setChecked(rx.passFlag);

    setSelectorIndex(m_searchGroup, rx.currentSearchGroup);
    setSelectorIndex(m_scanGroup, rx.currentScanGroup);
    if (const auto level = rx.levelSquelchValue(); level && !m_squelch->isSliderDown()) {
        const int value = std::clamp(*level, 0, kSquelchMax);
        if (value != m_squelch->value()) {
            m_movingSlider = true;
            m_squelch->setValue(value);
            m_movingSlider = false;
            m_actions.state().lastSquelchSent = value;
        }
    }

    updateVfoRadios();
    const int s = rx.operatingState;
    if (s != kStateUnknown) {
        const bool memory = isMemoryState(s);
        m_searchGroup->setEnabled(!memory);
        m_scanGroup->setEnabled(memory);
        m_sel->setEnabled(memory);
        m_pas->setEnabled(memory);
    }

    m_line1->setText(fromCp1252(rx.vfoAFrequency));
    m_line2->setText(fromCp1252(rx.vfoBFrequency));
    m_line3->setText(fromCp1252(rx.vfoFrequency));
    if (const auto step = stepIndexOfCode(rx.stepText)) {
        setSelectorIndex(m_step, *step);
    }
    setSelectorIndex(m_mode, rx.mode);

    updateListView();
    updateEnabling();
}

void CTuningPanel::updateListView() {
    ListViewControl* view = m_ctx.listView ? m_ctx.listView() : nullptr;
    if (view == nullptr) {
        return;
    }
    ListKind& kind = m_actions.state().listKind;
    if (!kind.shown) {
        view->switchLayout(kind.mode);
        kind.shown = true;
    }
    // The refill has shown the entries whatever the list, so the document's
    // flag is cleared too; left set, every reply would refill the list again.
    // The flag is taken before the refill reads the entries: an entry the
    // log thread adds meanwhile sets it again and is shown next time.
    const bool entriesChanged = m_doc.entriesChanged.exchange(false);
    if (m_ctx.rx.listChanged || entriesChanged) {
        view->refill();
        m_ctx.rx.listChanged = false;
    }
}

void CTuningPanel::updateEnabling() {
    const PanelEnabling e = panelEnabling(
        m_ctx.rx.operatingState, m_actions.state().bankNamesChanged, m_ctx.rx.vfoAFrequency);
    m_refresh->setEnabled(e.refresh);
    m_scanGroupButton->setEnabled(e.scanGroupDialog && m_scanGroupDialog);
    m_scanStart->setEnabled(e.memoryScanStart);
    m_searchGroupButton->setEnabled(e.searchGroupDialog && m_searchGroupDialog);
    m_vfoSearchStart->setEnabled(e.vfoSearchStart);
    m_vfoSearchStop->setEnabled(e.vfoSearchStop);
    m_makePass->setEnabled(e.makePassFrequency);

    const bool keyboard = m_ctx.settings.keybopt;
    for (CPanelSelector* s : {m_step, m_mode, m_list, m_scanGroup, m_searchGroup}) {
        s->setOpenOnFocus(keyboard);
    }
}

}  // namespace korvex
