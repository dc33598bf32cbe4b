#pragma once
// frmMain on Win32: the logo, the status lines, the progress bar, the four found-file lists on
// their tabs and the buttons, each control under its own identifier (control_ids.h).

#include "app/program.h"
#include "form.h"

#include <functional>

namespace vorlith::win32ui {

class MainForm final : public Form {
public:
    struct Handlers {
        std::function<void()> afterEvent; // render everything after a handler ran
        std::function<void()> idleTick;   // one Idle_Timer tick
        std::function<void()> ended;      // the main window was unloaded: the program ends
    };

    /// owner is the program's hidden window: a window it owns has no button on the task bar of
    /// its own unless render asks for one.
    MainForm(Program& program, HWND owner, Handlers handlers);

    /// Shows the main window's state; taskbarButton keeps its button on the task bar (when
    /// there is no tray icon to find the program by).
    void render(bool taskbarButton);
    /// The main window was unloaded by the logic (cmdExit, mnuExit): hide it without asking.
    void unload();
    /// Brings the window back from the tray or from being minimised, in front.
    void restoreAndRaise();

private:
    struct ShownList {
        size_t count = 0;
        std::string first;
        int widest = 0; // pixels, for the horizontal scroll extent
    };
    void layout() override;
    void command(int id, int code) override;
    void timer(int id) override;
    void closeRequested() override;
    LRESULT notify(const NMHDR& header) override;
    SIZE minimumDesignSize() const override { return {680, 500}; }
    void renderFrame(bool taskbarButton);
    void renderList(int id, const FoundFileList& list, ShownList& shown);
    void showList(int index);

    Program& m_program;
    Handlers m_handlers;
    ButtonView *m_cmdAudit, *m_cmdSetup, *m_cmdKill, *m_cmdCancel, *m_cmdExit;
    LabelView *m_lblVer, *m_lblStatus, *m_lblStatus2, *m_lblCount, *m_lblArrow2;
    int m_shownProgress = -1; // per mille of the bar, as last shown
    bool m_barVisible = true;
    ShownList m_shownLists[4];
    WindowState m_shownState = WindowState::Normal;
    bool m_unloaded = false;
};

} // namespace vorlith::win32ui
