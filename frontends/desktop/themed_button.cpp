#include "themed_button.h"

namespace vorlith::desktop {

QString ToQString(const std::string& text) {
    return QString::fromUtf8(text.data(), text.size());
}

ThemedButton::ThemedButton(const char* objectName, QStyle::StandardPixmap icon, QWidget* parent)
    : QPushButton(parent) {
    setObjectName(objectName);
    setIcon(style()->standardIcon(icon));
    setAutoDefault(false);
    setMinimumHeight(32);
}

void ThemedButton::render(const Button& button) {
    if (button.caption != m_caption) {
        m_caption = button.caption;
        // The captions keep their leading blanks as the gap between icon and text.
        setText(ToQString(button.caption));
    }
    if (button.tooltipTitle != m_tooltipTitle || button.tooltipText != m_tooltipText) {
        m_tooltipTitle = button.tooltipTitle;
        m_tooltipText = button.tooltipText;
        setToolTip(QStringLiteral("<b>%1</b><br/>%2")
                       .arg(ToQString(button.tooltipTitle).toHtmlEscaped(),
                            ToQString(button.tooltipText).toHtmlEscaped()));
    }
    if (isEnabled() != button.enabled)
        setEnabled(button.enabled);
    if (isVisibleTo(parentWidget()) != button.visible)
        setVisible(button.visible);
}

} // namespace vorlith::desktop
