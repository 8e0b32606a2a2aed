#include "TnvLogPage.h"

#include "TnvQtHostServices.h"

#include <TnvLog.h>
#include <TnvSharedControl.h>
#include <TnvVantage.h>

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTextBlock>
#include <QTextCursor>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// The shortest time between two catch-ups of the memo: about one display frame.
constexpr qint64 kFlushIntervalMs = 20;

} // namespace

TnvLogPage::TnvLogPage(TnvSharedControl* control, QWidget* parent)
    : QWidget(parent)
    , m_control(control)
{
    setObjectName(QStringLiteral("TabSheetLog"));
    const QString kind = TnvSharedControl::KindText(control->Kind());
    TnvVantage* vantage = control->Vantage();

    m_errors = addButton(QStringLiteral("SpeedButtonErrors"), QStringLiteral("Error enunciator - Click to reset"),
                         QStringLiteral("!"));
    m_errors->setIcon(style()->standardIcon(QStyle::SP_MessageBoxWarning));
    m_errors->setEnabled(false);
    m_clear = addButton(QStringLiteral("SpeedButtonClear"), QStringLiteral("Clear log and reset enunciators"),
                        QStringLiteral("Clear"));
    m_active = addButton(QStringLiteral("CheckBoxLogActive"), vantage->Notate(kind + QStringLiteral("~Vantage.Log.Active")),
                         QStringLiteral("Active"));
    m_active->setCheckable(true);
    m_timeStamp = addButton(QStringLiteral("CheckBoxLogTimeStamp"),
                            vantage->Notate(kind + QStringLiteral("~Vantage.Log.TimeStamp")), QStringLiteral("Time"));
    m_timeStamp->setCheckable(true);
    m_marker = addButton(QStringLiteral("SpeedButtonMarker"), QStringLiteral("Add marker to log"), QStringLiteral("***"));
    m_dump = addButton(QStringLiteral("SpeedButtonDump"), QStringLiteral("Dump property values to the log"),
                       QStringLiteral("Dump"));
    m_copy = addButton(QStringLiteral("SpeedButtonCopy"), QStringLiteral("Copy log to clipboard"), QStringLiteral("Copy"));
    m_printer = addButton(QStringLiteral("SpeedButtonPrinter"), QStringLiteral("Print log"), QStringLiteral("Print"));

    auto* countLabel = new QLabel(QStringLiteral("Count"), this);
    countLabel->setObjectName(QStringLiteral("LabelLogCount"));
    m_count = new QLineEdit(this);
    m_count->setObjectName(QStringLiteral("EditLogCount"));
    m_count->setToolTip(vantage->Notate(kind + QStringLiteral("~Vantage.Log.Count")));
    m_count->setMaximumWidth(60);

    m_memo = new QPlainTextEdit(this);
    m_memo->setObjectName(QStringLiteral("MemoLog"));
    m_memo->setToolTip(vantage->Notate(kind + QStringLiteral("~Vantage.Log.Lines")));
    m_memo->setReadOnly(true);
    m_memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_memo->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // Nobody undoes a read-only copy; keeping its edits would only cost time and memory.
    m_memo->setUndoRedoEnabled(false);
    m_flushTimer.setSingleShot(true);
    connect(&m_flushTimer, &QTimer::timeout, this, &TnvLogPage::flush);

    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(1);
    for (QToolButton* button : {m_errors, m_clear, m_active, m_timeStamp, m_marker, m_dump, m_copy, m_printer})
        row->addWidget(button);
    row->addSpacing(8);
    row->addWidget(countLabel);
    row->addWidget(m_count);
    row->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addLayout(row);
    layout->addWidget(m_memo);

    connect(m_errors, &QToolButton::clicked, this, &TnvLogPage::resetErrors);
    connect(m_clear, &QToolButton::clicked, this, [this] {
        resetErrors();
        if (m_control)
            m_control->Log()->Clear();
    });
    connect(m_active, &QToolButton::clicked, this, &TnvLogPage::activeClicked);
    connect(m_timeStamp, &QToolButton::clicked, this, &TnvLogPage::timeStampClicked);
    connect(m_marker, &QToolButton::clicked, this, [this] {
        if (m_control)
            m_control->Log()->Add(true, QStringLiteral("MARKER"));
    });
    connect(m_dump, &QToolButton::clicked, this, [this] {
        if (m_control)
            m_control->LogProperties(QStringLiteral("Current %1 property values:").arg(TnvSharedControl::KindText(m_control->Kind())),
                                 QString(), QString());
    });
    connect(m_copy, &QToolButton::clicked, this, [this] {
        if (m_control)
            m_control->Log()->CopyToClipboard();
    });
    connect(m_printer, &QToolButton::clicked, this, [this] { print(true); });
    connect(m_count, &QLineEdit::editingFinished, this, &TnvLogPage::countEdited);
}

QToolButton* TnvLogPage::addButton(const QString& name, const QString& hint, const QString& text)
{
    auto* button = new QToolButton(this);
    button->setObjectName(name);
    button->setToolTip(hint);
    button->setText(text);
    button->setAutoRaise(true);
    button->setMinimumSize(24, 24);
    return button;
}

void TnvLogPage::detach()
{
    m_flushTimer.stop();
    m_stale = false;
    m_control = nullptr;
}

void TnvLogPage::refreshLogView()
{
    if (!m_control)
        return;
    mirrorSettings();
    m_stale = true;
    if (m_flushTimer.isActive())
        return;
    const qint64 since = m_sinceFlush.isValid() ? m_sinceFlush.elapsed() : kFlushIntervalMs;
    m_flushTimer.start(int(std::max<qint64>(0, kFlushIntervalMs - since)));
}

void TnvLogPage::mirrorSettings()
{
    TnvLog* log = m_control->Log();
    // Mirroring the settings must not assign them again.
    const QSignalBlocker blockActive(m_active);
    const QSignalBlocker blockStamp(m_timeStamp);
    const QSignalBlocker blockCount(m_count);
    m_active->setChecked(log->Active());
    const QString count = QString::number(log->Count());
    if (m_count->text() != count)
        m_count->setText(count);
    m_timeStamp->setChecked(log->TimeStamp());
}

void TnvLogPage::flush()
{
    m_flushTimer.stop();
    if (!m_stale || !m_control)
        return;
    m_stale = false;
    m_sinceFlush.start();
    const QStringList& lines = m_control->Log()->Lines();
    qsizetype count = lines.size();
    while (count > 0 && lines.at(count - 1).trimmed().isEmpty())
        --count;
    showLines(count == lines.size() ? lines : lines.mid(0, count));
    m_memo->verticalScrollBar()->setValue(m_memo->verticalScrollBar()->maximum());
}

QPlainTextEdit* TnvLogPage::memo()
{
    flush();
    return m_memo;
}

void TnvLogPage::showLines(const QStringList& lines)
{
    // Usually lines left at the top and others came at the bottom: find where the log
    // now starts within what is shown and edit just the two ends, in one edit so the
    // memo lays itself out once.
    const qsizetype shown = m_shown.size();
    for (qsizetype dropped = 0; dropped < shown; ++dropped) {
        const qsizetype kept = shown - dropped;
        if (lines.size() < kept || m_shown.at(dropped) != lines.first()
            || !std::equal(m_shown.cbegin() + dropped, m_shown.cend(), lines.cbegin()))
            continue;
        QTextCursor cursor(m_memo->document());
        cursor.beginEditBlock();
        if (dropped > 0) {
            cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor, int(dropped));
            cursor.removeSelectedText();
        }
        if (kept < lines.size()) {
            QString added;
            for (qsizetype i = kept; i < lines.size(); ++i)
                added.append(QLatin1Char('\n')).append(lines.at(i));
            cursor.movePosition(QTextCursor::End);
            cursor.insertText(added);
        }
        cursor.endEditBlock();
        m_shown = lines;
        return;
    }
    m_memo->setPlainText(lines.join(QLatin1Char('\n')));
    m_shown = lines;
}

void TnvLogPage::showError()
{
    // Only a change repaints: an error on every message must not repaint each time.
    if (m_errors->isEnabled())
        return;
    m_errors->setEnabled(true);
    emit errorIndicatorChanged(true);
}

bool TnvLogPage::errorShown() const
{
    return m_errors->isEnabled();
}

void TnvLogPage::resetErrors()
{
    m_errors->setEnabled(false);
    emit errorIndicatorChanged(false);
}

bool TnvLogPage::copyToClipboard()
{
    flush();
    m_memo->selectAll();
    m_memo->copy();
    return true;
}

bool TnvLogPage::print(bool askUser)
{
    flush();
    auto* services = TnvQtHostServices::current();
    if (!services || !m_control)
        return false;
    if (askUser && services->printer() && !services->choosePrinter(this))
        return false;
    services->setPrintFont(m_memo->font());
    if (m_control->Log()->Print())
        return true;
    // The log keeps quiet about printer failures; the person who asked is told here.
    services->prompt({QStringLiteral("The log could not be printed: no printer is available, or the printer "
                                     "refused the job."),
                      QStringLiteral("Print log"), TnvPrompt::Ok, TnvPrompt::Error});
    return false;
}

void TnvLogPage::activeClicked(bool down)
{
    if (!m_control)
        return;
    m_control->Log()->setActive(down);
    refreshLogView();
}

void TnvLogPage::timeStampClicked(bool down)
{
    if (!m_control)
        return;
    m_control->Log()->setTimeStamp(down);
    refreshLogView();
}

void TnvLogPage::countEdited()
{
    if (!m_control)
        return;
    // Text that is no number counts as 0, which the log ignores.
    const int value = m_count->text().trimmed().toInt();
    if (value != m_control->Log()->Count())
        m_control->Log()->setCount(value);
}
