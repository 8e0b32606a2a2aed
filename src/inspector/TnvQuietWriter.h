#pragma once

// Writes a value into an input widget with the widget's signals blocked, so that
// showing the control's state never runs the widget's own action back into the
// control. Each write touches the widget only when the value differs, which keeps a
// refresh cheap when little changed.

#include <QString>
#include <QStringList>

class QAbstractButton;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;

class TnvQuietWriter {
public:
    static void setText(QLineEdit* edit, const QString& text);
    static void setChecked(QAbstractButton* button, bool checked);
    static void setTitle(QGroupBox* group, const QString& title);
    // Items become a copy of names (only rebuilt when they differ); selects index when
    // it is one of them, otherwise shows an empty text.
    static void setList(QComboBox* box, const QStringList& names, int index);
    // Shows text in an editable combo box without selecting an entry.
    static void setComboText(QComboBox* box, const QString& text);
};
