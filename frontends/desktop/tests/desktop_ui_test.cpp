// The desktop program's windows on Qt's offscreen platform, driven like a user would: real runs
// on a small temporary drive, clicks on the named widgets, questions answered through the
// window-system interface.

#include "desktop_window_system.h"
#include "platform/file_system.h"
#include "platform/reg_file_hive.h"
#include "platform/url_cache.h"
#include "settings/settings_store.h"
#include "startup_flow.h"

#include <QAction>
#include <QApplication>
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
    std::vector<platform::MessageRequest> asked;

    MessageAnswer showMessage(const platform::MessageRequest& request) override {
        asked.push_back(request);
        if (request.buttons == platform::MessageButtons::Ok)
            return MessageAnswer::Ok;
        if (answers.empty())
            return MessageAnswer::Yes;
        MessageAnswer answer = answers.front();
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
        : userHive(path("user.reg"), "HKEY_CURRENT_USER"),
          machineHive(path("machine.reg"), "HKEY_LOCAL_MACHINE"),
          windows(desktop::DesktopOptions{std::chrono::milliseconds(0), [this] { ended = true; }}),
          program(ProgramServices{windows, platform::SystemClock(), drives, urlCache, starter,
                                  userHive, machineHive},
                  options()) {
        for (int index = 0; index < driveFiles; ++index)
            write("drive/folder" + std::to_string(index % 7) + "/file" + std::to_string(index) +
                  ".txt");
        write("report/thumbs/store/1.jpg");
        windows.attach(program);
    }

    std::string path(const std::string& relative) const {
        return (folder.path() + "/" + QString::fromStdString(relative)).toStdString();
    }
    void write(const std::string& relative) {
        const std::string file = path(relative);
        platform::CreateFolders(file.substr(0, file.rfind('/')));
        platform::WriteWholeFile(file, "x");
    }
    ProgramOptions options() {
        ProgramOptions result;
        result.driveRoots = {path("drive")};
        result.reportFolder = path("report");
        result.lockName = "vorlith-desktop-ui-test";
        return result;
    }
    void store(const std::string& key, const std::string& value) {
        SaveSetting(userHive, kSettingsApplication, kSettingsSection, key, value);
    }

    QTemporaryDir folder;
    platform::RegFileHive userHive, machineHive;
    bool ended = false;
    AnsweringWindowSystem windows;
    RecordingStarter starter;
    platform::EmptyUrlCacheSource urlCache;
    class NoDrives final : public platform::DriveSource {
        std::vector<std::string> roots() override { return {}; }
        vorlith::platform::DriveType typeOf(const std::string&) override { return vorlith::platform::DriveType::Unknown; }
    } drives;
    Program program;
};

// Checks made inside handlers that run during a run; reported by the test afterwards.
QStringList failures;
void expect(bool condition, const char* what) {
    if (!condition)
        failures << what;
}

// Runs check on every pump of the run until it returns true.
QTimer* watch(std::function<bool()> check) {
    auto* timer = new QTimer;
    timer->setInterval(0);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, check = std::move(check)] {
        if (check())
            timer->stop();
    });
    timer->start();
    return timer;
}

} // namespace

class DesktopUiTest final : public QObject {
    Q_OBJECT

private slots:
    void init() { failures.clear(); }
    void cleanup() { QVERIFY2(failures.isEmpty(), qPrintable(failures.join("; "))); }

    void cancelDuringTheWalkStopsTheRun() {
        Rig rig(400);
        bool clicked = false;
        std::unique_ptr<QTimer> watcher(watch([&] {
            const MainWindow& window = rig.program.mainWindow();
            if (rig.windows.resultsForm().isVisible()) { // the walk never yielded: end the run
                rig.windows.resultsForm().close();
                return true;
            }
            if (!rig.program.audit().state().Scanning || !window.Timer_Search.enabled ||
                rig.program.audit().walkProgress().FilesSearched == 0)
                return false;
            auto* cancel = rig.windows.mainForm().findChild<QPushButton*>("cmdCancel");
            if (!cancel || !cancel->isVisible())
                return false;
            rig.windows.answers = {MessageAnswer::Yes};
            cancel->click();
            clicked = true;
            return true;
        }));
        rig.program.Form_Load("");
        QVERIFY2(clicked, "the walk yields to the window system, so Cancel can be clicked");
        QVERIFY(rig.program.audit().walkProgress().FilesSearched < 400);
        checkCancelled(rig);
    }

    void cancelAtTheStartOfARun() {
        Rig rig;
        bool clicked = false;
        std::unique_ptr<QTimer> watcher(watch([&] {
            if (!rig.program.audit().state().Scanning)
                return false;
            auto* cancel = rig.windows.mainForm().findChild<QPushButton*>("cmdCancel");
            if (!cancel || !cancel->isVisible()) {
                expect(false, "Cancel shows during a run");
                return true;
            }
            auto* audit = rig.windows.mainForm().findChild<QPushButton*>("cmdAudit");
            expect(audit && !audit->isEnabled(), "cmdAudit is disabled during a run");
            rig.windows.answers = {MessageAnswer::No};
            cancel->click();
            expect(rig.program.audit().state().Scanning, "No lets the run go on");
            rig.windows.answers = {MessageAnswer::Yes};
            cancel->click();
            clicked = true;
            return true;
        }));
        QCOMPARE(rig.program.Form_Load(""), StartupOutcome::AuditRan);
        QVERIFY(clicked);
        QCOMPARE(rig.windows.asked.size(), size_t(2));
        checkCancelled(rig);
        // After a cancel the close goes on without a question and the thumbnails go.
        rig.windows.mainForm().close();
        QVERIFY(rig.ended);
        QVERIFY(!platform::FileExists(rig.path("report/thumbs/store/1.jpg")));
    }

    void aFinishedRunShowsTheResultsWindow() {
        Rig rig;
        rig.program.resultsWindow().Timer1.intervalMs = 40; // the 7 seconds, shortened
        bool checkedBefore = false, checkedAfter = false;
        std::unique_ptr<QTimer> watcher(watch([&] {
            desktop::ResultsForm& form = rig.windows.resultsForm();
            if (!form.isVisible())
                return false;
            if (!checkedBefore) {
                checkedBefore = true;
                expect(form.windowTitle() == "Vorlith 5.0 - Internet Vorlith Results", "caption");
                expect(form.lblStatus->text() == "Total traces found:", "lblStatus");
                expect(form.lblCumTotal->text() == form.lblTotal->text(),
                       "first audit: cumulative equals total");
                expect(!form.cmdIE->isEnabled(), "browser buttons wait for Timer1");
                expect(form.Timer2->isActive(), "Timer2 blinks");
                expect(!rig.windows.mainForm().cmdAudit->isEnabled(),
                       "the main buttons wait for the results window");
            }
            if (!form.cmdIE->isEnabled())
                return false;
            expect(form.lblResults->text() == "Vorlith results launched in a browser window!",
                   "lblResults after Timer1");
            expect(form.lblRelaunch->isVisible(), "lblRelaunch after Timer1");
            const size_t before = rig.starter.started.size();
            form.cmdFireFoxDisk->click();
            expect(rig.starter.started.size() == before + 1 &&
                       rig.starter.started.back().back() == "about:cache?device=disk",
                   "cmdFireFoxDisk opens Firefox's disk cache view");
            checkedAfter = true;
            form.close();
            return true;
        }));
        QCOMPARE(rig.program.Form_Load(""), StartupOutcome::AuditRan);
        rig.windows.renderAll();
        QVERIFY(checkedBefore && checkedAfter);
        QVERIFY(!rig.windows.resultsForm().isVisible());
        QVERIFY(rig.windows.mainForm().lblStatus->text().startsWith("Finished!  "));
        QVERIFY(rig.windows.mainForm().cmdAudit->isEnabled());
        QCOMPARE(rig.starter.started.front().front(), std::string("xdg-open"));

        rig.windows.answers = {MessageAnswer::No};
        rig.windows.mainForm().close();
        QVERIFY(!rig.ended);
        QVERIFY(platform::FileExists(rig.path("report/thumbs/store/1.jpg")));
        QCOMPARE(rig.windows.asked.back().title,
                 std::string("Vorlith - Are you done viewing results?"));
        rig.windows.answers = {MessageAnswer::Yes};
        rig.windows.mainForm().close();
        QVERIFY(rig.ended);
        QVERIFY(!platform::FileExists(rig.path("report/thumbs/store/1.jpg")));
    }

    void theSetupDialogIsNotModalAndChecksItsInput() {
        Rig rig;
        rig.store("HARunOnStart", "0");
        QCOMPARE(rig.program.Form_Load(""), StartupOutcome::WaitingForCommand);
        rig.windows.renderAll(); // as the program does after start-up
        desktop::MainForm& main = rig.windows.mainForm();
        QCOMPARE(main.lblStatus->text(), QString("WAITING FOR A COMMAND..."));
        main.cmdSetup->click();
        desktop::SetupForm& setup = rig.windows.setupForm();
        QVERIFY(setup.isVisible());
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        QVERIFY(main.cmdAudit->isEnabled());
        QVERIFY(setup.optIE->isChecked());

        rig.windows.answers = {MessageAnswer::No};
        setup.optFirefoxDisk->click();
        QCOMPARE(rig.windows.asked.back().title, std::string("Disable Auto-Kill"));
        QVERIFY(setup.optBoth->isChecked());

        setup.chkNoThumbs->click();
        QVERIFY(rig.program.setupDialog().chkNoThumbs.checked);
        setup.txtDays->selectAll();
        QTest::keyClicks(setup.txtDays, "31");
        setup.cmdSave->click();
        QCOMPARE(rig.windows.asked.back().text,
                 std::string("The minumum days for a Vorlith can not be set more than 30 days."));
        QCOMPARE(setup.txtDays->text(), QString("30"));
        QVERIFY(setup.isVisible());

        setup.cmdCancel->click();
        QVERIFY(!setup.isVisible());
    }

    void theTrayMenuShowsAndExits() {
        Rig rig;
        rig.store("HARunOnStart", "0");
        rig.program.Form_Load("");
        rig.windows.renderAll();
        QMenu& menu = rig.windows.trayMenu();
        QCOMPARE(menu.objectName(), QString("mnuTrayPopup"));
        const QList<QAction*> actions = menu.actions();
        QCOMPARE(actions.size(), 2);
        QCOMPARE(actions[0]->objectName(), QString("mnuShow"));
        QCOMPARE(actions[0]->text(), QString("Show Vorlith"));
        QCOMPARE(actions[1]->objectName(), QString("mnuExit"));
        QCOMPARE(actions[1]->text(), QString("Exit Vorlith"));
        rig.windows.mainForm().hide();
        rig.program.mainWindow().frame.visible = false;
        actions[0]->trigger();
        QVERIFY(rig.windows.mainForm().isVisible());
        actions[1]->trigger();
        QVERIFY(rig.ended);
        QVERIFY2(rig.windows.asked.empty(), "no audit ran: no question");
    }

    void aDueLogInStartWithoutInputAuditsAtOnce() {
        Rig rig;
        rig.store("LastAudit", "2020-01-01");
        QCOMPARE(rig.program.Form_Load("/STARTUP"), StartupOutcome::WaitingInTray);
        QVERIFY(!rig.windows.mainForm().isVisible());
        std::unique_ptr<QTimer> watcher(watch([&] {
            if (!rig.windows.resultsForm().isVisible())
                return false;
            rig.windows.resultsForm().close();
            return true;
        }));
        const auto noInput = [](std::string& reason) {
            reason = "no X display";
            return std::unique_ptr<platform::InputState>();
        };
        QCOMPARE(desktop::ContinueStartup(rig.program, rig.windows, StartupOutcome::WaitingInTray,
                                          noInput, true),
                 desktop::AfterStartup::Running);
        QVERIFY(rig.windows.mainForm().isVisible());
        QVERIFY(rig.windows.mainForm().lblStatus->text().startsWith("Finished!  "));
        QVERIFY(GetSetting(rig.userHive, kSettingsApplication, kSettingsSection, "LastAudit", "") !=
                "2020-01-01");
    }

    void aDueLogInStartWithoutATrayWaitsMinimised() {
        Rig rig;
        rig.store("LastAudit", "2020-01-01");
        QCOMPARE(rig.program.Form_Load("/STARTUP"), StartupOutcome::WaitingInTray);
        struct Still final : platform::InputState {
            int keyPressesSinceLastQuery() override { return 0; }
            std::optional<platform::CursorPosition> cursorPosition() override { return {}; }
        };
        const auto still = [](std::string&) -> std::unique_ptr<platform::InputState> {
            return std::make_unique<Still>();
        };
        desktop::ContinueStartup(rig.program, rig.windows, StartupOutcome::WaitingInTray, still,
                                 false);
        QVERIFY(rig.windows.isWatchingInput());
        QVERIFY(rig.windows.mainForm().isVisible());
        QVERIFY(rig.windows.mainForm().windowState() & Qt::WindowMinimized);
        QVERIFY(rig.windows.mainForm().Idle_Timer->isActive());
        QVERIFY(rig.windows.mainForm().Idle_Timer->interval() <= 50);
    }

private:
    static void checkCancelled(Rig& rig) {
        rig.windows.renderAll(); // as the program does when start-up returns
        desktop::MainForm& main = rig.windows.mainForm();
        QCOMPARE(rig.windows.asked.back().title, std::string("Vorlith - Cancel Scan"));
        QCOMPARE(main.lblStatus->text(), QString("Vorlith scan canceled..."));
        QCOMPARE(main.lblStatus2->toolTip(),
                 QString("Your free Vorlith was canceled, it is strongly recommended to finish "
                         "it!"));
        QVERIFY(!main.cmdCancel->isVisible());
        QVERIFY(main.cmdExit->isVisible());
        QVERIFY(main.cmdAudit->isEnabled());
        QVERIFY(!rig.windows.resultsForm().isVisible());
        QVERIFY(rig.windows.pumps() > 0);
    }
};

QTEST_MAIN(DesktopUiTest)
#include "desktop_ui_test.moc"
