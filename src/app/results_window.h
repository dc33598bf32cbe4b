#pragma once
// frmResults: the totals of the finished audit, with buttons that open the results again.

#include "app/browser_launch.h"
#include "app/main_window/main_window.h"
#include "platform/window_system.h"
#include "settings/program_settings.h"

#include <cstdint>
#include <string>

namespace vorlith {

/// What the window shows, as the finished run leaves it.
struct ResultsInputs {
    int64_t TotalTraces = 0;
    double CumlativeTotal = 0; // already including this run
    int64_t SuspectTraces = 0;
    ResultsChoice results = ResultsChoice::DefaultBrowser;
    std::string ReportFolder;
};

class ResultsWindow {
public:
    ResultsWindow(MainWindow& mainWindow, BrowserLauncher& browsers,
                  platform::WindowSystem& windows);

    WindowFrame frame;
    Label lblVer, lblStatus, lblTotal, Label1, lblCumTotal, Label2, lblSuspectTotal, lblResults,
        lblRelaunch;
    Button cmdBoth, cmdIE, cmdFireFoxMemory, cmdFireFoxDisk, cmdKillTraces;
    Timer Timer1; // ends the launch notice after 7 s
    Timer Timer2; // blinks lblResults every 750 ms

    /// Fills the labels and disables the four browser buttons; starts both timers.
    void Form_Load(const ResultsInputs& inputs);
    void Timer1_Tick();
    void Timer2_Tick();
    void cmdBoth_Click();
    void cmdIE_Click();
    void cmdFireFoxMemory_Click();
    void cmdFireFoxDisk_Click();
    void cmdKillTraces_Click();
    /// The window closes: the main window's buttons return to their idle states.
    void Form_Unload();

private:
    std::string summaryPage() const;

    MainWindow& m_mainWindow;
    BrowserLauncher& m_browsers;
    platform::WindowSystem& m_windows;
    ResultsInputs m_inputs;
};

/// The text a Firefox-only result choice shows instead of a number.
inline constexpr char kDataNotAvailable[] = "Data not available.  Enable IE results in Setup.";

} // namespace vorlith
