#pragma once

// The Log page of every inspector window: the tool row (error indicator, clear,
// active, time stamp, marker, dump, copy, print, count) over a read-only copy of the
// control's trace log.

#include <QStringList>
#include <QWidget>

class QLineEdit;
class QPlainTextEdit;
class QToolButton;
class TnvSharedControl;

class TnvLogPage : public QWidget {
    Q_OBJECT

public:
    TnvLogPage(TnvSharedControl* control, QWidget* parent = nullptr);

    // Mirrors the log's settings and lines without writing anything to the log.
    void refreshLogView();
    // Lights the error indicator until the user resets it.
    void showError();
    bool copyToClipboard();
    // Asks for a printer (unless told not to) and prints the log in the memo's font.
    bool print(bool askUser = true);

    QPlainTextEdit* memo() const { return m_memo; }
    bool errorShown() const;

signals:
    void errorIndicatorChanged(bool lit);

private:
    void activeClicked(bool down);
    void timeStampClicked(bool down);
    void countEdited();
    void resetErrors();
    void showLines(const QStringList& lines);
    QToolButton* addButton(const QString& name, const QString& hint, const QString& text);

    TnvSharedControl* m_control;
    QToolButton* m_errors;
    QToolButton* m_clear;
    QToolButton* m_active;
    QToolButton* m_timeStamp;
    QToolButton* m_marker;
    QToolButton* m_dump;
    QToolButton* m_copy;
    QToolButton* m_printer;
    QLineEdit* m_count;
    QPlainTextEdit* m_memo;
    QStringList m_shown; // what the memo holds, line by line
};
