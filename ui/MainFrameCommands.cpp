// The frame's commands: menu bar, tool bar, keyboard shortcuts and their
// enabling. Each handler only calls the part that owns the behaviour.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QShortcut>
#include <QStatusBar>
#include <QToolBar>

#include "link/Commands.h"
#include "station/RigctlListener.h"
#include "station/StationWeb.h"
#include "ui/AboutDialog.h"
#include "ui/Cp1252.h"
#include "ui/HelpFiles.h"
#include "ui/MainFrame.h"
#include "ui/StatusPanes.h"
#include "ui/ViewArea.h"
#include "ui/ZelScopeView.h"
#include "ui/dialogs/MemoryGuard.h"

namespace korvex {

namespace {

QString qs(std::string_view text) {
    return fromCp1252(text);
}

QIcon toolIcon(std::string_view name) {
    return QIcon(QStringLiteral(":/icons/") + qs(name) + QStringLiteral(".svg"));
}

// The box for a command that ran out of memory: the log's and the
// bandscope's own texts for their commands, a plain one for the rest.
QString noMemoryTextFor(CommandId id) {
    switch (id) {
        case CommandId::FileNew:
        case CommandId::FileOpen:
        case CommandId::LogStart:
        case CommandId::LogStop:
            return noMemoryForLogText();
        case CommandId::ViewBandscope:
        case CommandId::ViewBandscopePeak:
        case CommandId::ViewBandscopeStatistic:
            return noMemoryForBandscopeText();
        default:
            return noMemoryText();
    }
}

bool isInside(const QWidget* widget, const QWidget* container) {
    for (const QWidget* w = widget; w != nullptr; w = w->parentWidget()) {
        if (w == container) {
            return true;
        }
    }
    return false;
}

}  // namespace

void CMainFrame::createActions() {
    for (const CommandEntry& entry : commandTable()) {
        auto* action = new QAction(qs(entry.caption), this);
        action->setObjectName(QStringLiteral("command%1").arg(static_cast<int>(entry.id)));
        action->setStatusTip(qs(entry.prompt));
        if (!entry.shortcut.empty()) {
            action->setShortcut(QKeySequence(qs(entry.shortcut)));
        }
        if (!entry.icon.empty()) {
            action->setIcon(toolIcon(entry.icon));
            action->setToolTip(qs(entry.toolTip));
        }
        action->setCheckable(entry.checkable);
        action->setEnabled(false);
        const CommandId id = entry.id;
        connect(action, &QAction::triggered, this, [this, id] {
            const CommandHandler& handler = m_handlers[static_cast<std::size_t>(id)];
            if (handler.run) {
                runGuarded(this, noMemoryTextFor(id), handler.run);
            }
            // A check mark follows the state, not the click.
            updateCommandStates();
        });
        m_actions[static_cast<std::size_t>(entry.id)] = action;
    }
}

void CMainFrame::createMenus() {
    for (std::string_view title : menuTitles()) {
        QMenu* menu = menuBar()->addMenu(qs(title));
        menu->setObjectName(qs(title).remove(QLatin1Char('&')).toLower() + QStringLiteral("Menu"));
        menu->setToolTipsVisible(false);
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::updateCommandStates);
        connect(menu, &QMenu::aboutToHide, m_panes, &CStatusPanes::endPrompt);
        for (const CommandEntry& entry : commandTable()) {
            if (entry.menu != title) {
                continue;
            }
            if (entry.separatorBefore) {
                menu->addSeparator();
            }
            menu->addAction(action(entry.id));
        }
    }
}

void CMainFrame::createToolBars() {
    m_toolBar = addToolBar(QStringLiteral("AR Toolbar"));
    m_toolBar->setObjectName(QStringLiteral("arToolbar"));
    m_toolBar->setIconSize(QSize(16, 15));
    m_toolBar->setFloatable(false);
    m_toolBar->setAllowedAreas(Qt::TopToolBarArea);
    for (const ToolBarSlot& slot : toolBarLayout()) {
        if (slot.separator) {
            m_toolBar->addSeparator();
        } else {
            m_toolBar->addAction(action(slot.id));
        }
    }

    // The tuning panel's band, on its own row under the tool bar.
    addToolBarBreak(Qt::TopToolBarArea);
    m_panelBand = addToolBar(QStringLiteral("Tuning Panel"));
    m_panelBand->setObjectName(QStringLiteral("panelBand"));
    m_panelBand->setFloatable(false);
    m_panelBand->setAllowedAreas(Qt::TopToolBarArea);
}

void CMainFrame::createAccelerators() {
    for (const AcceleratorEntry& entry : acceleratorTable()) {
        auto* shortcut = new QShortcut(QKeySequence(qs(entry.keys)), this);
        shortcut->setContext(Qt::WindowShortcut);
        const KeyAction action = entry.action;
        connect(shortcut, &QShortcut::activated, this,
                guarded(this, [this, action] { runKeyAction(action); }));
    }
}

void CMainFrame::setCommandHandler(CommandId id, CommandHandler handler) {
    m_handlers[static_cast<std::size_t>(id)] = std::move(handler);
    updateCommandStates();
}

void CMainFrame::updateCommandStates() {
    for (const CommandEntry& entry : commandTable()) {
        const CommandHandler& handler = m_handlers[static_cast<std::size_t>(entry.id)];
        QAction* a = action(entry.id);
        if (a == nullptr) {
            continue;
        }
        a->setEnabled(handler.run && (!handler.enabled || handler.enabled()));
        if (entry.checkable) {
            a->setChecked(handler.checked && handler.checked());
        }
    }
    if (m_panelHooks.updateEnabling) {
        m_panelHooks.updateEnabling();
    }
}

void CMainFrame::registerBuiltInCommands() {
    using C = CommandId;
    setCommandHandler(C::FileExit, {[this] { close(); }, {}, {}});
    setCommandHandler(C::ViewToolbar, {[this] { m_toolBar->setVisible(m_toolBar->isHidden()); },
                                       {},
                                       [this] { return !m_toolBar->isHidden(); }});
    setCommandHandler(C::ViewStatusBar,
                      {[this] { statusBar()->setVisible(statusBar()->isHidden()); },
                       {},
                       [this] { return !statusBar()->isHidden(); }});
    setCommandHandler(C::SettingsMisc, {[this] { openMiscSettings(); }, {}, {}});
    setCommandHandler(C::SettingsSerial, {[this] { openSerialSettings(); }, {}, {}});
    setCommandHandler(C::SettingsDatabase, {[this] { openDatabaseSettings(); }, {}, {}});
    setCommandHandler(C::SettingsRigctl,
                      {[this] { toggleRigctl(); }, {}, [this] { return rigctl().isListening(); }});
    setCommandHandler(C::SettingsWebPage,
                      {[this] { toggleWebPage(); }, {}, [this] { return web().running(); }});
    setCommandHandler(C::SaveSettingsNow, {[this] {
                                               if (!saveSettings()) {
                                                   reportSaveFailure();
                                               }
                                           },
                                           {},
                                           {}});
    setCommandHandler(
        C::SaveSettingsOnExit,
        {[this] { toggleSaveOnExit(); }, {}, [this] { return m_settings.saveOnExit; }});
    // Only queued: the receiver's answer, not this command, changes what is shown.
    setCommandHandler(C::PowerOff, {[this] { appendCommands(cmd::powerOff()); }, {}, {}});
    setCommandHandler(C::HelpContents, {[this] { openHelpFile(helpfile::kManual); }, {}, {}});
    setCommandHandler(C::HelpShortcuts, {[this] { openHelpFile(helpfile::kShortcuts); }, {}, {}});
    setCommandHandler(C::HelpLicense, {[this] { openHelpFile(helpfile::kLicense); }, {}, {}});
    setCommandHandler(C::HelpAbout, {[this] { showAbout(); }, {}, {}});
}

void CMainFrame::runKeyAction(KeyAction action) {
    using K = KeyAction;
    const auto call = [](const std::function<void()>& f) {
        if (f) {
            f();
        }
    };
    const auto dial = [this](cmd::DialKey key) {
        if (!panelUnlocked()) {
            return;
        }
        if (m_panelHooks.dial) {
            m_panelHooks.dial(key);
        } else {
            appendCommands(cmd::dialKey(key));
        }
    };
    const auto vfo = [this](char which) {
        if (!panelUnlocked()) {
            return;
        }
        if (m_panelHooks.vfo) {
            m_panelHooks.vfo(which);
        } else {
            appendCommands(cmd::vfoSelect(which));
        }
    };
    switch (action) {
        case K::PanelEnter:
            if (panelUnlocked()) {
                call(m_panelHooks.enter);
            }
            break;
        case K::DialUp:
            dial(cmd::DialKey::Up);
            break;
        case K::DialRight:
            dial(cmd::DialKey::Right);
            break;
        case K::DialDown:
            dial(cmd::DialKey::Down);
            break;
        case K::DialLeft:
            dial(cmd::DialKey::Left);
            break;
        case K::VfoA:
            vfo('A');
            break;
        case K::VfoB:
            vfo('B');
            break;
        case K::Vfo:
            vfo('S');
            break;
        case K::FocusStep:
            focusWidget(m_panelHooks.stepSelector);
            break;
        case K::FocusMode:
            focusWidget(m_panelHooks.modeSelector);
            break;
        case K::FocusAuto:
            focusWidget(m_panelHooks.autoBox);
            break;
        case K::FocusListSelector:
            focusWidget(m_panelHooks.listSelector);
            break;
        case K::FocusView:
            focusWidget(m_views->activeView());
            break;
        case K::ToggleFocus:
            toggleFocus();
            break;
        case K::ContextMenu:
            openViewContextMenu();
            break;
        case K::RecallChannel:
            call(m_listHooks.recallChannel);
            break;
        case K::StoreVfo:
            call(m_listHooks.storeVfoHere);
            break;
        case K::DeleteChannel:
            call(m_listHooks.deleteChannel);
            break;
        case K::DeleteLogEntry:
            call(m_listHooks.deleteLogEntry);
            break;
        case K::PlayAudio:
            call(m_listHooks.playAudio);
            break;
        case K::DefaultAction:
            call(m_listHooks.defaultAction);
            break;
        case K::Undo:
            // No undo of its own: an entry field with the focus undoes its typing.
            if (auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget())) {
                edit->undo();
            }
            break;
        case K::SaveDocument:
            emit saveDocumentRequested();
            break;
        case K::PrintList:
            call(m_listHooks.print);
            break;
    }
}

void CMainFrame::focusWidget(QWidget* widget) {
    if (widget != nullptr && widget->isEnabled()) {
        widget->setFocus(Qt::ShortcutFocusReason);
    }
}

void CMainFrame::toggleFocus() {
    QWidget* view = m_views->activeView();
    if (isInside(QApplication::focusWidget(), view)) {
        focusWidget(m_panelHooks.autoBox);
    } else {
        focusWidget(view);
    }
}

void CMainFrame::openViewContextMenu() {
    const QRect window = frameGeometry();
    // The test is the kind of the shown view, not the bandscope's mode.
    if (m_views->activeKind() == CViewArea::Kind::Scope) {
        if (auto* scope = qobject_cast<CZelScopeView*>(m_views->scopeView())) {
            scope->openContextMenu(QPoint(window.left() + 20, window.bottom() - 30));
        }
    } else if (m_listHooks.contextMenu) {
        m_listHooks.contextMenu(QPoint(window.left() + 20, window.top() + 20));
    }
}

void CMainFrame::setFileOpener(std::shared_ptr<FileOpener> opener) {
    m_opener = std::move(opener);
}

void CMainFrame::openHelpFile(const QString& relativePath) {
    const QString folder = programDataFolder(QCoreApplication::applicationDirPath());
    const QString path = QDir(folder).absoluteFilePath(relativePath);
    if (!m_opener->open(path)) {
        QMessageBox::critical(this, QStringLiteral("Error"), openFailureText(path));
    }
}

void CMainFrame::showAbout() {
    CAboutDialog dialog(this);
    dialog.exec();
}

}  // namespace korvex
