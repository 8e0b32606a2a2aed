#include "TnvBasicVantage.h"

#include "TnvLogPage.h"
#include "TnvWindowPlacement.h"

#include <TnvError.h>
#include <TnvSharedControl.h>
#include <TnvVantage.h>

#include <QCloseEvent>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>

#include <utility>

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

TnvBasicVantage::~TnvBasicVantage()
{
    if (TnvVantage* vantage = std::exchange(m_vantage, nullptr))
        vantage->windowDestroyed();
}

void TnvBasicVantage::initialise(TnvVantage* vantage)
{
    m_vantage = vantage;
    refreshLogView();
}

void TnvBasicVantage::setCaption(const QString& caption)
{
    setWindowTitle(caption);
}

void TnvBasicVantage::setStayOnTop(bool stayOnTop)
{
    TnvWindowPlacement::setStayOnTop(this, stayOnTop);
}

void TnvBasicVantage::setPlacement(int top, int left, int width, int height)
{
    TnvWindowPlacement::setPlacement(this, top, left, width, height);
}

QRect TnvBasicVantage::normalGeometry() const
{
    return TnvWindowPlacement::normalGeometry(this);
}

TWindowState TnvBasicVantage::windowState() const
{
    return TnvWindowPlacement::windowState(this);
}

void TnvBasicVantage::setWindowState(TWindowState state)
{
    TnvWindowPlacement::setWindowState(this, state);
}

void TnvBasicVantage::showWindow()
{
    show();
    raise();
    activateWindow();
    // The placement is known from the first show, even if the window never moves.
    reportPlacement();
}

void TnvBasicVantage::selectLogPage()
{
    m_pages->setCurrentWidget(m_logPage);
}

void TnvBasicVantage::selectInitialPage(bool)
{
    // The Log page is the only page.
    selectLogPage();
}

void TnvBasicVantage::fillPanes()
{
    refreshLogView();
    refreshErrorDisplay();
}

void TnvBasicVantage::closeWindow()
{
    // The settings already forgot this window; nothing may report back to them.
    m_vantage = nullptr;
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
    if (m_vantage)
        m_vantage->windowClosed();
    QWidget::closeEvent(event);
}

void TnvBasicVantage::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    reportPlacement();
}

void TnvBasicVantage::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    reportPlacement();
}

void TnvBasicVantage::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        reportPlacement();
}

void TnvBasicVantage::reportPlacement()
{
    if (m_vantage && isVisible())
        m_vantage->windowPlacementChanged(normalGeometry(), windowState());
}
