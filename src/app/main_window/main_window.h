#pragma once
// frmMain: the main window's controls and their states.

#include "app/main_window/controls.h"
#include "scan/found_files.h"

namespace vorlith {

struct MainWindow {
    MainWindow();

    WindowFrame frame;
    Button cmdAudit, cmdSetup, cmdKill, cmdExit, cmdCancel;
    Label lblVer, lblStatus, lblStatus2, lblCount, lblArrow2;
    ProgressBar pBar;
    Timer Timer_Search; // progress display during the walk, 250 ms
    Timer Idle_Timer;   // idle watch
    FoundFiles lists;   // lstResult, lstVideos, lstThumbs, lstFirefox
};

/// The button states of a running audit.
void Disable_Buttons(MainWindow& window);
/// The button states of an idle program.
void Enable_Buttons(MainWindow& window);

} // namespace vorlith
