#include "ui/dialogs/LogSettingsDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>

#include "ui/dialogs/FileChooser.h"
#include "ui/dialogs/MemoryGuard.h"
#include "ui/dialogs/Prompt.h"

namespace korvex {

namespace {

constexpr int kMinDelay = 1;
constexpr int kMinAudioSeconds = 5;

// Whole seconds: digits only, few enough to fit an int.
QLineEdit* numberField(int value, QWidget* parent) {
    auto* field = new QLineEdit(QString::number(std::max(0, value)), parent);
    field->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,9}")), field));
    field->setAlignment(Qt::AlignRight);
    field->setFixedWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("00000000")) + 16);
    return field;
}

// An empty field reads as 0, which the checks on "Ok" then refuse.
int fieldNumber(const QLineEdit* field) {
    bool ok = false;
    const qlonglong value = field->text().toLongLong(&ok);
    return ok ? static_cast<int>(std::clamp<qlonglong>(value, 0, INT_MAX)) : 0;
}

QLabel* labelFor(const QString& text, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

int formatIndex(std::uint16_t bits, int rate) {
    for (std::size_t i = 0; i < kRecordFormats.size(); ++i) {
        if (kRecordFormats[i].bits == bits && kRecordFormats[i].rate == rate) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// Where the player browser starts: the folder of the current player, else
// where programs live.
QString browseFolder(const QString& playerPath) {
    const QFileInfo current(playerPath);
    if (!playerPath.isEmpty() && current.isAbsolute() && current.absoluteDir().exists()) {
        return current.absolutePath();
    }
    return QDir(QStringLiteral("/usr/bin")).exists() ? QStringLiteral("/usr/bin") : QString();
}

}  // namespace

std::int64_t diskSpaceKb(int bits, int rate, int seconds) {
    if (bits < 0 || rate < 0 || seconds < 0) {
        return 0;
    }
    return std::int64_t{bits} * rate * seconds / 8192;
}

CLogSettingsDialog::CLogSettingsDialog(const KorvSettings& settings, QWidget* parent)
    : QDialog(parent),
      m_values(settings),
      m_bits(settings.bitsPerSample),
      m_rate(settings.sampleRate),
      m_audioSeconds(std::max(0, settings.audioMaxTime)) {
    setWindowTitle(QStringLiteral("Log Settings"));

    auto* timing = new QGroupBox(QStringLiteral("Timing"), this);
    buildTiming(timing);
    auto* audio = new QGroupBox(QStringLiteral("Audio"), this);
    buildAudio(audio);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("Ok"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &CLogSettingsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CLogSettingsDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(timing);
    layout->addWidget(audio);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(m_entryDelay, m_closeDelay);
    setTabOrder(m_closeDelay, m_format);
    setTabOrder(m_format, m_recordAudio);
    setTabOrder(m_recordAudio, m_audioTime);
    setTabOrder(m_audioTime, m_externalPlayer);
    setTabOrder(m_externalPlayer, m_playerPath);
    setTabOrder(m_playerPath, m_browse);
    m_entryDelay->setFocus();

    followRecordAudio();
    followExternalPlayer();
    showDiskSpace();

    connect(m_format, &QComboBox::currentIndexChanged, this, &CLogSettingsDialog::chooseFormat);
    connect(m_recordAudio, &QCheckBox::toggled, this, &CLogSettingsDialog::followRecordAudio);
    connect(m_externalPlayer, &QCheckBox::toggled, this, &CLogSettingsDialog::followExternalPlayer);
    connect(m_browse, &QPushButton::clicked, this, guarded(this, [this] { browse(); }));
    // The disk space follows the audio time when its field loses the focus,
    // not with every key typed.
    m_audioTime->installEventFilter(this);
}

void CLogSettingsDialog::buildTiming(QWidget* box) {
    m_entryDelay = numberField(m_values.logOpenTime, box);
    m_closeDelay = numberField(m_values.logCloseTime, box);
    auto* note = new QLabel(QStringLiteral("should be 1 s less than \"delay\" setting in active\n"
                                           "scan or search group!"),
                            box);

    auto* grid = new QGridLayout(box);
    grid->addWidget(m_entryDelay, 0, 0);
    grid->addWidget(
        labelFor(QStringLiteral("[s] squelch &open time to generate log entry (min. 1s)"),
                 m_entryDelay, box),
        0, 1);
    grid->addWidget(m_closeDelay, 1, 0);
    grid->addWidget(
        labelFor(QStringLiteral("[s] squelch &close time to finish log entry (min. 1s)"),
                 m_closeDelay, box),
        1, 1);
    grid->addWidget(note, 2, 1);
    grid->setColumnStretch(1, 1);
}

void CLogSettingsDialog::buildAudio(QWidget* box) {
    m_format = new QComboBox(box);
    for (const RecordFormat& format : kRecordFormats) {
        m_format->addItem(
            QString::fromLatin1(format.text.data(), static_cast<qsizetype>(format.text.size())));
    }
    // A size and rate that no entry has leaves the list without a selection;
    // the list then names the format that "Ok" keeps.
    m_format->setCurrentIndex(formatIndex(m_bits, m_rate));
    m_format->setPlaceholderText(
        QStringLiteral("%1 bit, %2 Hz, mono (not in the list)").arg(m_bits).arg(m_rate));
    auto* formatRow = new QHBoxLayout;
    formatRow->addWidget(labelFor(QStringLiteral("Record &Format"), m_format, box));
    formatRow->addWidget(m_format, 1);

    m_recordAudio = new QCheckBox(QStringLiteral("create &audio files when logging"), box);
    m_recordAudio->setChecked(m_values.logAudio);

    m_audioTime = numberField(m_values.audioMaxTime, box);
    m_audioTimeLabel = labelFor(QStringLiteral("[s] &max. time for single audio file (min. 5s)"),
                                m_audioTime, box);
    m_diskSpace = new QLineEdit(box);
    m_diskSpace->setReadOnly(true);
    m_diskSpace->setFocusPolicy(Qt::ClickFocus);
    m_diskSpace->setAlignment(Qt::AlignRight);
    m_diskSpace->setFixedWidth(m_audioTime->minimumWidth());
    m_diskSpaceLabel =
        new QLabel(QStringLiteral("[kB] disk space required with current audio settings"), box);
    auto* grid = new QGridLayout;
    grid->addWidget(m_audioTime, 0, 0);
    grid->addWidget(m_audioTimeLabel, 0, 1);
    grid->addWidget(m_diskSpace, 1, 0);
    grid->addWidget(m_diskSpaceLabel, 1, 1);
    grid->setColumnStretch(1, 1);

    m_externalPlayer = new QCheckBox(QStringLiteral("Use external audio &PLAYER"), box);
    m_externalPlayer->setChecked(m_values.useExternalPlayer);
    // Paths are the file system's bytes, not text of the receiver's code page.
    m_playerPath =
        new QLineEdit(QFile::decodeName(QByteArray::fromStdString(m_values.playerPath)), box);
    m_playerPath->setMinimumWidth(m_playerPath->fontMetrics().horizontalAdvance(QLatin1Char('x')) *
                                  40);
    m_playerPath->setAccessibleName(QStringLiteral("player path"));
    m_browse = new QPushButton(QStringLiteral("..."), box);
    m_browse->setAccessibleName(QStringLiteral("Browse for the player"));
    m_browse->setToolTip(QStringLiteral("Browse for the player"));
    m_browse->setFixedWidth(m_browse->fontMetrics().horizontalAdvance(QStringLiteral("...")) + 24);
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(m_playerPath, 1);
    pathRow->addWidget(m_browse);

    auto* layout = new QVBoxLayout(box);
    layout->addLayout(formatRow);
    layout->addWidget(m_recordAudio);
    layout->addLayout(grid);
    layout->addWidget(m_externalPlayer);
    layout->addLayout(pathRow);
}

void CLogSettingsDialog::chooseFormat(int index) {
    if (index < 0 || index >= static_cast<int>(kRecordFormats.size())) {
        return;
    }
    const RecordFormat& format = kRecordFormats[static_cast<std::size_t>(index)];
    m_bits = format.bits;
    m_rate = format.rate;
    showDiskSpace();
}

void CLogSettingsDialog::takeAudioTime() {
    m_audioSeconds = fieldNumber(m_audioTime);
    showDiskSpace();
}

void CLogSettingsDialog::showDiskSpace() {
    m_diskSpace->setText(QString::number(diskSpaceKb(m_bits, m_rate, m_audioSeconds)));
}

void CLogSettingsDialog::followRecordAudio() {
    const bool on = m_recordAudio->isChecked();
    for (QWidget* w :
         {static_cast<QWidget*>(m_audioTime), static_cast<QWidget*>(m_audioTimeLabel),
          static_cast<QWidget*>(m_diskSpace), static_cast<QWidget*>(m_diskSpaceLabel)}) {
        w->setEnabled(on);
    }
}

void CLogSettingsDialog::followExternalPlayer() {
    const bool on = m_externalPlayer->isChecked();
    m_playerPath->setEnabled(on);
    m_browse->setEnabled(on);
}

void CLogSettingsDialog::browse() {
    OpenFileRequest request;
    request.caption = QStringLiteral("Open");
    request.directory = browseFolder(m_playerPath->text());
    request.filter = QStringLiteral("Application (*.exe);;All Files (*)");
    // Players on Linux have no ".exe", so the list starts on "All Files";
    // "Application" stays for players run through Wine. No default suffix
    // either: it would append ".exe" to a typed program name.
    request.selectedFilter = QStringLiteral("All Files (*)");
    const QString chosen = chooseExistingFile(this, request);
    if (!chosen.isEmpty()) {
        m_playerPath->setText(chosen);
    }
}

bool CLogSettingsDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_audioTime && event->type() == QEvent::FocusOut) {
        takeAudioTime();
    }
    return QDialog::eventFilter(watched, event);
}

void CLogSettingsDialog::accept() {
    const int entryDelay = fieldNumber(m_entryDelay);
    const int closeDelay = fieldNumber(m_closeDelay);
    takeAudioTime();
    if (entryDelay < kMinDelay || closeDelay < kMinDelay) {
        tell(this, QStringLiteral("TIMING:\nValues less than 1 not allowed"),
             QStringLiteral("Error"), PromptIcon::Error);
        QLineEdit* field = entryDelay < kMinDelay ? m_entryDelay : m_closeDelay;
        field->setFocus();
        field->selectAll();
        return;
    }
    // The audio time must be valid even while recording is off, so turning
    // it on later never starts with a useless limit.
    if (m_audioSeconds < kMinAudioSeconds) {
        tell(this, QStringLiteral("LIMITS:\nAudio recording time must be at least 5 seconds"),
             QStringLiteral("Error"), PromptIcon::Error);
        if (m_audioTime->isEnabled()) {
            m_audioTime->setFocus();
            m_audioTime->selectAll();
        } else {
            m_recordAudio->setFocus();
        }
        return;
    }
    m_values.logAudio = m_recordAudio->isChecked();
    m_values.logOpenTime = entryDelay;
    m_values.logCloseTime = closeDelay;
    m_values.playerPath = QFile::encodeName(m_playerPath->text()).toStdString();
    m_values.audioMaxTime = m_audioSeconds;
    m_values.useExternalPlayer = m_externalPlayer->isChecked();
    m_values.bitsPerSample = m_bits;
    m_values.sampleRate = m_rate;
    QDialog::accept();
}

}  // namespace korvex
