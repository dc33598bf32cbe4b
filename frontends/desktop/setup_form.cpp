#include "setup_form.h"

#include "widget_render.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QVBoxLayout>

namespace vorlith::desktop {
namespace {
void renderCheckBox(QCheckBox& widget, const CheckBox& state) {
    const QString caption = ToQString(state.caption);
    if (widget.text() != caption)
        widget.setText(caption);
    if (widget.isChecked() != state.checked)
        widget.setChecked(state.checked);
}

void renderOption(QRadioButton& widget, const OptionButton& state) {
    const QString caption = ToQString(state.caption);
    if (widget.text() != caption)
        widget.setText(caption);
    if (state.selected && !widget.isChecked())
        widget.setChecked(true);
}
} // namespace

SetupForm::SetupForm(SetupDialog& dialog, std::function<void()> afterEvent,
                     std::function<void()> closed)
    : m_dialog(dialog), m_afterEvent(std::move(afterEvent)), m_closed(std::move(closed)) {
    setObjectName("frmSetup");
    setWindowIcon(QIcon(":/vorlith.png"));
    setModal(false);

    Frame1 = new QGroupBox(this);
    Frame1->setObjectName("Frame1");
    chkNoFirefox = makeCheckBox("chkNoFirefox", m_dialog.chkNoFirefox);
    chkNoThumbs = makeCheckBox("chkNoThumbs", m_dialog.chkNoThumbs);
    chkScanNetworkDrives = makeCheckBox("chkScanNetworkDrives", m_dialog.chkScanNetworkDrives);
    chkRunHAonStart = makeCheckBox("chkRunHAonStart", m_dialog.chkRunHAonStart);
    auto* scanLayout = new QVBoxLayout(Frame1);
    for (QCheckBox* box : {chkNoFirefox, chkNoThumbs, chkScanNetworkDrives, chkRunHAonStart})
        scanLayout->addWidget(box);

    frmBrowser = new QGroupBox(this);
    frmBrowser->setObjectName("frmBrowser");
    optBoth = makeOption("optBoth", [this] { m_dialog.selectOption(m_dialog.optBoth); });
    optFirefoxDisk = makeOption("optFirefoxDisk", [this] { m_dialog.optFirefoxDisk_Click(); });
    optFirefoxCache = makeOption("optFirefoxCache", [this] { m_dialog.optFirefoxCache_Click(); });
    optIE = makeOption("optIE", [this] { m_dialog.selectOption(m_dialog.optIE); });
    auto* group = new QButtonGroup(this);
    auto* browserLayout = new QVBoxLayout(frmBrowser);
    for (QRadioButton* option : {optBoth, optFirefoxDisk, optFirefoxCache, optIE}) {
        group->addButton(option);
        browserLayout->addWidget(option);
    }

    frameSetup = new QGroupBox(this);
    frameSetup->setObjectName("frameSetup");
    txtDays = new QLineEdit(frameSetup);
    txtDays->setObjectName("txtDays");
    txtDays->setMaxLength(5);
    txtDays->setFixedWidth(txtDays->fontMetrics().horizontalAdvance("00000") + 16);
    connect(txtDays, &QLineEdit::textEdited, this,
            [this](const QString& text) { m_dialog.txtDays.text = text.toStdString(); });
    chkRunStartUp = makeCheckBox("chkRunStartUp", m_dialog.chkRunStartUp);
    chkRunStartUp->setParent(frameSetup);
    lblDays2 = new QLabel(frameSetup);
    lblDays2->setObjectName("lblDays2");
    lblDays = new QLabel(frameSetup);
    lblDays->setObjectName("lblDays");
    auto* daysRow = new QHBoxLayout;
    daysRow->addWidget(lblDays);
    daysRow->addWidget(txtDays);
    daysRow->addWidget(lblDays2);
    daysRow->addStretch();
    auto* startupLayout = new QVBoxLayout(frameSetup);
    startupLayout->addWidget(chkRunStartUp);
    startupLayout->addLayout(daysRow);

    cmdCancel = new ThemedButton("cmdCancel", QStyle::SP_DialogCancelButton, this);
    cmdDefault = new ThemedButton("cmdDefault", QStyle::SP_DialogResetButton, this);
    cmdSave = new ThemedButton("cmdSave", QStyle::SP_DialogSaveButton, this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdCancel);
    buttons->addStretch();
    buttons->addWidget(cmdDefault);
    buttons->addWidget(cmdSave);
    connect(cmdCancel, &QPushButton::clicked, this, [this] {
        m_dialog.cmdCancel_Click();
        handled();
    });
    connect(cmdDefault, &QPushButton::clicked, this, [this] {
        m_dialog.cmdDefault_Click();
        handled();
    });
    connect(cmdSave, &QPushButton::clicked, this, [this] {
        m_dialog.cmdSave_Click();
        handled();
    });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Frame1);
    layout->addWidget(frmBrowser);
    layout->addWidget(frameSetup);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    render();
}

QCheckBox* SetupForm::makeCheckBox(const char* objectName, CheckBox& state) {
    auto* box = new QCheckBox(this);
    box->setObjectName(objectName);
    // clicked() comes only from the user, never from render() setting the box.
    CheckBox* shown = &state;
    connect(box, &QCheckBox::clicked, this, [shown](bool checked) { shown->checked = checked; });
    return box;
}

QRadioButton* SetupForm::makeOption(const char* objectName, std::function<void()> click) {
    auto* option = new QRadioButton(this);
    option->setObjectName(objectName);
    connect(option, &QRadioButton::clicked, this, [this, click = std::move(click)] {
        click();
        handled();
    });
    return option;
}

void SetupForm::handled() {
    m_afterEvent();
    if (m_wasVisible && !m_dialog.frame.visible) {
        m_wasVisible = false;
        m_closed();
    }
}

void SetupForm::closeEvent(QCloseEvent* event) {
    event->accept();
    if (m_dialog.frame.visible) {
        m_dialog.Form_Unload();
        handled();
    }
}

void SetupForm::reject() {
    close();
}

void SetupForm::render() {
    RenderWindowTitle(*this, m_dialog.frame);
    Frame1->setTitle(ToQString(m_dialog.Frame1.caption));
    frmBrowser->setTitle(ToQString(m_dialog.frmBrowser.caption));
    frameSetup->setTitle(ToQString(m_dialog.frameSetup.caption));
    renderCheckBox(*chkNoFirefox, m_dialog.chkNoFirefox);
    renderCheckBox(*chkNoThumbs, m_dialog.chkNoThumbs);
    renderCheckBox(*chkScanNetworkDrives, m_dialog.chkScanNetworkDrives);
    renderCheckBox(*chkRunHAonStart, m_dialog.chkRunHAonStart);
    renderCheckBox(*chkRunStartUp, m_dialog.chkRunStartUp);
    renderOption(*optBoth, m_dialog.optBoth);
    renderOption(*optFirefoxDisk, m_dialog.optFirefoxDisk);
    renderOption(*optFirefoxCache, m_dialog.optFirefoxCache);
    renderOption(*optIE, m_dialog.optIE);
    const QString days = ToQString(m_dialog.txtDays.text);
    if (txtDays->text() != days)
        txtDays->setText(days);
    RenderLabel(*lblDays, m_dialog.lblDays);
    RenderLabel(*lblDays2, m_dialog.lblDays2);
    cmdCancel->render(m_dialog.cmdCancel);
    cmdDefault->render(m_dialog.cmdDefault);
    cmdSave->render(m_dialog.cmdSave);
    if (m_dialog.frame.visible && !isVisible()) {
        m_wasVisible = true;
        show();
        raise();
        activateWindow();
    } else if (!m_dialog.frame.visible && isVisible()) {
        hide();
    }
}

} // namespace vorlith::desktop
