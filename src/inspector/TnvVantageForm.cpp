#include "TnvVantageForm.h"

#include "TnvLogPage.h"
#include "TnvQuietWriter.h"
#include "TnvSideTabWidget.h"
#include "TnvVantageMenus.h"

#include <TnvError.h>
#include <TnvSharedControl.h>
#include <TnvVantage.h>

#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QMenu>
#include <QMenuBar>
#include <QTabBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWhatsThis>

namespace {

constexpr int kContextHelpCommand = 8;
constexpr int kDeviceGroupHeight = 48;

} // namespace

TnvVantageForm::TnvVantageForm(TnvSharedControl* control, const Frame& frame)
    : m_control(control)
    , m_tabIcon(frame.tabIcon)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QLatin1String(frame.objectName));
    setWindowFlags(Qt::Window | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint
                   | Qt::WindowContextHelpButtonHint);
    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(frame.margins);
    m_layout->setSpacing(frame.spacing);
    m_mainMenu = new QMenuBar(this);
    m_mainMenu->setObjectName(QLatin1String(frame.menuName));
    // The window places the Vantage menu among its own menus.
    MenuVantage = new QMenu(QStringLiteral("&Vantage"), m_mainMenu);
    MenuVantage->setObjectName(QStringLiteral("MenuVantage"));
    MenuDevEnv = TnvVantageMenus::addDevEnvMenu(MenuVantage, control->Vantage(), this,
                                                [this](TDevEnv env) { selectDevEnv(env); }, devEnvItems);
    m_layout->setMenuBar(m_mainMenu);

    GroupBoxDevice = nullptr;
    ComboBoxDevice = nullptr;
    PageControl1 = nullptr;
    logPage = nullptr;
    m_pageMinimum = frame.pageMinimum;
}

QList<QToolButton*> TnvVantageForm::makeFrame(const QList<DeviceButton>& buttons, const QString& listHint)
{
    GroupBoxDevice = new QGroupBox(this);
    GroupBoxDevice->setObjectName(QStringLiteral("GroupBoxDevice"));
    GroupBoxDevice->setFixedHeight(kDeviceGroupHeight);
    auto* row = new QHBoxLayout(GroupBoxDevice);
    row->setContentsMargins(4, 2, 4, 4);
    row->setSpacing(4);
    QList<QToolButton*> made;
    for (const DeviceButton& entry : buttons) {
        auto* button = new QToolButton(GroupBoxDevice);
        button->setObjectName(QLatin1String(entry.name));
        button->setToolTip(entry.hint);
        button->setCheckable(true);
        button->setAutoRaise(true);
        button->setFixedSize(23, 22);
        button->setIcon(entry.icon);
        row->addWidget(button);
        made << button;
    }
    ComboBoxDevice = new QComboBox(GroupBoxDevice);
    ComboBoxDevice->setObjectName(QStringLiteral("ComboBoxDevice"));
    ComboBoxDevice->setToolTip(listHint);
    ComboBoxDevice->setEditable(true);
    ComboBoxDevice->setInsertPolicy(QComboBox::NoInsert);
    row->addWidget(ComboBoxDevice, 1);
    m_layout->addWidget(GroupBoxDevice);

    // Made after the device group, so that the focus moves from the group to the pages.
    PageControl1 = new TnvSideTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setIconSize(QSize(16, 16));
    PageControl1->setUsesScrollButtons(false);
    PageControl1->setMinimumSize(m_pageMinimum);
    logPage = new TnvLogPage(m_control, PageControl1);
    addPage(logPage, QStringLiteral("Log"));
    setTabIcon(0, 0);
    connect(logPage, &TnvLogPage::errorIndicatorChanged, this, [this](bool lit) { setTabIcon(0, lit ? 1 : 0); });
    return made;
}

void TnvVantageForm::addPage(QWidget* page, const QString& caption)
{
    const int index = PageControl1->addTab(page, caption);
    PageControl1->tabBar()->setTabData(index, -1);
}

void TnvVantageForm::finishLayout(int pageWidth, int pageHeight)
{
    m_layout->addWidget(PageControl1, 1);
    PageControl1->setCurrentWidget(logPage);
    // The client area is the page control and the rows above it, with its margins.
    const QMargins margins = m_layout->contentsMargins();
    const int top = margins.top() + m_mainMenu->sizeHint().height() + GroupBoxDevice->height() + m_layout->spacing();
    // Wide enough for the whole menu bar: no menu starts hidden behind its overflow button.
    const int width = qMax(margins.left() + pageWidth + margins.right(), m_mainMenu->sizeHint().width());
    resize(QSize(width, top + pageHeight + 4).expandedTo(minimumSizeHint()));
}

void TnvVantageForm::showDevices(int id, int count, const QStringList& names)
{
    TnvQuietWriter::setTitle(GroupBoxDevice, m_control->Vantage()->Notate(QStringLiteral("Device.ID = ") + QString::number(id)
                                                                          + QStringLiteral("    Device.Count = ")
                                                                          + QString::number(count)));
    TnvQuietWriter::setList(ComboBoxDevice, names, count ? id : -1);
}

// --- Window interface -----------------------------------------------------------

void TnvVantageForm::selectLogPage()
{
    PageControl1->setCurrentWidget(logPage);
}

void TnvVantageForm::selectInitialPage(bool)
{
    selectLogPage();
}

void TnvVantageForm::closeWindow()
{
    // The settings already forgot this window; nothing may report back to them.
    releaseVantage();
    detach();
    close();
}

void TnvVantageForm::detach()
{
    m_control = nullptr;
    logPage->detach();
}

void TnvVantageForm::refreshLogView()
{
    if (m_control)
        logPage->refreshLogView();
}

void TnvVantageForm::refreshErrorDisplay()
{
    if (m_control && m_control->Error()->Number() != 0)
        ShowError();
}

bool TnvVantageForm::copyLogToClipboard()
{
    return m_control && logPage->copyToClipboard();
}

void TnvVantageForm::ShowError()
{
    if (!m_control)
        return;
    logPage->showError();
    setTabIcon(0, 1);
}

// --- DevEnv and hints -----------------------------------------------------------

void TnvVantageForm::selectDevEnv(TDevEnv env)
{
    if (!m_control)
        return;
    for (int i = 0; i < 4; ++i)
        devEnvItems[std::size_t(i)]->setChecked(TnvVantageMenus::devEnvAt(i) == env);
    m_control->Vantage()->setDevEnv(env);
    applyDevEnv();
}

void TnvVantageForm::setHint(std::initializer_list<const char*> names, const QString& text)
{
    const QString notated = m_control->Vantage()->Notate(text);
    for (const char* name : names) {
        if (auto* widget = findChild<QWidget*>(QLatin1String(name)))
            widget->setToolTip(notated);
    }
}

// --- Tabs -----------------------------------------------------------------------

void TnvVantageForm::setTabIcon(int page, int index)
{
    QTabBar* bar = PageControl1->tabBar();
    if (bar->tabData(page).toInt() == index)
        return;
    bar->setTabData(page, index);
    // Through the bar: the page control would lay out all its pages again for a tab
    // whose size does not change.
    bar->setTabIcon(page, m_tabIcon(index));
}

void TnvVantageForm::setTabText(int page, const QString& text)
{
    if (PageControl1->tabText(page) != text)
        PageControl1->tabBar()->setTabText(page, text);
}

int TnvVantageForm::tabIconIndex(int page) const
{
    return PageControl1->tabBar()->tabData(page).toInt();
}

// --- Lifetime and placement -----------------------------------------------------

void TnvVantageForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_shownOnce || !m_control)
        return;
    // The first show writes everything once more in the chosen notation.
    m_shownOnce = true;
    selectDevEnv(m_control->Vantage()->DevEnv());
}

void TnvVantageForm::closeEvent(QCloseEvent* event)
{
    QWidget::closeEvent(event);
    if (!event->isAccepted())
        return;
    // The window is freed once closed; the control stops calling into it at once, so
    // a window reopened before this one is gone is a new one.
    if (TnvVantage* settings = releaseVantage()) {
        settings->windowClosed();
        settings->windowDestroyed();
    }
    detach();
}

bool TnvVantageForm::event(QEvent* event)
{
    // The title bar's help button asks for context help.
    if (event->type() == QEvent::EnterWhatsThisMode && vantage()) {
        QWhatsThis::leaveWhatsThisMode();
        vantage()->ContextHelp(kContextHelpCommand, 0);
        return true;
    }
    return QWidget::event(event);
}
