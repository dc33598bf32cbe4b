#include "main_form.h"

#include "widget_render.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QPixmap>
#include <QTabWidget>
#include <QVBoxLayout>

namespace vorlith::desktop {
namespace {
// The bar shows whole per mille: the widget is touched only when that shown value changes.
constexpr int kProgressSteps = 1000;

int shownProgress(const ProgressBar& bar) {
    if (bar.max <= 0)
        return 0;
    const int64_t value = bar.value < 0 ? 0 : bar.value > bar.max ? bar.max : bar.value;
    return static_cast<int>(value * kProgressSteps / bar.max);
}

QListWidget* makeList(const char* objectName, QWidget* parent) {
    auto* list = new QListWidget(parent);
    list->setObjectName(objectName);
    list->setUniformItemSizes(true); // long lists stay cheap to lay out
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    return list;
}
} // namespace

MainForm::MainForm(Program& program, Handlers handlers)
    : m_program(program), m_handlers(std::move(handlers)) {
    setObjectName("frmMain");
    setWindowIcon(QIcon(":/vorlith.png"));
    setMinimumSize(680, 500);

    lblVer = MakeLabel("lblVer", this);
    auto* header = MakeLogoHeader(this, lblVer);

    lblStatus = MakeLabel("lblStatus", this);
    QFont statusFont = lblStatus->font();
    statusFont.setBold(true);
    statusFont.setPointSizeF(statusFont.pointSizeF() * 1.25);
    lblStatus->setFont(statusFont);
    lblStatus->setWordWrap(true);
    lblArrow2 = MakeLabel("lblArrow2", this);
    lblStatus2 = MakeLabel("lblStatus2", this);
    // A long folder path must not widen the window: it is shortened in the middle instead.
    lblStatus2->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    auto* statusRow = new QHBoxLayout;
    statusRow->addWidget(lblArrow2);
    statusRow->addWidget(lblStatus2, 1);
    lblCount = MakeLabel("lblCount", this);

    pBar = new QProgressBar(this);
    pBar->setObjectName("pBar");
    pBar->setRange(0, kProgressSteps);
    pBar->setValue(0);
    pBar->setTextVisible(false);

    lstResult = makeList("lstResult", this);
    lstVideos = makeList("lstVideos", this);
    lstThumbs = makeList("lstThumbs", this);
    lstFirefox = makeList("lstFirefox", this);
    auto* lists = new QTabWidget(this);
    lists->setObjectName("tabLists");
    lists->addTab(lstResult, "Audio files");
    lists->addTab(lstVideos, "Videos");
    lists->addTab(lstThumbs, "Thumbnail stores");
    lists->addTab(lstFirefox, "Firefox cache");

    cmdAudit = new ThemedButton("cmdAudit", QStyle::SP_MediaPlay, this);
    cmdSetup = new ThemedButton("cmdSetup", QStyle::SP_FileDialogDetailedView, this);
    cmdKill = new ThemedButton("cmdKill", QStyle::SP_TrashIcon, this);
    cmdCancel = new ThemedButton("cmdCancel", QStyle::SP_DialogCancelButton, this);
    cmdExit = new ThemedButton("cmdExit", QStyle::SP_DialogCloseButton, this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdAudit);
    buttons->addWidget(cmdSetup);
    buttons->addWidget(cmdKill);
    buttons->addStretch();
    buttons->addWidget(cmdCancel);
    buttons->addWidget(cmdExit);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(header);
    layout->addSpacing(6);
    layout->addWidget(lblStatus);
    layout->addLayout(statusRow);
    layout->addWidget(lblCount);
    layout->addWidget(pBar);
    layout->addWidget(lists, 1);
    layout->addLayout(buttons);

    clicked(cmdAudit, [this] { m_program.cmdAudit_Click(); });
    clicked(cmdCancel, [this] { m_program.cmdCancel_Click(); });
    clicked(cmdSetup, [this] { m_program.cmdSetup_Click(); });
    clicked(cmdKill, [this] {
        m_program.cmdKill_Click();
        cmdAudit->setFocus();
    });
    clicked(cmdExit, [this] {
        if (m_program.cmdExit_Click())
            unload();
    });

    Timer_Search = MakeTimer(this, "Timer_Search", [this] {
        m_program.Timer_Search_Tick();
        m_handlers.afterEvent();
    });
    Idle_Timer = MakeTimer(this, "Idle_Timer", [this] {
        m_handlers.idleTick();
        m_handlers.afterEvent();
    });
    render();
}

void MainForm::clicked(ThemedButton* button, std::function<void()> action) {
    connect(button, &QPushButton::clicked, this, [this, action = std::move(action)] {
        action();
        m_handlers.afterEvent();
    });
}

void MainForm::unload() {
    m_unloaded = true;
    close();
    m_handlers.ended();
}

void MainForm::closeEvent(QCloseEvent* event) {
    if (m_unloaded) {
        event->accept();
        return;
    }
    if (m_program.Form_QueryUnload()) {
        event->accept();
        m_unloaded = true;
        m_handlers.ended();
    } else {
        event->ignore();
    }
    m_handlers.afterEvent();
}

void MainForm::renderList(QListWidget& widget, const FoundFileList& list, ShownList& shown) {
    const bool restarted = list.size() < shown.count || (shown.count > 0 && list[0] != shown.first);
    if (restarted) {
        widget.clear();
        shown = {};
    }
    if (list.size() == shown.count)
        return;
    QStringList added;
    for (size_t index = shown.count; index < list.size(); ++index)
        added << ToQString(list[index]);
    widget.addItems(added);
    shown.count = list.size();
    shown.first = list[0];
}

void MainForm::renderFrame() {
    const WindowFrame& frame = m_program.mainWindow().frame;
    RenderWindowTitle(*this, frame);
    if (!frame.visible) {
        if (isVisible())
            hide();
        return;
    }
    const bool minimized = frame.state == WindowState::Minimized;
    if (!isVisible()) {
        if (minimized)
            showMinimized();
        else
            showNormal();
    } else if (isMinimized() != minimized) {
        if (minimized)
            showMinimized();
        else {
            showNormal();
            raise();
            activateWindow();
        }
    }
}

void MainForm::render() {
    MainWindow& window = m_program.mainWindow();
    renderFrame();
    cmdAudit->render(window.cmdAudit);
    cmdSetup->render(window.cmdSetup);
    cmdKill->render(window.cmdKill);
    cmdCancel->render(window.cmdCancel);
    cmdExit->render(window.cmdExit);
    RenderLabel(*lblVer, window.lblVer);
    RenderLabel(*lblStatus, window.lblStatus);
    RenderLabel(*lblCount, window.lblCount);
    RenderLabel(*lblArrow2, window.lblArrow2);

    Label status2 = window.lblStatus2;
    const QString full = ToQString(status2.caption);
    const QString shown =
        lblStatus2->fontMetrics().elidedText(full, Qt::ElideMiddle, lblStatus2->width());
    status2.caption = shown.toStdString();
    RenderLabel(*lblStatus2, status2);
    if (lblStatus2->toolTip() != full)
        lblStatus2->setToolTip(full);

    if (pBar->isVisibleTo(this) != window.pBar.visible)
        pBar->setVisible(window.pBar.visible);
    if (const int progress = shownProgress(window.pBar); progress != m_shownProgress) {
        m_shownProgress = progress;
        pBar->setValue(progress);
    }
    renderList(*lstResult, window.lists.lstResult, m_shownLists[0]);
    renderList(*lstVideos, window.lists.lstVideos, m_shownLists[1]);
    renderList(*lstThumbs, window.lists.lstThumbs, m_shownLists[2]);
    renderList(*lstFirefox, window.lists.lstFirefox, m_shownLists[3]);
    SyncTimer(*Timer_Search, window.Timer_Search);
    SyncTimer(*Idle_Timer, window.Idle_Timer);
}

} // namespace vorlith::desktop
