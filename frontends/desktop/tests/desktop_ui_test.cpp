// The desktop program's windows on Qt's offscreen platform, driven like a user would: real runs
// on a small temporary drive, clicks on the named widgets, questions answered through the
// window-system interface. What the windows show comes from the core, tested on its own; these
// tests check that the widgets deliver their events and show the core's state.

#include "desktop_window_system.h"
#include "platform/file_system.h"
#include "platform/reg_file_hive.h"
#include "platform/url_cache.h"
#include "settings/settings_store.h"
#include "startup_flow.h"

#include <QAction>
#include <QApplication>
// Simulated mouse events go through the window system, as real ones do, so that the
// application's button state follows them.
#define QTEST_QPA_MOUSE_HANDLING
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>

#include <deque>

using namespace vorlith;
using platform::MessageAnswer;

namespace {

// Answers the program's questions from a queue (Yes when it is empty) and keeps what was asked.
class AnsweringWindowSystem final : public desktop::DesktopWindowSystem {
public:
    using DesktopWindowSystem::DesktopWindowSystem;
    std::deque<MessageAnswer> answers;
    std::vector<std::string> asked; // the titles
    /// Runs while a box would be up, after the windows behind it were rendered.
    std::function<void()> whileAsking;

protected:
    MessageAnswer ask(const platform::MessageRequest& request) override {
        asked.push_back(request.title);
        if (whileAsking)
            whileAsking();
        const MessageAnswer answer = answers.empty() ? MessageAnswer::Yes : answers.front();
        if (!answers.empty())
            answers.pop_front();
        return answer;
    }
};

class RecordingStarter final : public platform::ProgramStarter {
public:
    std::vector<std::vector<std::string>> started;
    bool start(const std::vector<std::string>& arguments) override {
        started.push_back(arguments);
        return true;
    }
    bool isAvailable(const std::string& program) override { return program == "firefox"; }
};

// One desktop program on a temporary drive, report folder and settings.
struct Rig {
    explicit Rig(int driveFiles = 60)
        : windows(desktop::DesktopOptions{std::chrono::milliseconds(0), [this] { ended = true; }}),
          program(ProgramServices{windows, platform::SystemClock(), platform::SystemDrives(),
                                  urlCache, starter, userHive, machineHive},
                  options()) {
        for (int index = 0; index < driveFiles; ++index)
            write("drive/folder" + std::to_string(index % 7) + "/" + std::to_string(index));
        // A picture of an earlier run, and a store this run takes the same picture out of.
        write("report/thumbs/0-1.jpg");
        // The store holds a whole JPEG: start, JFIF, frame header, scan with one byte, end.
        write("drive/Thumbs.db",
              std::string("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00"
                          "\xFF\xC0\x00\x0B\x08\x00\x01\x00\x01\x01\x01\x11\x00"
                          "\xFF\xDA\x00\x08\x01\x01\x00\x00\x3F\x00\x00\xFF\xD9",
                          46));
        windows.attach(program);
    }

    std::string path(const std::string& relative) const {
        return (folder.path() + "/" + QString::fromStdString(relative)).toStdString();
    }
    void write(const std::string& relative, const std::string& bytes = "x") {
        platform::CreateFolders(path(relative.substr(0, relative.rfind('/'))));
        platform::WriteWholeFile(path(relative), bytes);
    }
    ProgramOptions options() {
        return {{path("drive")}, path("report"), BrowserMode::Open, "vorlith-desktop-ui-test"};
    }
    bool thumbnailsKept() const { return platform::FileExists(path("report/thumbs/0-1.jpg")); }

    QTemporaryDir folder;
    platform::RegFileHive userHive{path("user.reg"), "HKEY_CURRENT_USER"};
    platform::RegFileHive machineHive{path("machine.reg"), "HKEY_LOCAL_MACHINE"};
    bool ended = false;
    AnsweringWindowSystem windows;
    RecordingStarter starter;
    platform::EmptyUrlCacheSource urlCache;
    Program program;
};

// Runs check on every pump of the run until it returns true.
std::unique_ptr<QTimer> Watch(std::function<bool()> check) {
    auto timer = std::make_unique<QTimer>();
    QObject::connect(timer.get(), &QTimer::timeout, timer.get(),
                     [timer = timer.get(), check = std::move(check)] {
                         if (check())
                             timer->stop();
                     });
    timer->start(0);
    return timer;
}

} // namespace

class DesktopUiTest final : public QObject {
    Q_OBJECT

private slots:
    // Cancel during the walk: answered No the run goes on, answered Yes the walk stops there.
    void cancelDuringTheWalk() {
        Rig rig(400);
        bool auditDisabled = false, goesOnAfterNo = false;
        auto watcher = Watch([&] {
            auto* cancel = rig.windows.mainForm().findChild<QPushButton*>("cmdCancel");
            if (rig.program.audit().walkProgress().FilesSearched == 0 || !cancel->isVisible())
                return false;
            auditDisabled = !rig.windows.mainForm().cmdAudit->isEnabled();
            rig.windows.answers = {MessageAnswer::No, MessageAnswer::Yes};
            cancel->click();
            goesOnAfterNo = rig.program.audit().state().Scanning;
            cancel->click();
            return true;
        });
        QCOMPARE(rig.program.Form_Load(""), StartupOutcome::AuditRan);
        QVERIFY(auditDisabled && goesOnAfterNo);
        QVERIFY(rig.program.audit().walkProgress().FilesSearched < 400);
        rig.windows.renderAll(); // as the program does when start-up returns
        desktop::MainForm& main = rig.windows.mainForm();
        QCOMPARE(main.lblStatus->text(), QString("Vorlith scan canceled..."));
        QVERIFY(main.lblStatus2->toolTip().startsWith("Your free Vorlith was canceled"));
        QVERIFY(!main.cmdCancel->isVisible() && main.cmdExit->isVisible());
        QVERIFY(main.cmdAudit->isEnabled() && !rig.windows.resultsForm().isVisible());
        main.close(); // after a cancel the close goes on without a question
        QVERIFY(rig.ended && !rig.thumbnailsKept());
        QCOMPARE(rig.windows.asked.size(), size_t(2));
    }

    void aFinishedRunShowsTheResultsWindow() {
        Rig rig;
        rig.program.resultsWindow().Timer1.intervalMs = 40; // the 7 seconds, shortened
        bool waitingForTimer1 = false, relaunchOpensFirefox = false;
        auto watcher = Watch([&] {
            desktop::ResultsForm& form = rig.windows.resultsForm();
            if (!form.isVisible())
                return false;
            if (!form.cmdIE->isEnabled()) {
                waitingForTimer1 = form.lblCumTotal->text() == form.lblTotal->text() &&
                                   form.Timer2->isActive() &&
                                   !rig.windows.mainForm().cmdAudit->isEnabled();
                return false;
            }
            form.cmdFireFoxDisk->click();
            relaunchOpensFirefox = form.lblRelaunch->isVisible() &&
                                   rig.starter.started.back().back() == "about:cache?device=disk";
            form.close();
            return true;
        });
        QCOMPARE(rig.program.Form_Load(""), StartupOutcome::AuditRan);
        rig.windows.renderAll();
        QVERIFY(waitingForTimer1 && relaunchOpensFirefox);
        QVERIFY(rig.windows.mainForm().cmdAudit->isEnabled());

        rig.windows.answers = {MessageAnswer::No};
        rig.windows.mainForm().close();
        QVERIFY(!rig.ended && rig.thumbnailsKept());
        QCOMPARE(rig.windows.asked.back(), std::string("Vorlith - Are you done viewing results?"));
        rig.windows.mainForm().close();
        QVERIFY(rig.ended && !rig.thumbnailsKept());
    }

    void theSetupDialogIsNotModalAndChecksItsInput() {
        Rig rig;
        SaveSetting(rig.userHive, kSettingsApplication, kSettingsSection, "HARunOnStart", "0");
        QCOMPARE(rig.program.Form_Load(""), StartupOutcome::WaitingForCommand);
        rig.windows.renderAll(); // as the program does after start-up
        desktop::MainForm& main = rig.windows.mainForm();
        QCOMPARE(main.lblStatus->text(), QString("WAITING FOR A COMMAND..."));
        main.cmdSetup->click();
        desktop::SetupForm& setup = rig.windows.setupForm();
        QVERIFY(setup.isVisible() && !QApplication::activeModalWidget() &&
                main.cmdAudit->isEnabled());
        rig.windows.answers = {MessageAnswer::No};
        setup.optFirefoxDisk->click();
        QCOMPARE(rig.windows.asked.back(), std::string("Disable Auto-Kill"));
        QVERIFY(setup.optBoth->isChecked());
        setup.txtDays->selectAll();
        QTest::keyClicks(setup.txtDays, "31");
        main.cmdSetup->click(); // brings the open dialog to the front, the edits kept
        QCOMPARE(setup.txtDays->text(), QString("31"));
        QString daysWhileRefused;
        rig.windows.whileAsking = [&] { daysWhileRefused = setup.txtDays->text(); };
        setup.cmdSave->click();
        QCOMPARE(daysWhileRefused, QString("30")); // rendered before the refusal shows
        QVERIFY(setup.isVisible());
        setup.cmdCancel->click();
        QVERIFY(!setup.isVisible());

        QMenu& menu = rig.windows.trayMenu(); // the tray menu: show, then exit without a question
        QCOMPARE(menu.actions().size(), 2);
        QCOMPARE(menu.actions()[0]->text() + "|" + menu.actions()[1]->text(),
                 QString("Show Vorlith|Exit Vorlith"));
        main.hide();
        rig.program.mainWindow().frame.visible = false;
        menu.actions()[0]->trigger();
        QVERIFY(main.isVisible());
        menu.actions()[1]->trigger();
        QVERIFY(rig.ended);
    }

    // An X11 tray reports the context request on the right button's press; the menu opens on
    // the release. A tray host that sends the request itself (on the release) opens it at once.
    void theTrayMenuOpensOnTheRightButtonsRelease() {
        Rig rig;
        SaveSetting(rig.userHive, kSettingsApplication, kSettingsSection, "HARunOnStart", "0");
        rig.program.Form_Load("");
        rig.windows.renderAll();
        QMenu& menu = rig.windows.trayMenu();
        struct IconWindow final : QWidget {
            explicit IconWindow(QSystemTrayIcon& tray) : tray(tray) {}
            void mousePressEvent(QMouseEvent* event) override {
                if (event->button() == Qt::RightButton)
                    emit tray.activated(QSystemTrayIcon::Context);
            }
            QSystemTrayIcon& tray;
        } icon(rig.windows.trayIcon());
        icon.resize(24, 24);
        icon.show();
        QVERIFY(QTest::qWaitForWindowExposed(&icon));
        QTest::mousePress(&icon, Qt::RightButton);
        QVERIFY2(!menu.isVisible(), "a right press opens nothing");
        QTest::mouseRelease(&icon, Qt::RightButton);
        QVERIFY2(menu.isVisible(), "the release opens the menu");
        menu.hide();
        emit rig.windows.trayIcon().activated(QSystemTrayIcon::Context);
        QVERIFY(menu.isVisible());
        menu.hide();
    }

    // A due log-in start without an input source audits at once; with one, and no tray, it
    // waits minimised with the idle watch on.
    void aDueLogInStart() {
        for (bool hasInput : {false, true}) {
            Rig rig;
            SaveSetting(rig.userHive, kSettingsApplication, kSettingsSection, "LastAudit",
                        "2020-01-01");
            QCOMPARE(rig.program.Form_Load("/STARTUP"), StartupOutcome::WaitingInTray);
            auto watcher = Watch([&] {
                return rig.windows.resultsForm().isVisible() && rig.windows.resultsForm().close();
            });
            struct Still final : platform::InputState {
                int keyPressesSinceLastQuery() override { return 0; }
                std::optional<platform::CursorPosition> cursorPosition() override { return {}; }
            };
            const auto input = [&](std::string& reason) -> std::unique_ptr<platform::InputState> {
                reason = "no X display";
                return hasInput ? std::make_unique<Still>() : nullptr;
            };
            QCOMPARE(desktop::ContinueStartup(rig.program, rig.windows,
                                              StartupOutcome::WaitingInTray, input, !hasInput),
                     desktop::AfterStartup::Running);
            desktop::MainForm& main = rig.windows.mainForm();
            QVERIFY(main.isVisible());
            QCOMPARE(bool(main.windowState() & Qt::WindowMinimized), hasInput);
            QCOMPARE(main.Idle_Timer->isActive(), hasInput);
            QCOMPARE(main.lblStatus->text().startsWith("Finished!  "), !hasInput);
        }
    }
};

QTEST_MAIN(DesktopUiTest)
#include "desktop_ui_test.moc"
