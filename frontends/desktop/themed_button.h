#pragma once
// isButton on Qt: a push button with its caption, an icon from the desktop's style and a
// two-part tooltip (bold title, then the text).

#include "app/main_window/controls.h"

#include <QPushButton>
#include <QStyle>

namespace vorlith::desktop {

class ThemedButton final : public QPushButton {
public:
    ThemedButton(const char* objectName, QStyle::StandardPixmap icon, QWidget* parent);

    /// Shows the button's state; changes nothing that is already shown.
    void render(const Button& button);

private:
    std::string m_caption, m_tooltipTitle, m_tooltipText;
};

/// Enabled and visible flags plus the text, for widgets that are not buttons.
QString ToQString(const std::string& text);

} // namespace vorlith::desktop
