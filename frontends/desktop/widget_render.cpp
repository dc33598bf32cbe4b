#include "widget_render.h"

#include "themed_button.h"

#include <QPalette>
#include <QPixmap>

namespace vorlith::desktop {

QLabel* MakeLabel(const char* objectName, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(objectName);
    return label;
}

QHBoxLayout* MakeLogoHeader(QWidget* parent, QLabel* versionLabel) {
    auto* logo = new QLabel(parent);
    logo->setObjectName("imgLogo");
    logo->setPixmap(QPixmap(":/logo.gif"));
    versionLabel->setAlignment(Qt::AlignRight | Qt::AlignTop);
    auto* header = new QHBoxLayout;
    header->addWidget(logo);
    header->addStretch();
    header->addWidget(versionLabel);
    return header;
}

void RenderWindowTitle(QWidget& widget, const WindowFrame& frame) {
    const QString caption = ToQString(frame.caption);
    if (widget.windowTitle() != caption)
        widget.setWindowTitle(caption);
}

void RenderLabel(QLabel& widget, const Label& label) {
    const QString text = ToQString(label.caption);
    if (widget.text() != text)
        widget.setText(text);
    if (widget.isVisibleTo(widget.parentWidget()) != label.visible)
        widget.setVisible(label.visible);
    // The colour is kept as a property so that an unchanged colour costs no palette work.
    const QVariant shown = widget.property("vorlithColor");
    if (!shown.isValid() || shown.toUInt() != label.color) {
        widget.setProperty("vorlithColor", label.color);
        QPalette palette = widget.palette();
        if (label.color == kButtonTextColor)
            palette.setColor(QPalette::WindowText, palette.color(QPalette::ButtonText));
        else if (label.color == 0)
            palette.setColor(QPalette::WindowText, QPalette().color(QPalette::WindowText));
        else
            palette.setColor(QPalette::WindowText, QColor::fromRgb(label.color));
        widget.setPalette(palette);
    }
    // A label the form made bold stays bold; the state can only add boldness.
    if (label.bold && !widget.font().bold()) {
        QFont font = widget.font();
        font.setBold(true);
        widget.setFont(font);
    }
}

void SyncTimer(QTimer& timer, const Timer& state) {
    const int interval = state.intervalMs > 0 ? state.intervalMs : 1;
    if (timer.interval() != interval)
        timer.setInterval(interval);
    if (state.enabled && !timer.isActive())
        timer.start();
    else if (!state.enabled && timer.isActive())
        timer.stop();
}

QTimer* MakeTimer(QObject* parent, const char* objectName, std::function<void()> tick) {
    auto* timer = new QTimer(parent);
    timer->setObjectName(objectName);
    QObject::connect(timer, &QTimer::timeout, parent, std::move(tick));
    return timer;
}

} // namespace vorlith::desktop
