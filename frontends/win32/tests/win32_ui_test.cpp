// The Windows desktop program's windows under Wine (on a virtual desktop, for the tray), driven
// as a user would: clicks on the controls found by their identifiers, questions answered
// through the window-system interface, real runs on a folder. What the windows show comes from
// the core, tested on its own; these tests check that the controls deliver their events and
// show the core's state, and the Windows input state the idle watch reads.

#include "control_ids.h"
#include "platform/desktop_input.h"
#include "platform/drives.h"
#include "platform/file_system.h"
#include "platform/url_cache.h"
#include "platform/windows/registry_hive.h"
#include "settings/settings_store.h"
#include "startup_flow.h"
#include "win32_window_system.h"
#include "windows_test_support.h"

#include <gtest/gtest.h>

#include <deque>

namespace vorlith::win32ui {
namespace {

using platform::MessageAnswer;
using platform::win32::Narrow;
using platform::win32::Widen;

// Answers the program's questions from a queue (Yes when it is empty) and keeps the titles.
class AnsweringWindowSystem final : public Win32WindowSystem {
public:
    using Win32WindowSystem::Win32WindowSystem;
    std::deque<MessageAnswer> answers;
    std::vector<std::string> asked;

protected:
    MessageAnswer ask(const platform::MessageRequest& request) override {
        asked.push_back(request.title);
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
    bool isAvailable(const std::string&) override { return true; }
    bool openInDefaultBrowser(const std::string& target) override { return start({target}); }
};

// The system's clocks, with a monotonic clock the test moves on.
class SteppedClock final : public platform::Clock {
public:
    DateTime localNow() const override { return platform::SystemClock().localNow(); }
    std::chrono::steady_clock::time_point monotonicNow() const override { return m_start + step; }
    DateTime toLocal(FileTime utc) const override { return platform::SystemClock().toLocal(utc); }
    std::chrono::seconds step{0};

private:
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};

// One desktop program with its settings under a registry key of its own, a report folder and,
// unless a drive is given, a drive of a few files in a temporary folder.
struct Rig {
    explicit Rig(int driveFiles = 20, std::string givenDrive = "")
        : drive(givenDrive.empty() ? folder / "drive" : givenDrive),
          windows(Win32Options{std::chrono::milliseconds(0), [this] { ended = true; }}),
          program(ProgramServices{windows, clock, platform::SystemDrives(), urlCache, starter,
                                  userHive, machineHive},
                  ProgramOptions{
                      {drive}, folder / "report", BrowserMode::Open, "vorlith-win32-ui-test"}) {
        for (int index = 0; index < driveFiles; ++index)
            folder.write("drive\\folder" + std::to_string(index % 7) + "\\" +
                             std::to_string(index) + ".mp3",
                         "x");
        windows.attach(program);
    }
    void setting(const char* key, const char* value) {
        SaveSetting(userHive, kSettingsApplication, kSettingsSection, key, value);
    }
    HWND main() { return windows.mainForm().hwnd(); }
    HWND control(int id) { return ::GetDlgItem(main(), id); }

    test::WindowsTempFolder folder;
    test::ScratchRegistryKey scratch;
    std::string drive;
    platform::RegistryHive userHive{HKEY_CURRENT_USER, scratch.path(),
                                    platform::HiveAccess::ReadWrite};
    platform::RegistryHive machineHive{HKEY_LOCAL_MACHINE, scratch.path(),
                                       platform::HiveAccess::ReadOnly};
    SteppedClock clock;
    bool ended = false;
    AnsweringWindowSystem windows;
    RecordingStarter starter;
    platform::EmptyUrlCacheSource urlCache;
    Program program;
};

std::string Text(HWND window) {
    wchar_t text[512] = {};
    ::GetWindowTextW(window, text, 512);
    return Narrow(text);
}

bool Shown(HWND window) {
    return (::GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

void Click(HWND button) {
    ASSERT_TRUE(Shown(button) && ::IsWindowEnabled(button)) << Text(button);
    ::SendMessageW(button, BM_CLICK, 0, 0);
}

bool Checked(HWND box) {
    return ::SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// Runs check on every few milliseconds of the thread's message loops (the program's yields and
// its modal loop included) until it returns true; never inside itself.
class Watch {
public:
    explicit Watch(std::function<bool()> check) {
        s_check = std::move(check);
        m_timer = ::SetTimer(nullptr, 0, 5, &Watch::tick);
    }
    ~Watch() {
        ::KillTimer(nullptr, m_timer);
        s_check = nullptr;
    }

private:
    static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
        auto check = std::move(s_check);
        s_check = nullptr;
        if (check && !check())
            s_check = std::move(check);
    }
    static inline std::function<bool()> s_check;
    UINT_PTR m_timer = 0;
};

// Handles the program's messages until done() holds (false after a minute: the test fails
// instead of hanging).
bool PumpUntil(Win32WindowSystem& windows, const std::function<bool()>& done) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (!done()) {
        if (std::chrono::steady_clock::now() > limit)
            return false;
        windows.pumpWaiting();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

bool TrayIconPresent(Rig& rig) {
    NOTIFYICONDATAW icon{};
    icon.cbSize = sizeof icon;
    icon.hWnd = rig.windows.trayWindow();
    icon.uID = 1;
    return ::Shell_NotifyIconW(NIM_MODIFY, &icon) != FALSE;
}

TEST(Win32Ui, MainWindowControlsAfterStartUpAndTheTrayIcon) {
    Rig rig;
    rig.setting("HARunOnStart", "0");
    ASSERT_EQ(ContinueStartup(rig.program, rig.windows, rig.program.Form_Load(""),
                              platform::OpenDesktopInputState),
              AfterStartup::Running);
    EXPECT_TRUE(::IsWindowVisible(rig.main()));
    EXPECT_EQ(Text(rig.main()), "Vorlith 5.0 - Internet Vorlith ");
    struct Control {
        int id;
        const char* text;
        bool shown;
    };
    using namespace frmMain;
    const Control controls[] = {
        {cmdAudit, "  Run Vorlith!", true},
        {cmdSetup, " Setup", true},
        {cmdKill, " Kill Traces", true},
        {cmdExit, " Exit", true},
        {cmdCancel, " Cancel", false},
        {lblVer, "5.0", true},
        {lblStatus, "WAITING FOR A COMMAND...", true},
        {lblArrow2, "\xC2\xBB", false},
        {lblCount, "", false},
    };
    for (const Control& control : controls) {
        SCOPED_TRACE(control.id);
        EXPECT_EQ(Text(rig.control(control.id)), control.text);
        EXPECT_EQ(Shown(rig.control(control.id)), control.shown);
    }
    EXPECT_EQ(::SendMessageW(rig.control(tabLists), TCM_GETITEMCOUNT, 0, 0), 4);
    // In the tray, not on the task bar: the window is owned by the program's hidden window.
    EXPECT_EQ(::GetWindow(rig.main(), GW_OWNER), rig.windows.trayWindow());
    EXPECT_FALSE(::GetWindowLongPtrW(rig.main(), GWL_EXSTYLE) & WS_EX_APPWINDOW);
    ASSERT_TRUE(rig.windows.isTrayIconShown() && TrayIconPresent(rig));

    wchar_t entry[64] = {};
    ::GetMenuStringW(rig.windows.trayMenu(), mnuTrayPopup::mnuShow, entry, 64, MF_BYCOMMAND);
    EXPECT_EQ(Narrow(entry), "Show Vorlith");
    ::GetMenuStringW(rig.windows.trayMenu(), mnuTrayPopup::mnuExit, entry, 64, MF_BYCOMMAND);
    EXPECT_EQ(Narrow(entry), "Exit Vorlith");
    // A left click on the icon shows the hidden window; the menu's exit ends the program and
    // takes the icon away.
    rig.program.mainWindow().frame.visible = false;
    rig.windows.renderAll();
    ::SendMessageW(rig.windows.trayWindow(), Win32WindowSystem::kTrayMessage, 1, WM_LBUTTONDOWN);
    EXPECT_TRUE(::IsWindowVisible(rig.main()));
    rig.windows.trayMenuCommand(mnuTrayPopup::mnuExit);
    EXPECT_TRUE(rig.ended);
    EXPECT_FALSE(TrayIconPresent(rig));
}

TEST(Win32Ui, RunAuditsAFolderAndTheResultsWindowFollows) {
    Rig rig(0, test::HostPathForWine(VORLITH_FIXTURES_DIR "/media/drive"));
    rig.setting("HARunOnStart", "0");
    rig.program.Form_Load("");
    rig.windows.renderAll();
    rig.program.resultsWindow().Timer1.intervalMs = 100; // the 7 seconds, shortened
    HWND results = rig.windows.resultsForm().hwnd();
    auto button = [&](int id) { return ::GetDlgItem(results, id); };
    bool modalWithButtonsOff = false, relaunched = false;
    Watch watch([&] {
        if (!::IsWindowVisible(results))
            return false;
        if (!::IsWindowEnabled(button(frmResults::cmdIE))) {
            modalWithButtonsOff = !::IsWindowEnabled(rig.main()) &&
                                  !Shown(button(frmResults::lblRelaunch)) &&
                                  Text(button(frmResults::lblTotal)) == "0";
            return false;
        }
        Click(button(frmResults::cmdFireFoxDisk));
        relaunched = Shown(button(frmResults::lblRelaunch)) &&
                     rig.starter.started.back().back() == "about:cache?device=disk";
        ::SendMessageW(results, WM_CLOSE, 0, 0);
        return true;
    });
    Click(rig.control(frmMain::cmdAudit));
    EXPECT_TRUE(modalWithButtonsOff && relaunched);
    EXPECT_EQ(Text(rig.control(frmMain::lblStatus)), "Finished!  0 traces found on YOUR Computer!");
    EXPECT_GT(::SendMessageW(rig.control(frmMain::lstResult), LB_GETCOUNT, 0, 0), 0);
    EXPECT_TRUE(::IsWindowEnabled(rig.main()) && ::IsWindowEnabled(rig.control(frmMain::cmdAudit)));

    ::SendMessageW(rig.main(), WM_CLOSE, 0, 0); // answered Yes: done viewing
    EXPECT_EQ(rig.windows.asked.back(), "Vorlith - Are you done viewing results?");
    EXPECT_TRUE(rig.ended);
}

TEST(Win32Ui, CancelDuringTheWalkAnsweredNoCarriesOn) {
    Rig rig(120);
    rig.setting("HARunOnStart", "0");
    rig.program.Form_Load("");
    rig.windows.renderAll();
    bool carriedOn = false;
    Watch watch([&] {
        HWND cancel = rig.control(frmMain::cmdCancel);
        if (rig.program.audit().walkProgress().FilesSearched == 0 || !Shown(cancel))
            return false;
        rig.windows.answers = {MessageAnswer::No, MessageAnswer::Yes};
        Click(cancel);
        carriedOn = rig.program.audit().state().Scanning;
        Click(cancel);
        return true;
    });
    Click(rig.control(frmMain::cmdAudit));
    EXPECT_TRUE(carriedOn);
    EXPECT_EQ(rig.windows.asked, std::vector<std::string>(2, "Vorlith - Cancel Scan"));
    EXPECT_LT(rig.program.audit().walkProgress().FilesSearched, 120);
    EXPECT_EQ(Text(rig.control(frmMain::lblStatus)), "Vorlith scan canceled...");
    EXPECT_TRUE(Shown(rig.control(frmMain::cmdExit)) && !Shown(rig.control(frmMain::cmdCancel)));
    EXPECT_FALSE(::IsWindowVisible(rig.windows.resultsForm().hwnd()));
}

TEST(Win32Ui, SetupDialogSavesAndLoadsEveryValueThroughTheRegistry) {
    Rig rig;
    rig.setting("HARunOnStart", "0");
    rig.program.Form_Load("");
    rig.windows.renderAll();
    const std::string settings =
        rig.scratch.path() + "\\Software\\VB and VBA Program Settings\\" + "Vlith\\Settings";
    const std::string run =
        rig.scratch.path() + "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    auto stored = [](const std::string& key, const char* name) -> std::string {
        wchar_t data[1024] = {};
        DWORD size = sizeof data - sizeof(wchar_t);
        if (::RegGetValueW(HKEY_CURRENT_USER, Widen(key).c_str(), Widen(name).c_str(),
                           RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS)
            return "(none)";
        return Narrow(data);
    };
    using namespace frmSetup;
    HWND setup = rig.windows.setupForm().hwnd();
    auto control = [&](int id) { return ::GetDlgItem(setup, id); };
    struct Box {
        int id;
        const char* key;
    };
    const Box boxes[] = {{chkNoFirefox, "NoFirefox"},
                         {chkNoThumbs, "NoThumbs"},
                         {chkScanNetworkDrives, "ScanNetworkDrives"},
                         {chkRunHAonStart, "HARunOnStart"},
                         {chkRunStartUp, "WinStart"}};
    // Every value turned one way and saved, read back when the dialog loads, then back again.
    for (const bool on : {true, false}) {
        SCOPED_TRACE(on ? "on" : "off");
        Click(rig.control(frmMain::cmdSetup));
        ASSERT_TRUE(::IsWindowVisible(setup) && ::IsWindowEnabled(rig.main())); // not modal
        for (const Box& box : boxes)
            if (Checked(control(box.id)) != on)
                Click(control(box.id));
        rig.windows.answers = {MessageAnswer::Yes};
        Click(control(on ? optFirefoxDisk : optIE));
        ::SetWindowTextW(control(txtDays), on ? L"12" : L"0");
        Click(control(cmdSave));
        EXPECT_FALSE(::IsWindowVisible(setup));

        for (const Box& box : boxes)
            EXPECT_EQ(stored(settings, box.key), on ? "1" : "0") << box.key;
        EXPECT_EQ(stored(settings, "DefaultResults"), on ? "3" : "1");
        EXPECT_EQ(stored(settings, "MinDays"), on ? "12" : "0");
        const std::string entry = stored(run, "Vlith");
        if (on)
            EXPECT_TRUE(entry.front() == '"' && entry.ends_with(".exe\" /STARTUP")) << entry;
        else
            EXPECT_EQ(entry, "(none)");

        Click(rig.control(frmMain::cmdSetup));
        for (const Box& box : boxes)
            EXPECT_EQ(Checked(control(box.id)), on) << box.key;
        EXPECT_EQ(Checked(control(optFirefoxDisk)), on);
        EXPECT_EQ(Checked(control(optIE)), !on);
        EXPECT_EQ(Text(control(txtDays)), on ? "12" : "0");
        Click(control(cmdCancel));
    }
}

// A log-in start with MinDays 0 waits in the tray, watching the real input state of the (idle)
// virtual desktop; the clock's two minutes pass at the test's word.
TEST(Win32Ui, ALogInStartAuditsAfterTwoIdleMinutes) {
    Rig rig;
    rig.setting("MinDays", "0");
    ASSERT_EQ(rig.program.Form_Load("/STARTUP"), StartupOutcome::WaitingInTray);
    ASSERT_EQ(ContinueStartup(rig.program, rig.windows, StartupOutcome::WaitingInTray,
                              platform::OpenDesktopInputState),
              AfterStartup::Running);
    EXPECT_FALSE(::IsWindowVisible(rig.main()));
    Watch closeResults([&] {
        HWND results = rig.windows.resultsForm().hwnd();
        return ::IsWindowVisible(results) && ::SendMessageW(results, WM_CLOSE, 0, 0) == 0;
    });
    const IdleState& idle = rig.program.idleState();
    ASSERT_TRUE(PumpUntil(rig.windows, [&] { return idle.Started; }));
    rig.clock.step = std::chrono::seconds(119);
    ASSERT_TRUE(PumpUntil(rig.windows, [&] { return idle.IdleSeconds >= 119; }));
    EXPECT_FALSE(::IsWindowVisible(rig.main()));
    EXPECT_EQ(rig.program.audit().walkProgress().FilesSearched, 0);

    rig.clock.step = std::chrono::seconds(121);
    ASSERT_TRUE(PumpUntil(rig.windows, [&] {
        return Text(rig.control(frmMain::lblStatus)).starts_with("Finished!  ");
    }));
    EXPECT_TRUE(::IsWindowVisible(rig.main()));
    EXPECT_FALSE(rig.windows.isWatchingInput());
}

void SendKey(WORD key, DWORD flags) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = flags;
    ::SendInput(1, &input, sizeof input);
    ::Sleep(20); // the system's last-input time counts in milliseconds
}

TEST(WindowsInputState, APressCountsOnceAndAHeldKeyNotAgain) {
    std::string reason;
    auto input = platform::OpenDesktopInputState(reason);
    ASSERT_NE(input, nullptr) << reason;
    EXPECT_EQ(input->keyPressesSinceLastQuery(), 0);
    SendKey('A', 0);
    SendKey('A', KEYEVENTF_KEYUP); // pressed and released between two questions
    EXPECT_EQ(input->keyPressesSinceLastQuery(), 1);
    EXPECT_EQ(input->keyPressesSinceLastQuery(), 0);
    SendKey(VK_SHIFT, 0);
    EXPECT_EQ(input->keyPressesSinceLastQuery(), 1);
    for (int repeat = 0; repeat < 3; ++repeat)
        SendKey(VK_SHIFT, 0); // the key's repeats while it is held
    EXPECT_EQ(input->keyPressesSinceLastQuery(), 0);
    SendKey(VK_SHIFT, KEYEVENTF_KEYUP);
    EXPECT_EQ(input->keyPressesSinceLastQuery(), 0);

    ASSERT_TRUE(::SetCursorPos(100, 120));
    const auto cursor = input->cursorPosition();
    ASSERT_TRUE(cursor.has_value());
    EXPECT_EQ(cursor->x, 100);
    EXPECT_EQ(cursor->y, 120);
}

TEST(VlithProgram, HelpVersionAndARefusedOption) {
    const auto version = test::RunProgram("Vlith.exe", {"--version"});
    EXPECT_EQ(version.status, 0u);
    EXPECT_EQ(version.out, "Vlith 5.0\n");
    const auto help = test::RunProgram("Vlith.exe", {"--help"});
    EXPECT_EQ(help.status, 0u);
    EXPECT_TRUE(help.out.starts_with("Vorlith audits this computer")) << help.out;
    EXPECT_NE(help.out.find("Usage: Vlith [OPTIONS] [WORDS...]"), std::string::npos);
    const auto refused = test::RunProgram("Vlith.exe", {"--no-such-option"});
    EXPECT_EQ(refused.status, 2u);
    EXPECT_NE(refused.err.find("--no-such-option"), std::string::npos);
}

} // namespace
} // namespace vorlith::win32ui
