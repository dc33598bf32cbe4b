#include "app/desktop_startup.h"

namespace vorlith {

void IdleInputFeed::tick(Program& program) {
    if (!m_input || m_inTick)
        return;
    m_inTick = true;
    program.Idle_Timer_Tick(*m_input);
    m_inTick = false;
    if (!program.mainWindow().Idle_Timer.enabled)
        m_input.reset();
}

bool ContinueStartup(Program& program, IdleInputFeed& feed, StartupOutcome outcome,
                     const InputOpener& openInput, bool trayShown,
                     const std::function<void(const std::string& reason)>& sayNoIdleWatch) {
    switch (outcome) {
    case StartupOutcome::AnotherCopyRunning:
    case StartupOutcome::Ended:
        return false;
    case StartupOutcome::WaitingInTray: {
        std::string reason;
        feed.watch(openInput(reason));
        if (!feed.isWatching()) {
            sayNoIdleWatch(reason);
            program.IdleAuditStart(0);
        } else if (!trayShown) {
            // A hidden window could not be found again without the tray: it waits minimised.
            program.mainWindow().frame.visible = true;
        }
        break;
    }
    case StartupOutcome::WaitingForCommand:
    case StartupOutcome::AuditRan:
        break;
    }
    return true;
}

} // namespace vorlith
