#include "TnvVantage.h"

#include "TnvError.h"
#include "TnvHostServices.h"
#include "TnvLog.h"
#include "TnvNotation.h"
#include "TnvSharedControl.h"
#include "TnvTreeNode.h"
#include "TnvVantageWindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>

#include <utility>

namespace {

QHash<int, TnvVantage::WindowFactory>& factories()
{
    static QHash<int, TnvVantage::WindowFactory> registry;
    return registry;
}

const QString kHomePage = QStringLiteral("https://linkora.example.org/");
const QString kSupportPage = QStringLiteral("https://linkora.example.org/support/");
const QString kUpdatesPage = QStringLiteral("https://linkora.example.org/updates/");

constexpr int kHelpContextPopup = 8;

} // namespace

TnvVantage::TnvVantage(TnvSharedControl* owner)
    : QObject(owner)
    , m_owner(owner)
    , m_log(new TnvLog(owner, this))
{
    setObjectName(QStringLiteral("Vantage"));
}

TnvVantage::~TnvVantage()
{
    if (TnvVantageWindow* window = std::exchange(m_window, nullptr))
        window->closeWindow();
}

// --- Settings -------------------------------------------------------------------

void TnvVantage::setStayOnTop(bool value)
{
    m_stayOnTop = value;
    if (m_window)
        m_window->setStayOnTop(value);
}

void TnvVantage::setVisible(bool value)
{
    m_log->Add(true, QStringLiteral("Vantage.Visible := ") + BoolText(value));
    if (m_visible && !value) {
        if (TnvVantageWindow* window = std::exchange(m_window, nullptr))
            window->closeWindow();
        m_visible = false;
    } else if (!m_visible && value) {
        if (m_window) {
            m_visible = true;
            m_window->showWindow();
        } else {
            OpenWindow();
        }
    }
}

void TnvVantage::setDevEnv(TDevEnv value)
{
    m_devEnv = value;
    m_log->Add(true, QStringLiteral("DevEnv := ") + TnvNotation::devEnvText(value));
}

// --- Placement ------------------------------------------------------------------
// Without a window the position reads as 0 and is forgotten, so a window reopened
// after such a read starts at that edge; a minimised or maximised window keeps its
// last normal position.

int TnvVantage::Top()
{
    if (!m_window)
        m_top = 0;
    else if (m_window->windowState() == wsNormal)
        m_top = m_window->normalGeometry().top();
    return m_top;
}

int TnvVantage::Left()
{
    if (!m_window)
        m_left = 0;
    else if (m_window->windowState() == wsNormal)
        m_left = m_window->normalGeometry().left();
    return m_left;
}

int TnvVantage::Width() const
{
    return m_window ? m_width : 0;
}

int TnvVantage::Height() const
{
    return m_window ? m_height : 0;
}

TWindowState TnvVantage::WindowState()
{
    m_windowState = m_window ? m_window->windowState() : wsNormal;
    return m_windowState;
}

void TnvVantage::setTop(int value)
{
    m_top = value;
    applyPlacement();
}

void TnvVantage::setLeft(int value)
{
    m_left = value;
    applyPlacement();
}

void TnvVantage::setWidth(int value)
{
    m_width = value;
    applyPlacement();
}

void TnvVantage::setHeight(int value)
{
    m_height = value;
    applyPlacement();
}

void TnvVantage::setWindowState(TWindowState value)
{
    m_windowState = value;
    if (m_window)
        m_window->setWindowState(value);
}

void TnvVantage::applyPlacement()
{
    if (m_window)
        m_window->setPlacement(m_top, m_left, m_width, m_height);
}

// --- The window -----------------------------------------------------------------

void TnvVantage::OpenWindow()
{
    if (!m_owner->Enabled()) {
        TnvPrompt ask;
        ask.text = QStringLiteral("This Linkora control is currently disabled\r\nClick OK to enabled.");
        ask.caption = QStringLiteral("Vantage not available...");
        ask.buttons = TnvPrompt::OkCancel;
        if (TnvHostServices::instance().prompt(ask) != TnvHostServices::AnswerOk)
            return;
        m_owner->setEnabled(true);
    }

    const int kind = m_owner->Kind();
    const WindowFactory factory = factories().value(kind);
    TnvVantageWindow* window = factory ? factory(*this) : nullptr;
    if (!window) {
        // FIXME: report this through the log once the wording for it is settled.
        qWarning("No inspector window is registered for control kind %d", kind);
        return;
    }
    m_window = window;

    if (m_top || m_left || m_width || m_height) {
        window->setPlacement(m_top, m_left, m_width, m_height);
        window->setWindowState(m_windowState);
    }
    window->initialise(this);
    window->setCaption(windowCaption(kind));
    window->setStayOnTop(m_stayOnTop);

    m_visible = true;
    const bool isWave = kind == ckPlay || kind == ckRecord;
    window->selectInitialPage(!isWave || m_owner->Error()->Number() != 0 || m_owner->vantageOpensOnLog());
    // The line window fills itself once visible; the others fill before they show.
    if (kind == ckLine) {
        window->showWindow();
        window->fillPanes();
    } else {
        window->fillPanes();
        window->showWindow();
    }
}

void TnvVantage::ShowPopup(bool flag)
{
    if (!flag)
        return;
    if (m_visible && m_window)
        m_window->showWindow();
    else
        OpenWindow();
    if (m_window)
        m_window->selectLogPage();
}

void TnvVantage::windowPlacementChanged(const QRect& normalGeometry, TWindowState state)
{
    m_top = normalGeometry.top();
    m_left = normalGeometry.left();
    m_width = normalGeometry.width();
    m_height = normalGeometry.height();
    m_windowState = state;
}

void TnvVantage::windowClosed()
{
    m_visible = false;
}

void TnvVantage::windowDestroyed()
{
    m_visible = false;
    m_window = nullptr;
}

void TnvVantage::registerWindowFactory(int kind, WindowFactory factory)
{
    factories().insert(kind, std::move(factory));
}

bool TnvVantage::hasWindowFactory(int kind)
{
    return factories().contains(kind);
}

QString TnvVantage::windowCaption(int kind)
{
    return TnvSharedControl::KindText(kind) + QStringLiteral(" - Norvane Vantage");
}

// --- Dump -----------------------------------------------------------------------

bool TnvVantage::LogProperties(const QString& header, const QString& prefix, const QString& indent)
{
    const std::optional<QString> opened = m_log->propertyPath(header, prefix, indent, u"Vantage");
    if (!opened)
        return false;
    const QString& path = *opened;
    m_log->Add(true, path + QStringLiteral("DevEnv = ") + TnvNotation::devEnvText(m_devEnv));
    m_log->Add(false, path + QStringLiteral("Events = ") + BoolText(m_events));
    m_log->Add(false, path + QStringLiteral("Height = ") + QString::number(Height()));
    m_log->Add(false, path + QStringLiteral("Left = ") + QString::number(Left()));
    m_log->Add(false, path + QStringLiteral("StayOnTop = ") + BoolText(m_stayOnTop));
    m_log->Add(false, path + QStringLiteral("Top = ") + QString::number(Top()));
    m_log->Add(false, path + QStringLiteral("Visible = ") + BoolText(m_visible));
    m_log->Add(false, path + QStringLiteral("Width = ") + QString::number(Width()));
    m_log->Add(true, path + QStringLiteral("WindowState = ") + TnvNotation::windowStateText(WindowState()));
    return true;
}

// --- Notation -------------------------------------------------------------------

QString TnvVantage::Notate(const QString& text) const
{
    return TnvNotation::notate(text, m_devEnv);
}

QString TnvVantage::BoolText(bool value)
{
    return TnvNotation::boolText(value);
}

QString TnvVantage::HexText(quint32 value)
{
    return TnvNotation::hexText(value);
}

void TnvVantage::LogFlags(const QString& name, quint32 value, TnvTextFn textFn, quint32 last, quint32 first)
{
    m_log->Add(false, name + QStringLiteral(" = ") + HexText(value));
    TnvNotation::forEachFlag(value, first, last,
                             [&](quint32 bit) { m_log->Add(false, QStringLiteral("\t\t") + textFn(bit)); });
}

void TnvVantage::LogSteps(const QString& name, quint32 value, TnvTextFn textFn, quint32 last, quint32 first)
{
    m_log->Add(false, name + QStringLiteral(" = ") + HexText(value));
    TnvNotation::forEachStep(value, first, last,
                             [&](quint32 step) { m_log->Add(false, QStringLiteral("\t\t") + textFn(step)); });
}

QString TnvVantage::nodeText(const QString& name, quint32 value) const
{
    return Notate(name + QStringLiteral(" = [") + TnvNotation::hex8(value) + QLatin1Char(']'));
}

void TnvVantage::fillNode(TnvTreeNode* node, TnvTreeNodes& nodes, quint32 value, TnvTextFn textFn,
                          quint32 last, quint32 first, bool steps)
{
    const auto add = [&](quint32 part) { nodes.addChild(node, textFn(part)); };
    if (steps)
        TnvNotation::forEachStep(value, first, last, add);
    else
        TnvNotation::forEachFlag(value, first, last, add);
}

TnvTreeNode* TnvVantage::addNode(const QString& name, quint32 value, TnvTextFn textFn, TnvTreeNode* parent,
                                 TnvTreeNodes& nodes, quint32 last, quint32 first, bool steps)
{
    TnvTreeNode* node = nodes.addChild(parent, nodeText(name, value));
    fillNode(node, nodes, value, textFn, last, first, steps);
    return node;
}

void TnvVantage::updateNode(const QString& name, quint32 value, TnvTextFn textFn, TnvTreeNode* node,
                            TnvTreeNodes& nodes, quint32 last, quint32 first, bool steps)
{
    const QString text = nodeText(name, value);
    if (!node || node->text() == text)
        return;
    node->setText(text);
    nodes.deleteChildren(node);
    fillNode(node, nodes, value, textFn, last, first, steps);
}

TnvTreeNode* TnvVantage::AddFlagsNode(const QString& name, quint32 value, TnvTextFn textFn, TnvTreeNode* parent,
                                      TnvTreeNodes& nodes, quint32 last, quint32 first)
{
    return addNode(name, value, textFn, parent, nodes, last, first, false);
}

void TnvVantage::UpdateFlagsNode(const QString& name, quint32 value, TnvTextFn textFn, TnvTreeNode* node,
                                 TnvTreeNodes& nodes, quint32 last, quint32 first)
{
    updateNode(name, value, textFn, node, nodes, last, first, false);
}

TnvTreeNode* TnvVantage::AddStepsNode(const QString& name, quint32 value, TnvTextFn textFn, TnvTreeNode* parent,
                                      TnvTreeNodes& nodes, quint32 last, quint32 first)
{
    return addNode(name, value, textFn, parent, nodes, last, first, true);
}

void TnvVantage::UpdateStepsNode(const QString& name, quint32 value, TnvTextFn textFn, TnvTreeNode* node,
                                 TnvTreeNodes& nodes, quint32 last, quint32 first)
{
    updateNode(name, value, textFn, node, nodes, last, first, true);
}

// --- Help and web pages ---------------------------------------------------------

QString TnvVantage::HelpFilePath()
{
    // Installed and build trees share one layout: bin/ beside share/linkora/doc/.
    const QString appDir = QCoreApplication::applicationDirPath();
    return QDir::cleanPath(appDir + QStringLiteral("/../share/linkora/doc/linkora-help.html"));
}

void TnvVantage::ShowHelp(const QString& topic)
{
    const QString path = HelpFilePath();
    if (topic == QLatin1StringView("INIT"))
        return;
    QUrl url = QUrl::fromLocalFile(path);
    if (!topic.isEmpty())
        url.setFragment(topic);
    if (QFileInfo::exists(path) && TnvHostServices::instance().openUrl(url))
        return;
    TnvPrompt sorry;
    sorry.text = QStringLiteral("Unable to locate help: \r\n") + path;
    sorry.caption = QStringLiteral("Norvane Vantage!");
    TnvHostServices::instance().prompt(sorry);
}

void TnvVantage::ShowHomePage()
{
    if (!TnvHostServices::instance().openUrl(QUrl(kHomePage)))
        ShowHelp(QString());
}

void TnvVantage::ShowSupportPage()
{
    if (!TnvHostServices::instance().openUrl(QUrl(kSupportPage)))
        ShowHelp(QString());
}

void TnvVantage::ShowUpdatesPage(const QString& product, const QString& version)
{
    QUrl url(kUpdatesPage);
    url.setFragment(product + QLatin1Char('-') + version);
    if (!TnvHostServices::instance().openUrl(url))
        ShowHelp(QStringLiteral("HowToUseHelp"));
}

bool TnvVantage::ContextHelp(int command, int context)
{
    if (command != kHelpContextPopup)
        return false;
    ShowHelp(QStringLiteral("context-%1").arg(context));
    return true;
}
