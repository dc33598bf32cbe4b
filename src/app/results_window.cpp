#include "app/results_window.h"

#include "platform/file_system.h"
#include "report/links.h"
#include "report/site.h"
#include "settings/settings_store.h"

namespace vorlith {
namespace {
const char kRunTitle[] = "Run Vorlith";
const char kRunText[] =
    "Click to run Vorlith and to see what Internet traces are on your computer.";
} // namespace

ResultsWindow::ResultsWindow(MainWindow& mainWindow, BrowserLauncher& browsers,
                             platform::WindowSystem& windows)
    : m_mainWindow(mainWindow), m_browsers(browsers), m_windows(windows) {
    frame.caption = "Vorlith 5.0 - Internet Vorlith Results";
    lblVer.caption = site::kVersion;
    lblStatus.caption = "Total traces found:";
    Label1.caption = "Cumlative total traces:";
    Label2.caption = "Total Suspect Traces:";
    lblResults.caption = "Launching web browser with your detailed results...";
    lblResults.color = kButtonTextColor;
    lblRelaunch.caption = "To Re-Launch Vorlith results click your prefered browser below:";
    lblRelaunch.visible = false;
    cmdBoth = {"  Internet Explorer and Firefox", kRunTitle, kRunText};
    cmdIE = {"  Internet Explorer", kRunTitle, kRunText};
    cmdFireFoxMemory = {"  Firefox Memory Cache", kRunTitle, kRunText};
    cmdFireFoxDisk = {"  Firefox Hard Disk", kRunTitle, kRunText};
    cmdKillTraces = {" Kill the history traces Vorlith found!", "Erazent",
                     "Click to purchase Erazent.  Erazent can securely delete the history traces "
                     "that was found by Vorlith."};
    Timer1.intervalMs = 7000;
    Timer2.intervalMs = 750;
}

void ResultsWindow::Form_Load(const ResultsInputs& inputs) {
    m_inputs = inputs;
    frame.visible = true;
    m_windows.centerWindow(platform::WindowId::Results);
    lblTotal.caption = std::to_string(inputs.TotalTraces);
    lblCumTotal.caption = FormatPlainNumber(inputs.CumlativeTotal);
    lblSuspectTotal.caption = std::to_string(inputs.SuspectTraces);
    if (IsFirefoxOnly(inputs.results)) {
        lblTotal.caption = kDataNotAvailable;
        if (inputs.CumlativeTotal == 0)
            lblCumTotal.caption = kDataNotAvailable;
        lblSuspectTotal.caption = kDataNotAvailable;
    }
    for (Button* button : {&cmdBoth, &cmdIE, &cmdFireFoxMemory, &cmdFireFoxDisk})
        button->enabled = false;
    lblResults.caption = "Launching web browser with your detailed results...";
    lblResults.color = kButtonTextColor;
    lblRelaunch.visible = false;
    Timer1.enabled = true;
    Timer2.enabled = true;
}

void ResultsWindow::Timer1_Tick() {
    Timer1.enabled = false;
    lblResults.color = kButtonTextColor;
    lblResults.caption = "Vorlith results launched in a browser window!";
    lblRelaunch.visible = true;
    for (Button* button : {&cmdBoth, &cmdIE, &cmdFireFoxMemory, &cmdFireFoxDisk})
        button->enabled = true;
}

void ResultsWindow::Timer2_Tick() {
    lblResults.color = lblResults.color == kButtonTextColor ? kRed : kButtonTextColor;
}

std::string ResultsWindow::summaryPage() const {
    return platform::JoinPath(m_inputs.ReportFolder, "Vorlith_summary.html");
}

// A browser that cannot be started shows nothing and never ends the program.
void ResultsWindow::cmdBoth_Click() {
    m_browsers.OpenInFirefox("about:cache");
    m_browsers.OpenInInternetExplorer(summaryPage());
}

void ResultsWindow::cmdIE_Click() {
    m_browsers.OpenInInternetExplorer(summaryPage());
}

void ResultsWindow::cmdFireFoxMemory_Click() {
    m_browsers.OpenInFirefox("about:cache?device=memory");
}

void ResultsWindow::cmdFireFoxDisk_Click() {
    m_browsers.OpenInFirefox("about:cache?device=disk");
}

void ResultsWindow::cmdKillTraces_Click() {
    m_browsers.OpenInInternetExplorer(ErazentKillTracesLink(m_inputs.TotalTraces));
}

void ResultsWindow::Form_Unload() {
    Timer1.enabled = false;
    Timer2.enabled = false;
    frame.visible = false;
    Enable_Buttons(m_mainWindow);
}

} // namespace vorlith
