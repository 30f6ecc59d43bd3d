#pragma once

#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <string>

#include "link/Commands.h"
#include "ui/FrameHooks.h"
#include "ui/ListKind.h"
#include "ui/TuningPanelActions.h"

class QAbstractButton;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;

namespace korvex {

class CFrequencyEntry;
class CPanelSelector;
class CReceiver;
class CZelDoc;
class LinkHost;
class PollCycle;
struct KorvSettings;
struct PollFields;

// The strip of tuning controls under the tool bar. It turns presses and
// confirmed choices into queued commands (through TuningActions) and copies
// the receiver model into its controls on every refresh; it keeps no
// receiver state of its own.
class CTuningPanel : public QWidget {
    Q_OBJECT
public:
    struct Context {
        CReceiver& rx;
        PollFields& poll;
        PollCycle& cycle;
        LinkHost& host;
        const KorvSettings& settings;
        // The frame's document: the bandscope set-up and the log's changes.
        CZelDoc& doc;
        // The list view, or nullptr while it does not exist.
        std::function<ListViewControl*()> listView;
        // Queues commands for the receiver the way the station does, so that
        // the fast link sends them at once instead of on the next tick.
        std::function<void(const std::string&)> queueCommands;
    };
    // Opens a group dialog on a group number and returns the commands it
    // produced, empty when it was cancelled.
    using GroupDialog = std::function<std::string(int group)>;

    explicit CTuningPanel(const Context& context, QWidget* parent = nullptr);
    ~CTuningPanel() override;

    // What the frame's keyboard shortcuts call.
    PanelHooks hooks();

    // Copies the model into the controls (after every reply with data).
    void updateFromModel();
    // The enabling table, run whenever the frame refreshes its commands.
    void updateEnabling();

    // "Enter": an open selector takes it first, else the frequency entry.
    void enter();
    void dial(cmd::DialKey key);
    // 'A' "VFO-A", 'B' "VFO-B", 'S' "VFO".
    void selectVfo(char which);

    // A bank description has changed: the list selector is rebuilt the next
    // time it drops down or a choice is evaluated.
    void markBankNamesChanged() { m_actions.state().bankNamesChanged = true; }
    void setDatabaseRequery(std::function<void()> requery);
    // Until these are set, "Sca&ngroup..." and "Search&group..." stay disabled.
    void setGroupDialogs(GroupDialog scanGroup, GroupDialog searchGroup);

    TuningActions& actions() { return m_actions; }
    CZelDoc& document() { return m_doc; }

private:
    void buildControls();
    void buildLayout();
    void connectControls();
    void applyFonts();

    // input
    void keypadPressed(char c);
    void backspacePressed();
    void entryEdited(const QString& text);
    void afterVfoChoice(QAbstractButton* pressed);
    void listChosen(int index);
    void rebuildListSelectorIfNeeded();
    void makePassFrequency();
    void openScanGroupDialog();
    void openSearchGroupDialog();
    void squelchValueChanged(int value);
    void showEntry();
    void afterEntry(TuningActions::EntryResult result);

    // display
    void updateVfoRadios();
    void updateListView();
    QLineEdit* activeLine() const;
    static void setSelectorIndex(CPanelSelector* selector, int index);

    Context m_ctx;
    CZelDoc& m_doc;
    TuningActions m_actions;
    GroupDialog m_scanGroupDialog;
    GroupDialog m_searchGroupDialog;
    bool m_movingSlider = false;

    QRadioButton* m_vfoA = nullptr;
    QRadioButton* m_vfoB = nullptr;
    QRadioButton* m_vfo = nullptr;
    QLineEdit* m_line1 = nullptr;
    QLineEdit* m_line2 = nullptr;
    QLineEdit* m_line3 = nullptr;
    QCheckBox* m_auto = nullptr;
    CPanelSelector* m_step = nullptr;
    CPanelSelector* m_mode = nullptr;
    QCheckBox* m_att = nullptr;
    QCheckBox* m_nl = nullptr;
    QCheckBox* m_afc = nullptr;
    CPanelSelector* m_list = nullptr;
    QPushButton* m_refresh = nullptr;
    CFrequencyEntry* m_entry = nullptr;
    std::array<QPushButton*, 10> m_digits{};
    QPushButton* m_point = nullptr;
    QPushButton* m_back = nullptr;
    QPushButton* m_down10 = nullptr;
    QPushButton* m_down1 = nullptr;
    QPushButton* m_up1 = nullptr;
    QPushButton* m_up10 = nullptr;
    QPushButton* m_enter = nullptr;
    CPanelSelector* m_scanGroup = nullptr;
    QPushButton* m_scanGroupButton = nullptr;
    QCheckBox* m_sel = nullptr;
    QCheckBox* m_pas = nullptr;
    QPushButton* m_scanStart = nullptr;
    QPushButton* m_scanStop = nullptr;
    CPanelSelector* m_searchGroup = nullptr;
    QPushButton* m_searchGroupButton = nullptr;
    QPushButton* m_vfoSearchStart = nullptr;
    QPushButton* m_vfoSearchStop = nullptr;
    QPushButton* m_makePass = nullptr;
    QSlider* m_squelch = nullptr;
};

}  // namespace korvex
