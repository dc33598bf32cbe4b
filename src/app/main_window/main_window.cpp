#include "app/main_window/main_window.h"

#include "report/site.h"

namespace vorlith {

MainWindow::MainWindow() {
    frame.caption = "Vorlith 5.0 - Internet Vorlith ";
    cmdAudit = {"  Run Vorlith!", "Run Vorlith",
                "Click to run Vorlith and to see what Internet traces are on your computer."};
    cmdSetup = {" Setup", "Vorlith Setup", "Click to edit the settings for Vorlith."};
    cmdKill = {" Kill Traces", "Erazent",
               "Click to purchase Erazent.  Erazent can securely delete the history traces that "
               "was found by Vorlith."};
    cmdExit = {" Exit", "Exit Vorlith", "Click to Exit Vorlith."};
    cmdCancel = {" Cancel", "Cancel Scan", "Click to Cancel Scan (Not Recommended)"};
    cmdCancel.visible = false;
    lblVer.caption = site::kVersion;
    lblCount.visible = false;
    lblArrow2.caption = "\u00BB"; // right-pointing double angle quotation mark
    lblStatus2.visible = false;
    lblArrow2.visible = false;
    Timer_Search.intervalMs = 250;
    Idle_Timer.intervalMs = 1;
}

void Disable_Buttons(MainWindow& window) {
    window.cmdKill.enabled = false;
    window.cmdAudit.enabled = false;
    window.cmdSetup.enabled = false;
    window.cmdExit.visible = false;
    window.cmdCancel.visible = true;
}

void Enable_Buttons(MainWindow& window) {
    window.cmdKill.enabled = true;
    window.cmdAudit.enabled = true;
    window.cmdSetup.enabled = true;
    window.cmdExit.visible = true;
    window.cmdCancel.visible = false;
}

} // namespace vorlith
