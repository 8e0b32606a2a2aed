#include "DialerHarness.h"

#include "EventLoop.h"
#include "ExpectedLines.h"
#include "Screenshot.h"

#include <TnvLinePrivate.h>
#include <ServiceControl.h>
#include <TnvLine.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QTimer>

void DialerHarness::SetUp()
{
    TnvLinePrivate::setRememberedActiveRequest(false);
    InstantServiceTest::SetUp();
}

void DialerHarness::TearDown()
{
    m_form.reset();
    m_about.reset();
    InstantServiceTest::TearDown();
}

bool DialerHarness::createForm(bool show)
{
    m_about = std::make_unique<TFormAboutBox>();
    m_form = std::make_unique<TForm1>(m_about.get());
    if (!show)
        return true;
    QObject::connect(m_form.get(), &TForm1::firstShown, m_form.get(), [this] {
        // Runs inside the dialog's own loop once it is up.
        QTimer::singleShot(0, m_about.get(), [this] {
            if (m_about->isVisible() && m_about->isModal())
                ++m_aboutShownAtStart;
            m_about->reject();
        });
    });
    m_form->show();
    return waitUntil([this] { return m_aboutShownAtStart > 0 && !m_about->isVisible(); });
}

void DialerHarness::dismissModalDialogs()
{
    auto* timer = new QTimer(m_form.get());
    QObject::connect(timer, &QTimer::timeout, [] {
        if (QWidget* modal = QApplication::activeModalWidget())
            modal->close();
    });
    timer->start(20);
}

QStringList DialerHarness::memoLines() const
{
    const QString text = widget<QPlainTextEdit>("Memo1")->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

bool DialerHarness::waitForLine(const QString& line, int timeoutMs) const
{
    return waitUntil([&] { return memoContains(line); }, timeoutMs);
}

void DialerHarness::expectLines(const QString& name, const QStringList& lines)
{
    expectStoredLines(QStringLiteral(LINKORA_EXPECTED_LOGS "/") + name + QStringLiteral(".txt"), lines, "LINKORA_UPDATE_LOGS");
}

void DialerHarness::screenshot(QWidget* widget, const QString& name)
{
    keepScreenshot(widget, name, QStringLiteral(LINKORA_SCREENSHOT_DIR));
}
