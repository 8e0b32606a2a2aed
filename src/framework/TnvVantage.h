#pragma once

// The inspector settings of a control: whether its inspector window is open and where,
// the notation of its trace log (which it owns), and the Events master switch. It opens
// the window registered for the control's kind and writes values in the log's notation.

#include "TnvLog.h"
#include "TnvTypes.h"

#include <QObject>
#include <QRect>

#include <functional>

class TnvTreeNode;
class TnvTreeNodes;
class TnvVantageWindow;

class TnvVantage : public QObject {
    Q_OBJECT
    Q_PROPERTY(Tnv::TDevEnv DevEnv READ DevEnv WRITE setDevEnv)
    Q_PROPERTY(TnvLog* Log READ Log CONSTANT)
    Q_PROPERTY(bool StayOnTop READ StayOnTop WRITE setStayOnTop)
    Q_PROPERTY(bool Visible READ Visible WRITE setVisible)
    Q_PROPERTY(bool Events READ Events WRITE setEvents STORED false)

public:
    using WindowFactory = std::function<TnvVantageWindow*(TnvVantage& vantage)>;

    explicit TnvVantage(TnvSharedControl* owner);
    ~TnvVantage() override;

    TnvSharedControl* owner() const { return m_owner; }
    TnvLog* Log() const { return m_log; }
    TnvVantageWindow* window() const { return m_window; }

    bool Events() const { return m_events; }
    void setEvents(bool value) { m_events = value; }
    bool StayOnTop() const { return m_stayOnTop; }
    void setStayOnTop(bool value);
    bool Visible() const { return m_visible; }
    void setVisible(bool value);
    TDevEnv DevEnv() const { return m_devEnv; }
    void setDevEnv(TDevEnv value);

    // Placement getters follow the open window; see the .cpp for their quirks.
    int Top();
    int Left();
    int Width() const;
    int Height() const;
    TWindowState WindowState();
    void setTop(int value);
    void setLeft(int value);
    void setWidth(int value);
    void setHeight(int value);
    void setWindowState(TWindowState value);

    void OpenWindow();
    void ShowPopup(bool flag);
    bool LogProperties(const QString& header, const QString& prefix, const QString& indent);

    // Notation operations.
    QString Notate(const QString& text) const;
    static QString BoolText(bool value);
    static QString HexText(quint32 value);
    void LogFlags(const QString& name, quint32 value, TnvTextFn textFn, quint32 last, quint32 first);
    void LogSteps(const QString& name, quint32 value, TnvTextFn textFn, quint32 last, quint32 first);
    TnvTreeNode* AddFlagsNode(const QString& name, quint32 value, TnvTextFn textFn, TnvTreeNode* parent,
                              TnvTreeNodes& nodes, quint32 last, quint32 first);
    void UpdateFlagsNode(const QString& name, quint32 value, TnvTextFn textFn, TnvTreeNode* node,
                         TnvTreeNodes& nodes, quint32 last, quint32 first);
    TnvTreeNode* AddStepsNode(const QString& name, quint32 value, TnvTextFn textFn, TnvTreeNode* parent,
                              TnvTreeNodes& nodes, quint32 last, quint32 first);
    void UpdateStepsNode(const QString& name, quint32 value, TnvTextFn textFn, TnvTreeNode* node,
                         TnvTreeNodes& nodes, quint32 last, quint32 first);

    // Help and the maker's pages, for the windows' Help menus.
    void ShowHelp(const QString& topic);
    void ShowHomePage();
    void ShowSupportPage();
    void ShowUpdatesPage(const QString& product, const QString& version);
    // Handles the context-popup help command (8); other commands are left alone.
    bool ContextHelp(int command, int context);
    // Where the help file is looked for: beside the program's installation.
    static QString HelpFilePath();

    // Hooks the open window calls on itself.
    void windowPlacementChanged(const QRect& normalGeometry, TWindowState state);
    void windowClosed();
    void windowDestroyed();

    // The window layer registers one factory per control kind.
    static void registerWindowFactory(int kind, WindowFactory factory);
    static bool hasWindowFactory(int kind);
    static QString windowCaption(int kind);

private:
    void fillNode(TnvTreeNode* node, TnvTreeNodes& nodes, quint32 value, TnvTextFn textFn,
                  quint32 last, quint32 first, bool steps);
    QString nodeText(const QString& name, quint32 value) const;
    TnvTreeNode* addNode(const QString& name, quint32 value, TnvTextFn textFn, TnvTreeNode* parent,
                         TnvTreeNodes& nodes, quint32 last, quint32 first, bool steps);
    void updateNode(const QString& name, quint32 value, TnvTextFn textFn, TnvTreeNode* node,
                    TnvTreeNodes& nodes, quint32 last, quint32 first, bool steps);
    void applyPlacement();

    TnvSharedControl* m_owner;
    TnvLog* m_log;
    TnvVantageWindow* m_window = nullptr;
    bool m_events = true;
    bool m_stayOnTop = false;
    bool m_visible = false;
    TDevEnv m_devEnv = deDelphi;
    int m_top = 0;
    int m_left = 0;
    int m_width = 0;
    int m_height = 0;
    TWindowState m_windowState = wsNormal;
};
