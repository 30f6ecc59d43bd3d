#pragma once

#include <QDialog>
#include <array>
#include <cstdint>
#include <string_view>

#include "settings/KorvSettings.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace korvex {

// One entry of the "Record Format" list: mono PCM at a sample size and rate.
struct RecordFormat {
    std::string_view text;
    std::uint16_t bits;
    int rate;
};

inline constexpr std::array<RecordFormat, 6> kRecordFormats = {{
    {"8 bit, 11025 Hz, mono (11 kB/s)", 8, 11025},
    {"8 bit, 22050 Hz, mono (22 kB/s)", 8, 22050},
    {"8 bit, 44100 Hz, mono (44 kB/s)", 8, 44100},
    {"16 bit, 11025 Hz, mono (22 kB/s)", 16, 11025},
    {"16 bit, 22050 Hz, mono (44 kB/s)", 16, 22050},
    {"16 bit, 44100 Hz, mono (88 kB/s)", 16, 44100},
}};

// The kilobytes (1024 bytes, rounded down) of one mono recording of
// `seconds`; 0 for negative values.
std::int64_t diskSpaceKb(int bits, int rate, int seconds);

// "Log Settings": the timing of log entries, the audio format and the
// external player. Works on a copy of the settings and gives it back with
// the log and audio fields as "Ok" accepted them; the caller stores it.
class CLogSettingsDialog : public QDialog {
    Q_OBJECT
public:
    explicit CLogSettingsDialog(const KorvSettings& settings, QWidget* parent = nullptr);

    // The settings copy; its log and audio fields change only on an accepted "Ok".
    KorvSettings values() const { return m_values; }

    QLineEdit* entryDelayField() const { return m_entryDelay; }
    QLineEdit* closeDelayField() const { return m_closeDelay; }
    QComboBox* formatList() const { return m_format; }
    QCheckBox* recordAudioBox() const { return m_recordAudio; }
    QLineEdit* audioTimeField() const { return m_audioTime; }
    QLineEdit* diskSpaceField() const { return m_diskSpace; }
    QCheckBox* externalPlayerBox() const { return m_externalPlayer; }
    QLineEdit* playerPathField() const { return m_playerPath; }
    QPushButton* browseButton() const { return m_browse; }

public slots:
    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildTiming(QWidget* box);
    void buildAudio(QWidget* box);
    void chooseFormat(int index);
    void takeAudioTime();
    void showDiskSpace();
    void followRecordAudio();
    void followExternalPlayer();
    void browse();

    KorvSettings m_values;
    // The working values the disk space is computed from.
    std::uint16_t m_bits = 0;
    int m_rate = 0;
    int m_audioSeconds = 0;

    QLineEdit* m_entryDelay = nullptr;
    QLineEdit* m_closeDelay = nullptr;
    QComboBox* m_format = nullptr;
    QCheckBox* m_recordAudio = nullptr;
    QLineEdit* m_audioTime = nullptr;
    QLabel* m_audioTimeLabel = nullptr;
    QLineEdit* m_diskSpace = nullptr;
    QLabel* m_diskSpaceLabel = nullptr;
    QCheckBox* m_externalPlayer = nullptr;
    QLineEdit* m_playerPath = nullptr;
    QPushButton* m_browse = nullptr;
};

}  // namespace korvex
