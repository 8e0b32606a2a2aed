#pragma once

// Acting on widgets as a person does.

#include <QCoreApplication>
#include <QFocusEvent>
#include <QWidget>

// Leaving a widget as the user does: the focus goes elsewhere by the keyboard.
inline void leaveByKeyboard(QWidget* widget)
{
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(widget, &out);
}
