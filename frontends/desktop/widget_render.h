#pragma once
// Small helpers that show the core's control states on Qt widgets, touching a widget only when
// what it shows changes.

#include "app/main_window/controls.h"

#include <QLabel>
#include <QTimer>

#include <functional>

namespace vorlith::desktop {

/// Text, visibility and colour of a label.
void RenderLabel(QLabel& widget, const Label& label);

/// Starts or stops a Qt timer as the core's timer says; the interval follows it too.
void SyncTimer(QTimer& timer, const Timer& state);

/// Makes a timer that calls tick on each timeout, for a core timer.
QTimer* MakeTimer(QObject* parent, const char* objectName, std::function<void()> tick);

} // namespace vorlith::desktop
