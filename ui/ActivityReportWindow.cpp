#include "ui/ActivityReportWindow.h"

#include <QDateEdit>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

#include "log/ZelDoc.h"
#include "settings/AtomicFile.h"
#include "ui/ActivityCharts.h"
#include "ui/ActivityTableModel.h"
#include "ui/Cp1252.h"
#include "ui/dialogs/MemoryGuard.h"

namespace korvex {

namespace {

QDate dateOf(const std::string& text) {
    return QDate::fromString(QString::fromStdString(text), Qt::ISODate);
}

std::string textOf(const QDate& date) {
    return date.toString(Qt::ISODate).toStdString();
}

QString summaryText(const ActivityReport& report) {
    QString text = QStringLiteral("%1 entries on %2 frequencies")
                       .arg(report.entriesCounted)
                       .arg(report.frequencies.size());
    if (report.unreadableEntries > 0) {
        text += QStringLiteral("; %1 without a readable date and time left out")
                    .arg(report.unreadableEntries);
    }
    return text;
}

}  // namespace

CActivityReportWindow::CActivityReportWindow(const CZelDoc& doc, QWidget* parent)
    : QWidget(parent, Qt::Window), m_doc(doc) {
    setWindowTitle(QStringLiteral("Activity Report"));
    setObjectName(QStringLiteral("activityReport"));
    m_model = new CActivityTableModel(this);
    m_sorted = new QSortFilterProxyModel(this);
    m_sorted->setSourceModel(m_model);
    m_sorted->setSortRole(CActivityTableModel::kSortRole);

    m_table = new QTableView(this);
    m_table->setModel(m_sorted);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setAlternatingRowColors(true);
    m_table->verticalHeader()->hide();
    m_table->setWordWrap(false);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setSortingEnabled(true);
    // Until a column is chosen, the report's own order: busiest first.
    m_table->horizontalHeader()->setSortIndicator(-1, Qt::DescendingOrder);
    m_sorted->sort(-1);
    m_table->setToolTip(QStringLiteral("Double-click or Enter: tune to this frequency"));
    // A double click or Enter tunes; not QTableView::activated, which a
    // desktop set to open on a single click would fire on every click.
    connect(m_table, &QTableView::doubleClicked, this,
            guarded(this, [this](const QModelIndex& index) { rowActivated(index); }));
    m_table->installEventFilter(this);

    m_charts = new CActivityCharts(this);
    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(m_table);
    split->addWidget(m_charts);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildRangeBar());
    layout->addWidget(split, 1);
    resize(960, 720);

    m_timer.setInterval(kRefreshIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        // Out of memory once a second would stack boxes: one, then no more
        // refreshes until the window is shown again.
        if (!runGuarded(this, noMemoryText(), [this] { refreshIfChanged(); })) {
            m_timer.stop();
        }
    });
}

bool CActivityReportWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_table && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            runGuarded(this, noMemoryText(), [this] { rowActivated(m_table->currentIndex()); });
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

QWidget* CActivityReportWindow::buildRangeBar() {
    auto* bar = new QWidget(this);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    m_from = new QDateEdit(bar);
    m_to = new QDateEdit(bar);
    for (QDateEdit* edit : {m_from, m_to}) {
        edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        edit->setCalendarPopup(true);
        connect(edit, &QDateEdit::dateChanged, this, guarded(this, [this] { rangeEdited(); }));
    }
    m_from->setObjectName(QStringLiteral("from"));
    m_to->setObjectName(QStringLiteral("to"));
    auto* exportCsv = new QPushButton(QStringLiteral("Export &CSV ..."), bar);
    auto* saveCharts = new QPushButton(QStringLiteral("Save C&harts ..."), bar);
    connect(exportCsv, &QPushButton::clicked, this, &CActivityReportWindow::askExportCsv);
    connect(saveCharts, &QPushButton::clicked, this, &CActivityReportWindow::askSaveCharts);
    m_summary = new QLabel(bar);
    row->addWidget(new QLabel(QStringLiteral("&From"), bar));
    row->addWidget(m_from);
    row->addWidget(new QLabel(QStringLiteral("&To"), bar));
    row->addWidget(m_to);
    row->addWidget(m_summary, 1);
    row->addWidget(exportCsv);
    row->addWidget(saveCharts);
    static_cast<QLabel*>(row->itemAt(0)->widget())->setBuddy(m_from);
    static_cast<QLabel*>(row->itemAt(2)->widget())->setBuddy(m_to);
    return bar;
}

void CActivityReportWindow::refresh() {
    m_seenRevision = m_doc.revision();
    QDate logLastDay;
    m_doc.visitEntries([&](const std::vector<LogEntry>& entries) {
        for (auto it = entries.rbegin(); it != entries.rend() && !logLastDay.isValid(); ++it) {
            logLastDay = dateOf(it->date);
        }
    });
    // A range that ended on the log's last day goes on with the log, so a run
    // past midnight keeps showing what it hears.
    if (m_rangeChosen && logLastDay.isValid() && m_to->date() == m_logLastDay &&
        logLastDay > m_logLastDay) {
        const QSignalBlocker blockTo(m_to);
        m_to->setDate(logLastDay);
    }
    m_logLastDay = logLastDay;
    ReportRange range;
    if (m_rangeChosen) {
        range = {textOf(m_from->date()), textOf(m_to->date())};
    }
    m_doc.visitEntries([&](const std::vector<LogEntry>& entries) {
        m_report = buildActivityReport(entries, range);
    });
    if (!m_rangeChosen) {
        showLogRange();
    }
    fill();
}

void CActivityReportWindow::refreshIfChanged() {
    if (m_doc.revision() != m_seenRevision) {
        refresh();
    }
}

void CActivityReportWindow::setRange(const QDate& from, const QDate& to) {
    const QSignalBlocker blockFrom(m_from);
    const QSignalBlocker blockTo(m_to);
    m_from->setDate(from.isValid() ? from : dateOf(m_report.firstDay));
    m_to->setDate(to.isValid() ? to : dateOf(m_report.lastDay));
    m_rangeChosen = true;
    refresh();
}

void CActivityReportWindow::showLogRange() {
    const QDate first = dateOf(m_report.firstDay);
    const QDate last = dateOf(m_report.lastDay);
    if (!first.isValid() || !last.isValid()) {
        return;
    }
    const QSignalBlocker blockFrom(m_from);
    const QSignalBlocker blockTo(m_to);
    m_from->setDate(first);
    m_to->setDate(last);
}

void CActivityReportWindow::rangeEdited() {
    m_rangeChosen = true;
    refresh();
}

void CActivityReportWindow::fill() {
    std::string selected;
    if (const QModelIndex current = m_sorted->mapToSource(m_table->currentIndex());
        current.isValid()) {
        selected = m_model->row(current.row()).frequency;
    }
    const bool first = m_model->rowCount() == 0;
    m_model->setRows(m_report.frequencies);
    if (first) {
        m_table->resizeColumnsToContents();
    }
    for (int row = 0; !selected.empty() && row < m_model->rowCount(); ++row) {
        if (m_model->row(row).frequency == selected) {
            m_table->setCurrentIndex(m_sorted->mapFromSource(m_model->index(row, 0)));
            break;
        }
    }
    m_charts->setReport(m_report);
    m_summary->setText(summaryText(m_report));
}

void CActivityReportWindow::rowActivated(const QModelIndex& index) {
    const QModelIndex source = m_sorted->mapToSource(index);
    if (source.isValid()) {
        emit tuneRequested(fromCp1252(m_model->row(source.row()).frequency));
    }
}

bool CActivityReportWindow::exportCsv(const QString& path) const {
    const QByteArray name = QFile::encodeName(path);
    return writeFileAtomically(std::filesystem::path(name.toStdString()), reportCsv(m_report));
}

void CActivityReportWindow::askExportCsv() {
    const QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("Export CSV"), QStringLiteral("activity.csv"),
        QStringLiteral("CSV Files (*.csv);;All Files (*)"));
    if (!path.isEmpty() && !exportCsv(path)) {
        QMessageBox::critical(this, QStringLiteral("Error"),
                              QStringLiteral("Could not write ") + path);
    }
}

void CActivityReportWindow::askSaveCharts() {
    const QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("Save Charts"), QStringLiteral("activity.png"),
        QStringLiteral("PNG Images (*.png);;All Files (*)"));
    if (path.isEmpty()) {
        return;
    }
    const QStringList failed = m_charts->savePng(path);
    if (!failed.isEmpty()) {
        QMessageBox::critical(
            this, QStringLiteral("Error"),
            QStringLiteral("Could not write ") + failed.join(QStringLiteral(", ")));
    }
}

void CActivityReportWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    refreshIfChanged();
    m_timer.start();
}

void CActivityReportWindow::hideEvent(QHideEvent* event) {
    m_timer.stop();
    QWidget::hideEvent(event);
}

}  // namespace korvex
