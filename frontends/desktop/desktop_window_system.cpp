#include "desktop_window_system.h"

#include "platform/desktop_window_hints.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QMessageBox>
#include <QMouseEvent>
#include <QScreen>

namespace vorlith::desktop {
namespace {
QMessageBox::Icon toQtIcon(platform::MessageIcon icon) {
    switch (icon) {
    case platform::MessageIcon::Critical:
        return QMessageBox::Critical;
    case platform::MessageIcon::Question:
        return QMessageBox::Question;
    case platform::MessageIcon::Exclamation:
        return QMessageBox::Warning;
    case platform::MessageIcon::Information:
        return QMessageBox::Information;
    case platform::MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

TrayMouse toTrayMouse(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        return TrayMouse::LeftButtonDown;
    case QSystemTrayIcon::DoubleClick:
        return TrayMouse::LeftDoubleClick;
    // A tray host of the desktop's notifier protocol sends the context-menu request on the right
    // button's release; the icon window of an X11 (XEmbed) tray reports it on the press, which
    // trayActivated turns into a press followed by the release.
    case QSystemTrayIcon::Context:
        return TrayMouse::RightButtonUp;
    default:
        return TrayMouse::Other;
    }
}
} // namespace

// Watches the application's events for the right button's release after a press on the tray
// icon's own window; it is installed only while such a press is held.
class DesktopWindowSystem::RightReleaseWatch final : public QObject {
public:
    explicit RightReleaseWatch(std::function<void()> released) : m_released(std::move(released)) {}
    void start() {
        if (!m_watching)
            qApp->installEventFilter(this);
        m_watching = true;
    }

protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
            qApp->removeEventFilter(this);
            m_watching = false;
            m_released();
        }
        return QObject::eventFilter(object, event);
    }

private:
    std::function<void()> m_released;
    bool m_watching = false;
};

DesktopWindowSystem::DesktopWindowSystem(DesktopOptions options) : m_options(std::move(options)) {}

DesktopWindowSystem::~DesktopWindowSystem() = default;

bool DesktopWindowSystem::IsTrayAvailable() {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void DesktopWindowSystem::idleTick() {
    m_idleInput.tick(*m_program);
}

void DesktopWindowSystem::attach(Program& program) {
    m_program = &program;
    auto afterEvent = [this] { renderAll(); };
    m_main = std::make_unique<MainForm>(
        program, MainForm::Handlers{afterEvent, [this] { idleTick(); }, [this] { end(); }});
    m_results = std::make_unique<ResultsForm>(program.resultsWindow(), afterEvent);
    m_setup = std::make_unique<SetupForm>(program.setupDialog(), afterEvent, [this] {
        if (m_main->isVisible())
            m_main->activateWindow();
    });

    m_trayMenu = std::make_unique<QMenu>();
    m_trayMenu->setObjectName("mnuTrayPopup");
    const TrayMenu entries;
    QAction* show = m_trayMenu->addAction(ToQString(entries.mnuShow));
    show->setObjectName("mnuShow");
    QAction* exit = m_trayMenu->addAction(ToQString(entries.mnuExit));
    exit->setObjectName("mnuExit");
    QObject::connect(show, &QAction::triggered, m_main.get(), [this] {
        m_program->mnuShow_Click();
        renderAll();
        m_main->raise();
        m_main->activateWindow();
    });
    QObject::connect(exit, &QAction::triggered, m_main.get(), [this] {
        if (m_program->mnuExit_Click())
            m_main->unload();
        renderAll();
    });

    m_rightRelease =
        std::make_unique<RightReleaseWatch>([this] { trayMouse(TrayMouse::RightButtonUp); });
    m_tray = std::make_unique<QSystemTrayIcon>(QIcon(":/vorlith.png"));
    m_tray->setObjectName("clsTray");
    QObject::connect(m_tray.get(), &QSystemTrayIcon::activated, m_main.get(),
                     [this](QSystemTrayIcon::ActivationReason reason) { trayActivated(reason); });
}

void DesktopWindowSystem::trayActivated(QSystemTrayIcon::ActivationReason reason) {
    const TrayMouse event = toTrayMouse(reason);
    if (event == TrayMouse::RightButtonUp && (QGuiApplication::mouseButtons() & Qt::RightButton)) {
        // The button is still down: this is the press. The menu waits for the release, which
        // comes to the icon's window that took the press.
        trayMouse(TrayMouse::RightButtonDown);
        m_rightRelease->start();
        return;
    }
    trayMouse(event);
}

void DesktopWindowSystem::trayMouse(TrayMouse event) {
    const TrayAction action = m_program->Tray_MouseEvent(event);
    renderAll();
    if (action == TrayAction::ShowMainWindow) {
        m_main->raise();
        m_main->activateWindow();
    } else if (action == TrayAction::OpenMenu) {
        m_trayMenu->popup(QCursor::pos());
    }
}

void DesktopWindowSystem::end() {
    if (m_ended)
        return;
    m_ended = true;
    if (m_resultsLoop)
        m_resultsLoop->quit();
    m_setup->hide();
    m_results->hide();
    if (m_tray)
        m_tray->hide();
    if (m_options.ended)
        m_options.ended();
}

void DesktopWindowSystem::yield() {
    const auto now = std::chrono::steady_clock::now();
    if (now - m_lastPump < m_options.pumpInterval)
        return;
    m_lastPump = now;
    ++m_pumps;
    renderAll();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void DesktopWindowSystem::renderAll() {
    if (!m_program)
        return;
    m_main->render();
    m_results->render();
    m_setup->render();
    if (m_tray) {
        const TrayIcon& icon = m_program->tray().icon();
        const QString tip = ToQString(icon.tip);
        if (m_tray->toolTip() != tip)
            m_tray->setToolTip(tip);
    }
    applyTaskbarHint();
    if (m_resultsLoop && !m_program->resultsWindow().frame.visible)
        m_resultsLoop->quit();
}

// Start-up takes the program out of the task list so that it lives in the tray; without a tray
// the window keeps its entry, or a minimised window could not be found again.
void DesktopWindowSystem::applyTaskbarHint() {
    if (!m_main->isVisible()) {
        m_taskbarHintApplied = false;
        return;
    }
    if (m_taskbarHintApplied || m_program->mainWindow().frame.showInTaskbar || !IsTrayAvailable())
        return;
    m_taskbarHintApplied = true;
    if (QGuiApplication::platformName() == "xcb")
        platform::SetTaskbarEntry(static_cast<uintptr_t>(m_main->winId()),
                                  platform::TaskbarEntry::Skipped);
}

platform::MessageAnswer DesktopWindowSystem::showMessage(const platform::MessageRequest& request) {
    // A handler changes its window's state and then asks (the day count is put back to 30 before
    // the refusal): the box must not stand in front of the old state.
    renderAll();
    return ask(request);
}

platform::MessageAnswer DesktopWindowSystem::ask(const platform::MessageRequest& request) {
    QString text = ToQString(request.text);
    text.replace("\r\n", "\n");
    const bool yesNo = request.buttons == platform::MessageButtons::YesNo;
    QWidget* parent = m_results && m_results->isVisible() ? static_cast<QWidget*>(m_results.get())
                      : m_setup && m_setup->isVisible()   ? static_cast<QWidget*>(m_setup.get())
                      : m_main && m_main->isVisible()     ? static_cast<QWidget*>(m_main.get())
                                                          : nullptr;
    QMessageBox box(toQtIcon(request.icon), ToQString(request.title), text,
                    yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, parent);
    box.setObjectName("MsgBox");
    const int answer = box.exec();
    renderAll();
    if (!yesNo)
        return platform::MessageAnswer::Ok;
    return answer == QMessageBox::Yes ? platform::MessageAnswer::Yes : platform::MessageAnswer::No;
}

void DesktopWindowSystem::showResultsModal(ResultsWindow& window) {
    if (m_ended)
        return;
    renderAll();
    m_results->adjustSize();
    centerWindow(platform::WindowId::Results);
    m_results->show();
    m_results->raise();
    m_results->activateWindow();
    QEventLoop loop;
    m_resultsLoop = &loop;
    if (window.frame.visible)
        loop.exec();
    m_resultsLoop = nullptr;
    renderAll();
}

QWidget* DesktopWindowSystem::widgetOf(platform::WindowId window) {
    switch (window) {
    case platform::WindowId::Main:
        return m_main.get();
    case platform::WindowId::Results:
        return m_results.get();
    case platform::WindowId::Setup:
        break;
    }
    return m_setup.get();
}

void DesktopWindowSystem::centerWindow(platform::WindowId window) {
    QWidget* widget = widgetOf(window);
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!widget || !screen)
        return;
    widget->adjustSize();
    const QRect area = screen->availableGeometry();
    const QSize size = widget->frameGeometry().size().expandedTo(widget->size());
    widget->move(area.x() + (area.width() - size.width()) / 2,
                 area.y() + (area.height() - size.height()) / 2);
}

void DesktopWindowSystem::raiseWindow(platform::WindowId window) {
    QWidget* widget = widgetOf(window);
    if (!widget || !widget->isVisible())
        return;
    if (widget->isMinimized())
        widget->showNormal();
    widget->raise();
    widget->activateWindow();
}

void DesktopWindowSystem::showTrayIcon() {
    if (m_tray && IsTrayAvailable())
        m_tray->show();
}

} // namespace vorlith::desktop
