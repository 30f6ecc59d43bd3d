#pragma once

#include <QDialog>
#include <optional>
#include <string>

#include "model/Records.h"

class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QSlider;

namespace korvex {

// "Scan Group Settings" and "Search Group Settings": the squelch, delay and
// pause of one group, its mode (scan) or auto store (search), and the banks
// it links. Ok gives the receiver commands that set them and read the group
// back; the caller queues them.
class CGroupSettingsDialog : public QDialog {
    Q_OBJECT
public:
    enum class Kind { Scan, Search };

    // group: the number the panel's selector shows (search: 10 = "V").
    CGroupSettingsDialog(Kind kind, int group, const GroupRecord& record,
                         QWidget* parent = nullptr);

    // After Ok: the commands for the queue.
    const std::string& commandText() const { return m_commands; }

    QSlider* voiceSlider() const { return m_voice; }
    QSlider* levelSlider() const { return m_level; }
    QSlider* delaySlider() const { return m_delay; }
    QSlider* pauseSlider() const { return m_pause; }
    QLabel* voiceNumber() const { return m_voiceNumber; }
    QLabel* levelNumber() const { return m_levelNumber; }
    QLabel* delayNumber() const { return m_delayNumber; }
    QLabel* pauseNumber() const { return m_pauseNumber; }
    // Scan groups: "Mode Scan"; search groups: "Auto Store".
    QComboBox* optionList() const { return m_option; }
    QListWidget* availableList() const { return m_available; }
    QListWidget* selectedList() const { return m_selected; }
    QPushButton* okButton() const { return m_ok; }
    // The link text as the lists hold it now.
    std::string links() const;

    static std::optional<std::string> run(Kind kind, int group, const GroupRecord& record,
                                          QWidget* parent);

public slots:
    void accept() override;

private:
    QSlider* addSlider(QGridLayout* grid, int row, const QString& caption, int maximum, int tick,
                       QLabel*& number);
    void showNumbers();
    void moveItem(QListWidgetItem* item, QListWidget* from, QListWidget* to);

    Kind m_kind;
    int m_group;
    bool m_readOnly;
    std::string m_linksAtOpening;
    std::string m_order;
    std::string m_commands;
    QSlider* m_voice = nullptr;
    QSlider* m_level = nullptr;
    QSlider* m_delay = nullptr;
    QSlider* m_pause = nullptr;
    QLabel* m_voiceNumber = nullptr;
    QLabel* m_levelNumber = nullptr;
    QLabel* m_delayNumber = nullptr;
    QLabel* m_pauseNumber = nullptr;
    QComboBox* m_option = nullptr;
    QListWidget* m_available = nullptr;
    QListWidget* m_selected = nullptr;
    QPushButton* m_ok = nullptr;
};

}  // namespace korvex
