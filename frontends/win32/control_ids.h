#pragma once
// The identifiers of the windows' controls, timers and menu entries: each is named after the
// control it stands for, so GetDlgItem(main, frmMain::cmdAudit) is the audit button.

namespace vorlith::win32ui {

namespace frmMain {
enum : int {
    imgLogo = 100,
    lblVer,
    lblStatus,
    lblArrow2,
    lblStatus2,
    lblCount,
    pBar,
    tabLists, // the tabs over the four found-file lists
    lstResult,
    lstVideos,
    lstThumbs,
    lstFirefox,
    cmdAudit,
    cmdSetup,
    cmdKill,
    cmdCancel,
    cmdExit,
    Timer_Search, // timers of the window
    Idle_Timer,
};
} // namespace frmMain

namespace frmResults {
enum : int {
    imgLogo = 200,
    lblVer,
    lblStatus,
    lblTotal,
    Label1,
    lblCumTotal,
    Label2,
    lblSuspectTotal,
    lblResults,
    lblRelaunch,
    cmdBoth,
    cmdIE,
    cmdFireFoxMemory,
    cmdFireFoxDisk,
    cmdKillTraces,
    Timer1,
    Timer2,
};
} // namespace frmResults

namespace frmSetup {
enum : int {
    Frame1 = 300,
    chkNoFirefox,
    chkNoThumbs,
    chkScanNetworkDrives,
    chkRunHAonStart,
    frmBrowser,
    optBoth,
    optFirefoxDisk,
    optFirefoxCache,
    optIE,
    frameSetup,
    txtDays,
    chkRunStartUp,
    lblDays2,
    lblDays,
    cmdCancel,
    cmdDefault,
    cmdSave,
};
} // namespace frmSetup

// The tray icon's menu.
namespace mnuTrayPopup {
enum : int {
    mnuShow = 400,
    mnuExit,
};
} // namespace mnuTrayPopup

} // namespace vorlith::win32ui
