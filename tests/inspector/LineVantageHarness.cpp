#include "LineVantageHarness.h"

#include "Screenshot.h"

#include <ServiceControl.h>
#include <TnvBasicVantage.h>
#include <TnvInspector.h>
#include <TnvLineDevice.h>
#include <TnvLinePrivate.h>
#include <TnvVantage.h>

#include <QApplication>

void LineVantageHarness::SetUp()
{
    TnvInspector::setUp();
    TnvVantage::registerWindowFactory(ckLine, [this](TnvVantage& vantage) -> TnvVantageWindow* {
        if (auto* line = qobject_cast<TnvLine*>(vantage.owner()))
            return new RecordingLineVantage(line, &m_snapshots);
        return new TnvBasicVantage(vantage.owner());
    });
    TnvLinePrivate::setRememberedActiveRequest(false);
    InstantServiceTest::SetUp();
}

void LineVantageHarness::TearDown()
{
    m_line.reset();
    // Windows closed by the test go at the next turn of the event loop.
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    TnvVantage::registerWindowFactory(ckLine, [](TnvVantage& vantage) -> TnvVantageWindow* {
        if (auto* line = qobject_cast<TnvLine*>(vantage.owner()))
            return new TnvLineVantage(line);
        return new TnvBasicVantage(vantage.owner());
    });
    InstantServiceTest::TearDown();
}

void LineVantageHarness::makeLine(bool active)
{
    m_line = std::make_unique<TnvLine>();
    m_line->setObjectName(QStringLiteral("nvLine1"));
    m_line->Device()->setIdleDelay(0);
    m_line->setEnabled(true);
    if (active)
        m_line->Device()->setActive(true);
}

RecordingLineVantage* LineVantageHarness::openWindow()
{
    m_line->Vantage()->setVisible(true);
    return window();
}

RecordingLineVantage* LineVantageHarness::window() const
{
    return m_line ? dynamic_cast<RecordingLineVantage*>(m_line->Vantage()->window()) : nullptr;
}

bool LineVantageHarness::waitForState(quint32 state)
{
    return waitUntil([&] { return m_line->Call()->State() == state; });
}

bool LineVantageHarness::dialAndWait(const QString& number, quint32 state)
{
    m_line->Call()->setPhoneNumber(number);
    m_line->Call()->Dial();
    return waitForState(state);
}

void LineVantageHarness::screenshot(QWidget* widget, const QString& name)
{
    keepScreenshot(widget, name, QStringLiteral(LINKORA_SCREENSHOT_DIR));
}

QTreeWidgetItem* LineVantageHarness::findRow(QTreeWidget* tree, const QString& prefix)
{
    std::function<QTreeWidgetItem*(QTreeWidgetItem*)> search = [&](QTreeWidgetItem* item) -> QTreeWidgetItem* {
        if (item->text(0).startsWith(prefix))
            return item;
        for (int i = 0; i < item->childCount(); ++i) {
            if (QTreeWidgetItem* found = search(item->child(i)))
                return found;
        }
        return nullptr;
    };
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        if (QTreeWidgetItem* found = search(tree->topLevelItem(i)))
            return found;
    }
    return nullptr;
}
