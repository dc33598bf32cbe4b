#pragma once
// Small helpers that show the core's control states on Qt widgets, touching a widget only when
// what it shows changes.

#include "app/main_window/controls.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QTimer>

#include <functional>

namespace vorlith::desktop {

/// A label carrying the control's name as its object name.
QLabel* MakeLabel(const char* objectName, QWidget* parent);

/// The row every window starts with: the logo on the left, the version label on the right.
QHBoxLayout* MakeLogoHeader(QWidget* parent, QLabel* versionLabel);

/// The window's caption as its title, set only when it changed.
void RenderWindowTitle(QWidget& widget, const WindowFrame& frame);

/// Text, visibility and colour of a label.
void RenderLabel(QLabel& widget, const Label& label);

/// Starts or stops a Qt timer as the core's timer says; the interval follows it too.
void SyncTimer(QTimer& timer, const Timer& state);

/// Makes a timer that calls tick on each timeout, for a core timer.
QTimer* MakeTimer(QObject* parent, const char* objectName, std::function<void()> tick);

} // namespace vorlith::desktop
