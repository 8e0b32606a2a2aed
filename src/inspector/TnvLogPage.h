#pragma once

// The Log page of every inspector window: the tool row (error indicator, clear,
// active, time stamp, marker, dump, copy, print, count) over a read-only copy of the
// control's trace log.
//
// A trace can bring thousands of lines a second, and laying out and painting the memo
// for each would cost far more than writing them. So a refresh only marks the memo
// stale; it catches up with the log at most once per turn of the event loop, and no
// sooner than a display frame after the last time, in one edit. Whatever reads the memo
// (copy, print, memo()) brings it up to date first, so nobody sees a stale copy.

#include <QElapsedTimer>
#include <QStringList>
#include <QTimer>
#include <QWidget>

class QLineEdit;
class QPlainTextEdit;
class QToolButton;
class TnvSharedControl;

class TnvLogPage : public QWidget {
    Q_OBJECT

public:
    TnvLogPage(TnvSharedControl* control, QWidget* parent = nullptr);

    // Mirrors the log's settings at once and its lines soon (see flush), without writing
    // anything to the log.
    void refreshLogView();
    // Brings the memo's lines up to date with the log now.
    void flush();
    // Lights the error indicator until the user resets it.
    void showError();
    bool copyToClipboard();
    // Forgets the control, whose window is going: nothing reads it any more.
    void detach();
    // Asks for a printer (unless told not to) and prints the log in the memo's font;
    // a failure to print is told in a message box.
    bool print(bool askUser = true);

    // The memo, brought up to date first.
    QPlainTextEdit* memo();
    bool errorShown() const;

signals:
    void errorIndicatorChanged(bool lit);

private:
    void activeClicked(bool down);
    void timeStampClicked(bool down);
    void countEdited();
    void resetErrors();
    void mirrorSettings();
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
    bool m_stale = false;
    QTimer m_flushTimer;
    QElapsedTimer m_sinceFlush;
};
