#include "results_form.h"

#include "widget_render.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPixmap>
#include <QVBoxLayout>

namespace vorlith::desktop {

ResultsForm::ResultsForm(ResultsWindow& window, std::function<void()> afterEvent)
    : m_window(window), m_afterEvent(std::move(afterEvent)) {
    setObjectName("frmResults");
    setWindowIcon(QIcon(":/vorlith.png"));
    setModal(true);

    lblVer = MakeLabel("lblVer", this);
    auto* header = MakeLogoHeader(this, lblVer);

    lblStatus = MakeLabel("lblStatus", this);
    lblTotal = MakeLabel("lblTotal", this);
    Label1 = MakeLabel("Label1", this);
    lblCumTotal = MakeLabel("lblCumTotal", this);
    Label2 = MakeLabel("Label2", this);
    lblSuspectTotal = MakeLabel("lblSuspectTotal", this);
    auto* totals = new QGridLayout;
    totals->setColumnStretch(1, 1);
    totals->setHorizontalSpacing(16);
    const std::pair<QLabel*, QLabel*> rows[] = {
        {lblStatus, lblTotal}, {Label1, lblCumTotal}, {Label2, lblSuspectTotal}};
    int row = 0;
    for (const auto& [name, value] : rows) {
        QFont bold = value->font();
        bold.setBold(true);
        value->setFont(bold);
        totals->addWidget(name, row, 0);
        totals->addWidget(value, row, 1);
        ++row;
    }

    lblResults = MakeLabel("lblResults", this);
    QFont notice = lblResults->font();
    notice.setBold(true);
    lblResults->setFont(notice);
    lblRelaunch = MakeLabel("lblRelaunch", this);

    cmdBoth = new ThemedButton("cmdBoth", QStyle::SP_BrowserReload, this);
    cmdIE = new ThemedButton("cmdIE", QStyle::SP_ComputerIcon, this);
    cmdFireFoxMemory = new ThemedButton("cmdFireFoxMemory", QStyle::SP_DriveNetIcon, this);
    cmdFireFoxDisk = new ThemedButton("cmdFireFoxDisk", QStyle::SP_DriveHDIcon, this);
    cmdKillTraces = new ThemedButton("cmdKillTraces", QStyle::SP_TrashIcon, this);
    auto* browsers = new QGridLayout;
    browsers->addWidget(cmdBoth, 0, 0);
    browsers->addWidget(cmdIE, 0, 1);
    browsers->addWidget(cmdFireFoxMemory, 1, 0);
    browsers->addWidget(cmdFireFoxDisk, 1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(header);
    layout->addLayout(totals);
    layout->addSpacing(8);
    layout->addWidget(lblResults);
    layout->addWidget(lblRelaunch);
    layout->addLayout(browsers);
    layout->addSpacing(8);
    layout->addWidget(cmdKillTraces);
    layout->setSizeConstraint(QLayout::SetMinimumSize);

    clicked(cmdBoth, [this] { m_window.cmdBoth_Click(); });
    clicked(cmdIE, [this] { m_window.cmdIE_Click(); });
    clicked(cmdFireFoxMemory, [this] { m_window.cmdFireFoxMemory_Click(); });
    clicked(cmdFireFoxDisk, [this] { m_window.cmdFireFoxDisk_Click(); });
    clicked(cmdKillTraces, [this] { m_window.cmdKillTraces_Click(); });

    Timer1 = MakeTimer(this, "Timer1", [this] {
        m_window.Timer1_Tick();
        m_afterEvent();
    });
    Timer2 = MakeTimer(this, "Timer2", [this] {
        m_window.Timer2_Tick();
        m_afterEvent();
    });
    // The relaunch line is hidden for the first seconds; the window keeps the room it needs.
    render();
    QSizePolicy keepRoom = lblRelaunch->sizePolicy();
    keepRoom.setRetainSizeWhenHidden(true);
    lblRelaunch->setSizePolicy(keepRoom);
}

void ResultsForm::clicked(ThemedButton* button, std::function<void()> action) {
    connect(button, &QPushButton::clicked, this, [this, action = std::move(action)] {
        action();
        m_afterEvent();
    });
}

void ResultsForm::closeEvent(QCloseEvent* event) {
    event->accept();
    m_window.Form_Unload();
    m_afterEvent();
}

void ResultsForm::reject() {
    close();
}

void ResultsForm::render() {
    RenderWindowTitle(*this, m_window.frame);
    RenderLabel(*lblVer, m_window.lblVer);
    RenderLabel(*lblStatus, m_window.lblStatus);
    RenderLabel(*lblTotal, m_window.lblTotal);
    RenderLabel(*Label1, m_window.Label1);
    RenderLabel(*lblCumTotal, m_window.lblCumTotal);
    RenderLabel(*Label2, m_window.Label2);
    RenderLabel(*lblSuspectTotal, m_window.lblSuspectTotal);
    RenderLabel(*lblResults, m_window.lblResults);
    RenderLabel(*lblRelaunch, m_window.lblRelaunch);
    cmdBoth->render(m_window.cmdBoth);
    cmdIE->render(m_window.cmdIE);
    cmdFireFoxMemory->render(m_window.cmdFireFoxMemory);
    cmdFireFoxDisk->render(m_window.cmdFireFoxDisk);
    cmdKillTraces->render(m_window.cmdKillTraces);
    SyncTimer(*Timer1, m_window.Timer1);
    SyncTimer(*Timer2, m_window.Timer2);
    if (!m_window.frame.visible && isVisible())
        hide();
}

} // namespace vorlith::desktop
