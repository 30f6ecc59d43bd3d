#include "ui/TuningPanel.h"

#include <QApplication>
#include <QCheckBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>
#include <functional>

#include "log/ZelDoc.h"
#include "ui/Cp1252.h"
#include "ui/TuningPanelControls.h"
#include "ui/TuningPanelKeys.h"
#include "ui/TuningPanelTables.h"
#include "ui/dialogs/MemoryGuard.h"

namespace korvex {

using namespace panel;

namespace {

constexpr int kLineFontPixels = 20;
constexpr int kListFontPixels = 12;

// "Lucida Console" where it is installed, else the system's fixed font.
QFont panelFont(int pixels) {
    QFont font = QFontDatabase::families().contains(QStringLiteral("Lucida Console"))
                     ? QFont(QStringLiteral("Lucida Console"))
                     : QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(pixels);
    font.setWeight(QFont::Normal);
    font.setStyleHint(QFont::TypeWriter);
    return font;
}

QString text(std::string_view s) {
    return fromCp1252(s);
}

template <typename T>
T* named(T* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QPushButton* button(const char* caption, const char* name) {
    return named(new QPushButton(QString::fromLatin1(caption)), name);
}

QCheckBox* checkBox(const char* caption, const char* name) {
    return named(new QCheckBox(QString::fromLatin1(caption)), name);
}

CPanelSelector* selector(const char* name) {
    auto* s = named(new CPanelSelector, name);
    s->setMaxVisibleItems(kListEntryCount);
    return s;
}

QGroupBox* group(const char* title, QLayout* layout) {
    auto* box = new QGroupBox(QString::fromLatin1(title));
    box->setLayout(layout);
    return box;
}

}  // namespace

CTuningPanel::CTuningPanel(const Context& context, QWidget* parent)
    : QWidget(parent),
      m_ctx(context),
      m_doc(context.doc),
      m_actions(TuningContext{context.rx, context.poll, context.cycle, context.host, m_doc,
                              context.settings, context.queueCommands}) {
    setObjectName(QStringLiteral("tuningPanel"));
    buildControls();
    buildLayout();
    applyFonts();
    connectControls();
    updateEnabling();
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

CTuningPanel::~CTuningPanel() = default;

void CTuningPanel::buildControls() {
    m_vfoA = named(new QRadioButton(QStringLiteral("VFO-A")), "vfoA");
    m_vfoB = named(new QRadioButton(QStringLiteral("VFO-B")), "vfoB");
    m_vfo = named(new QRadioButton(QStringLiteral("VFO")), "vfo");
    // The receiver's report decides which one is checked, and in a search or
    // memory state none is, so the three are not exclusive among themselves.
    for (QRadioButton* r : {m_vfoA, m_vfoB, m_vfo}) {
        r->setAutoExclusive(false);
    }
    m_line1 = named(new QLineEdit, "line1");
    m_line2 = named(new QLineEdit, "line2");
    m_line3 = named(new QLineEdit, "line3");
    for (QLineEdit* line : {m_line1, m_line2, m_line3}) {
        line->setReadOnly(true);
        line->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        line->setFocusPolicy(Qt::NoFocus);
        line->setText(text(CReceiver::kNoFrequency));
    }

    m_auto = checkBox("A", "autoBox");
    m_step = selector("stepSelector");
    for (std::string_view s : kStepTexts) {
        m_step->addItem(text(s));
    }
    m_mode = selector("modeSelector");
    for (std::string_view s : kModeTexts) {
        m_mode->addItem(text(s));
    }
    m_att = checkBox("ATT", "attBox");
    m_nl = checkBox("NL", "nlBox");
    m_afc = checkBox("AFC", "afcBox");

    m_list = selector("listSelector");
    for (std::string_view s : kInitialListEntries) {
        m_list->addItem(text(s));
    }
    m_list->setMinimumContentsLength(13);
    m_refresh = button("&Refresh", "refreshButton");

    m_entry = named(new CFrequencyEntry, "entry");
    m_entry->setMaxLength(24);
    m_entry->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    for (int d = 0; d < 10; ++d) {
        const std::string caption(1, static_cast<char>('0' + d));
        const std::string name = "key" + caption;
        m_digits[static_cast<std::size_t>(d)] = button(caption.c_str(), name.c_str());
    }
    m_point = button(".", "keyPoint");
    m_back = button("<--", "keyBack");
    m_down10 = button("<<", "tuneDown10");
    m_down1 = button("<", "tuneDown");
    m_up1 = button(">", "tuneUp");
    m_up10 = button(">>", "tuneUp10");
    m_enter = button("Enter", "enterButton");
    // Clicking the keypad leaves the keyboard focus in the entry field; the
    // keys are still reached with Tab.
    for (QPushButton* b : m_digits) {
        b->setFocusPolicy(Qt::TabFocus);
    }
    for (QPushButton* b : {m_point, m_back, m_down10, m_down1, m_up1, m_up10, m_enter}) {
        b->setFocusPolicy(Qt::TabFocus);
    }

    m_scanGroup = selector("scanGroupSelector");
    for (int g = 0; g < kScanGroupCount; ++g) {
        m_scanGroup->addItem(QString::number(g));
    }
    m_scanGroupButton = button("Sca&ngroup...", "scanGroupButton");
    m_sel = checkBox("&SEL", "selBox");
    qApp->installEventFilter(new CPanelMnemonic(this, m_sel, this));
    m_pas = checkBox("&PAS", "pasBox");
    m_scanStart = button("St&art", "scanStart");
    m_scanStop = button("St&op/Mem", "scanStop");

    m_searchGroup = selector("searchGroupSelector");
    for (int g = 0; g < kVfoSearchGroup; ++g) {
        m_searchGroup->addItem(QString::number(g));
    }
    m_searchGroup->addItem(QStringLiteral("V"));
    m_searchGroupButton = button("Search&group...", "searchGroupButton");
    m_vfoSearchStart = button("&VFO Start", "vfoSearchStart");
    m_vfoSearchStop = button("VFO S&top", "vfoSearchStop");
    m_makePass = button("Ma&ke Pass Frequency", "makePass");

    m_squelch = named(new QSlider(Qt::Horizontal), "squelchSlider");
    m_squelch->setRange(0, kSquelchMax);
    m_squelch->setTickInterval(kSquelchTick);
    m_squelch->setTickPosition(QSlider::TicksBelow);
    m_squelch->setPageStep(kSquelchTick);
}

void CTuningPanel::buildLayout() {
    auto* vfoGrid = new QGridLayout;
    vfoGrid->addWidget(m_vfoA, 0, 0);
    vfoGrid->addWidget(m_line1, 0, 1);
    vfoGrid->addWidget(m_vfoB, 1, 0);
    vfoGrid->addWidget(m_line2, 1, 1);
    vfoGrid->addWidget(m_vfo, 2, 0);
    vfoGrid->addWidget(m_line3, 2, 1);
    auto* squelchBox = new QHBoxLayout;
    squelchBox->addWidget(m_squelch);
    auto* column1 = new QVBoxLayout;
    column1->addWidget(group("VFO Frequency [MHz]", vfoGrid));
    column1->addWidget(group("LSQ", squelchBox));

    auto* autoBox = new QHBoxLayout;
    autoBox->addWidget(m_auto);
    auto* stepBox = new QHBoxLayout;
    stepBox->addWidget(m_step);
    auto* modeBox = new QHBoxLayout;
    modeBox->addWidget(m_mode);
    auto* optionsBox = new QHBoxLayout;
    optionsBox->addWidget(m_att);
    optionsBox->addWidget(m_nl);
    optionsBox->addWidget(m_afc);
    auto* autoAndStep = new QHBoxLayout;
    autoAndStep->addWidget(group("Auto", autoBox));
    autoAndStep->addWidget(group("Step", stepBox), 1);
    auto* column2 = new QVBoxLayout;
    column2->addLayout(autoAndStep);
    column2->addWidget(group("Mode", modeBox));
    column2->addWidget(group("Options", optionsBox));

    auto* listsBox = new QVBoxLayout;
    listsBox->addWidget(m_list);
    listsBox->addWidget(m_refresh);
    auto* scanGrid = new QGridLayout;
    scanGrid->addWidget(m_scanGroup, 0, 0);
    scanGrid->addWidget(m_scanGroupButton, 0, 1);
    scanGrid->addWidget(m_sel, 1, 0);
    scanGrid->addWidget(m_pas, 1, 1);
    scanGrid->addWidget(m_scanStart, 2, 0);
    scanGrid->addWidget(m_scanStop, 2, 1);
    auto* column3 = new QVBoxLayout;
    column3->addWidget(group("Lists", listsBox));
    column3->addWidget(group("Scan", scanGrid));

    auto* tuningGrid = new QGridLayout;
    tuningGrid->setSpacing(2);
    tuningGrid->addWidget(m_entry, 0, 0, 1, 4);
    const std::array<std::array<int, 3>, 3> rows = {{{7, 8, 9}, {4, 5, 6}, {1, 2, 3}}};
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            tuningGrid->addWidget(m_digits[static_cast<std::size_t>(rows[r][c])], r + 1, c);
        }
    }
    tuningGrid->addWidget(m_digits[0], 4, 0);
    tuningGrid->addWidget(m_point, 4, 1);
    tuningGrid->addWidget(m_back, 4, 2);
    tuningGrid->addWidget(m_enter, 1, 3, 4, 1);
    m_enter->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
    tuningGrid->addWidget(m_down10, 5, 0);
    tuningGrid->addWidget(m_down1, 5, 1);
    tuningGrid->addWidget(m_up1, 5, 2);
    tuningGrid->addWidget(m_up10, 5, 3);

    auto* searchGrid = new QGridLayout;
    searchGrid->addWidget(m_searchGroup, 0, 0);
    searchGrid->addWidget(m_searchGroupButton, 0, 1);
    searchGrid->addWidget(m_vfoSearchStart, 1, 0);
    searchGrid->addWidget(m_vfoSearchStop, 1, 1);
    searchGrid->addWidget(m_makePass, 2, 0, 1, 2);
    auto* column5 = new QVBoxLayout;
    column5->addWidget(group("Search", searchGrid));
    column5->addStretch(1);

    auto* strip = new QHBoxLayout(this);
    strip->setContentsMargins(4, 2, 4, 2);
    strip->addLayout(column1);
    strip->addLayout(column2);
    strip->addLayout(column3);
    strip->addWidget(group("Tuning", tuningGrid));
    strip->addLayout(column5);
}

void CTuningPanel::applyFonts() {
    const QFont lineFont = panelFont(kLineFontPixels);
    const int lineWidth = QFontMetrics(lineFont).horizontalAdvance(QStringLiteral("00000.000000 "));
    for (QLineEdit* line : {m_line1, m_line2, m_line3}) {
        line->setFont(lineFont);
        line->setMinimumWidth(lineWidth);
    }
    m_list->setFont(panelFont(kListFontPixels));
    // The keypad keys are as narrow as their captions allow.
    const int keyWidth = fontMetrics().horizontalAdvance(QStringLiteral("<--")) * 2;
    for (QPushButton* b : m_digits) {
        b->setFixedWidth(keyWidth);
    }
    for (QPushButton* b : {m_point, m_back, m_down10, m_down1, m_up1, m_up10, m_enter}) {
        b->setFixedWidth(keyWidth);
    }
    m_squelch->setMinimumWidth(lineWidth);
}

void CTuningPanel::connectControls() {
    // Every control runs its action guarded against running out of memory.
    const auto g = [this](auto action) { return guarded(this, std::move(action)); };
    connect(m_vfoA, &QRadioButton::clicked, this, g([this] { selectVfo('A'); }));
    connect(m_vfoB, &QRadioButton::clicked, this, g([this] { selectVfo('B'); }));
    connect(m_vfo, &QRadioButton::clicked, this, g([this] { selectVfo('S'); }));

    connect(m_auto, &QCheckBox::clicked, this,
            g([this](bool on) { m_actions.setFlag(cmd::Flag::AutoMode, on); }));
    connect(m_att, &QCheckBox::clicked, this,
            g([this](bool on) { m_actions.setFlag(cmd::Flag::Attenuator, on); }));
    connect(m_nl, &QCheckBox::clicked, this,
            g([this](bool on) { m_actions.setFlag(cmd::Flag::NoiseLimiter, on); }));
    connect(m_afc, &QCheckBox::clicked, this,
            g([this](bool on) { m_actions.setFlag(cmd::Flag::Afc, on); }));
    connect(m_sel, &QCheckBox::clicked, this, g([this](bool on) { m_actions.setSelectFlag(on); }));
    connect(m_pas, &QCheckBox::clicked, this, g([this](bool on) { m_actions.setPassFlag(on); }));

    connect(m_step, &CPanelSelector::confirmed, this,
            g([this](int i) { m_actions.chooseStep(i); }));
    connect(m_mode, &CPanelSelector::confirmed, this,
            g([this](int i) { m_actions.chooseMode(i); }));
    connect(m_scanGroup, &CPanelSelector::confirmed, this,
            g([this](int i) { m_actions.chooseScanGroup(i); }));
    connect(m_searchGroup, &CPanelSelector::confirmed, this,
            g([this](int i) { m_actions.chooseSearchGroup(i); }));
    connect(m_list, &CPanelSelector::aboutToOpen, this,
            g(std::bind_front(&CTuningPanel::rebuildListSelectorIfNeeded, this)));
    connect(m_list, &CPanelSelector::confirmed, this,
            g(std::bind_front(&CTuningPanel::listChosen, this)));
    connect(m_refresh, &QPushButton::clicked, this,
            g([this] { m_actions.refreshList(m_list->currentIndex()); }));

    for (int d = 0; d < 10; ++d) {
        connect(m_digits[static_cast<std::size_t>(d)], &QPushButton::clicked, this,
                g([this, d] { keypadPressed(static_cast<char>('0' + d)); }));
    }
    connect(m_point, &QPushButton::clicked, this, g([this] { keypadPressed('.'); }));
    connect(m_back, &QPushButton::clicked, this,
            g(std::bind_front(&CTuningPanel::backspacePressed, this)));
    connect(m_entry, &QLineEdit::textEdited, this,
            g(std::bind_front(&CTuningPanel::entryEdited, this)));
    connect(m_enter, &QPushButton::clicked, this, g(std::bind_front(&CTuningPanel::enter, this)));
    connect(m_up1, &QPushButton::clicked, this, g([this] { dial(cmd::DialKey::Up); }));
    connect(m_up10, &QPushButton::clicked, this, g([this] { dial(cmd::DialKey::Right); }));
    connect(m_down1, &QPushButton::clicked, this, g([this] { dial(cmd::DialKey::Down); }));
    connect(m_down10, &QPushButton::clicked, this, g([this] { dial(cmd::DialKey::Left); }));

    connect(m_scanGroupButton, &QPushButton::clicked, this,
            g(std::bind_front(&CTuningPanel::openScanGroupDialog, this)));
    connect(m_scanStart, &QPushButton::clicked, this, g([this] { m_actions.startMemoryScan(); }));
    connect(m_scanStop, &QPushButton::clicked, this, g([this] { m_actions.stopToMemoryRead(); }));
    connect(m_searchGroupButton, &QPushButton::clicked, this,
            g(std::bind_front(&CTuningPanel::openSearchGroupDialog, this)));
    connect(m_vfoSearchStart, &QPushButton::clicked, this,
            g([this] { m_actions.startVfoSearch(); }));
    connect(
        m_vfoSearchStop, &QPushButton::clicked, this, g([this] {
            const int s = m_ctx.rx.operatingState;
            m_actions.stopVfoSearch();
            afterVfoChoice(s == kStateVfoSearchB ? m_vfoB : s == kStateVfoSearchA ? m_vfoA : m_vfo);
        }));
    connect(m_makePass, &QPushButton::clicked, this,
            g(std::bind_front(&CTuningPanel::makePassFrequency, this)));

    connect(m_squelch, &QSlider::valueChanged, this,
            g(std::bind_front(&CTuningPanel::squelchValueChanged, this)));
    connect(m_squelch, &QSlider::sliderReleased, this,
            g([this] { m_actions.squelchReleased(m_squelch->value()); }));
}

PanelHooks CTuningPanel::hooks() {
    PanelHooks h;
    h.enter = [this] { enter(); };
    h.dial = [this](cmd::DialKey key) { dial(key); };
    h.vfo = [this](char which) { selectVfo(which); };
    h.tune = [this](const std::string& mhz) { m_actions.tuneTo(mhz); };
    h.updateEnabling = [this] { updateEnabling(); };
    h.stepSelector = m_step;
    h.modeSelector = m_mode;
    h.autoBox = m_auto;
    h.listSelector = m_list;
    return h;
}

void CTuningPanel::setDatabaseRequery(std::function<void()> requery) {
    m_actions.setDatabaseRequery(std::move(requery));
}

void CTuningPanel::setGroupDialogs(GroupDialog scanGroup, GroupDialog searchGroup) {
    m_scanGroupDialog = std::move(scanGroup);
    m_searchGroupDialog = std::move(searchGroup);
    updateEnabling();
}

}  // namespace korvex
