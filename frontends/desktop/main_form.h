#pragma once
// frmMain on Qt: the logo, the status lines, the progress bar, the found-file lists and the
// buttons. Every widget carries its control's name as object name.

#include "app/program.h"
#include "themed_button.h"

#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace vorlith::desktop {

class MainForm final : public QWidget {
public:
    struct Handlers {
        std::function<void()> afterEvent; // render everything after a handler ran
        std::function<void()> idleTick;   // one Idle_Timer tick
        std::function<void()> ended;      // the main window was unloaded: the program ends
    };

    MainForm(Program& program, Handlers handlers);

    /// Shows the main window's state.
    void render();
    /// The main window was unloaded by the logic (cmdExit, mnuExit): close it without asking.
    void unload();

    ThemedButton *cmdAudit, *cmdSetup, *cmdKill, *cmdCancel, *cmdExit;
    QLabel *lblVer, *lblStatus, *lblStatus2, *lblCount, *lblArrow2;
    QProgressBar* pBar;
    QListWidget *lstResult, *lstVideos, *lstThumbs, *lstFirefox;
    QTimer *Timer_Search, *Idle_Timer;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    struct ShownList {
        size_t count = 0;
        std::string first;
    };
    void renderList(QListWidget& widget, const FoundFileList& list, ShownList& shown);
    void renderFrame();
    void clicked(ThemedButton* button, std::function<void()> action);

    Program& m_program;
    Handlers m_handlers;
    int m_shownProgress = -1; // per mille of the bar, as last shown
    ShownList m_shownLists[4];
    bool m_unloaded = false;
};

} // namespace vorlith::desktop
