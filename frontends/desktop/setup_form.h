#pragma once
// frmSetup on Qt: the settings a user changes, shown beside the main window (not modal).

#include "app/setup_dialog.h"
#include "themed_button.h"

#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include <functional>

namespace vorlith::desktop {

class SetupForm final : public QDialog {
public:
    /// closed runs when the dialog has closed (the focus goes back to the main window).
    SetupForm(SetupDialog& dialog, std::function<void()> afterEvent, std::function<void()> closed);

    void render();

    QGroupBox *Frame1, *frmBrowser, *frameSetup;
    QCheckBox *chkNoFirefox, *chkNoThumbs, *chkScanNetworkDrives, *chkRunHAonStart, *chkRunStartUp;
    QRadioButton *optBoth, *optFirefoxDisk, *optFirefoxCache, *optIE;
    QLineEdit* txtDays;
    QLabel *lblDays, *lblDays2;
    ThemedButton *cmdCancel, *cmdDefault, *cmdSave;

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    QCheckBox* makeCheckBox(const char* objectName, CheckBox& state);
    /// click runs when the user picks the option.
    QRadioButton* makeOption(const char* objectName, std::function<void()> click);
    void handled();

    SetupDialog& m_dialog;
    std::function<void()> m_afterEvent;
    std::function<void()> m_closed;
    bool m_wasVisible = false;
};

} // namespace vorlith::desktop
