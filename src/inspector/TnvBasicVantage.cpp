#include "TnvBasicVantage.h"

#include "TnvLogPage.h"

#include <TnvError.h>
#include <TnvSharedControl.h>
#include <TnvVantage.h>

#include <QCloseEvent>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>

TnvBasicVantage::TnvBasicVantage(TnvSharedControl* control)
    : m_control(control)
    , m_pages(new QTabWidget(this))
    , m_logPage(new TnvLogPage(control, m_pages))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("Vantage"));
    m_pages->setObjectName(QStringLiteral("PageControl1"));
    m_pages->addTab(m_logPage, QStringLiteral("Log"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(m_pages);
    resize(560, 380);
    connect(m_logPage, &TnvLogPage::errorIndicatorChanged, this, [this](bool lit) {
        m_pages->setTabIcon(m_pages->indexOf(m_logPage), lit ? style()->standardIcon(QStyle::SP_MessageBoxWarning) : QIcon());
    });
}

void TnvBasicVantage::selectLogPage()
{
    m_pages->setCurrentWidget(m_logPage);
}

void TnvBasicVantage::selectInitialPage(bool)
{
    // Nothing to switch between.
    selectLogPage();
}

void TnvBasicVantage::fillPanes()
{
    refreshLogView();
    refreshErrorDisplay();
}

void TnvBasicVantage::closeWindow()
{
    // Already detached from its control: stay silent.
    releaseVantage();
    m_logPage->detach();
    close();
}

void TnvBasicVantage::refreshLogView()
{
    m_logPage->refreshLogView();
}

void TnvBasicVantage::refreshErrorDisplay()
{
    if (m_control->Error()->Number() != 0)
        m_logPage->showError();
}

bool TnvBasicVantage::copyLogToClipboard()
{
    return m_logPage->copyToClipboard();
}

void TnvBasicVantage::closeEvent(QCloseEvent* event)
{
    QWidget::closeEvent(event);
    if (!event->isAccepted())
        return;
    // Detached now; Qt deletes the window later, and a reopen meanwhile gets a fresh one.
    if (TnvVantage* vantage = releaseVantage()) {
        vantage->windowClosed();
        vantage->windowDestroyed();
    }
    m_logPage->detach();
}
