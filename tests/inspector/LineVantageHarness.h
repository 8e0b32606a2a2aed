#pragma once

// A line control on the simulated exchange (no pacing, a private configuration) with
// its inspector window, for the window's tests. The window is a recording subclass:
// after every call refresh it notes what the call group, the Call tab and the call
// tree show, so a test can check the window at each state of a call.

#include "EventLoop.h"
#include "InstantService.h"

#include <TnvLine.h>
#include <TnvLineCallPage.h>
#include <TnvLineVantage.h>

#include <QComboBox>
#include <QLabel>
#include <QStringList>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

struct CallSnapshot {
    quint32 state = 0;
    TnvLineVantageArt::Picture picture = TnvLineVantageArt::OnGray;
    int visiblePictures = 0;
    QString tabText;
    int tabIcon = -1;
    QStringList handles;
    QString selected;
    QStringList rows; // the call tree's rows under its root
};

class RecordingLineVantage : public TnvLineVantage {
public:
    explicit RecordingLineVantage(TnvLine* line, std::vector<CallSnapshot>* snapshots)
        : TnvLineVantage(line)
        , m_line(line)
        , m_snapshots(snapshots)
    {
    }

    void RefreshCall() override
    {
        TnvLineVantage::RefreshCall();
        if (!m_snapshots)
            return;
        CallSnapshot s;
        s.state = m_line->Call()->State();
        s.picture = callPage->shownPicture();
        for (QLabel* label : callPage->pictures)
            s.visiblePictures += label->isVisibleTo(callPage) ? 1 : 0;
        s.tabText = PageControl1->tabText(PageCall);
        s.tabIcon = tabIconIndex(PageCall);
        for (int i = 0; i < callPage->ComboBoxCall->count(); ++i)
            s.handles << callPage->ComboBoxCall->itemText(i);
        s.selected = callPage->ComboBoxCall->currentText();
        if (QTreeWidgetItem* root = callPage->TreeViewCallDetails->topLevelItem(0)) {
            for (int i = 0; i < root->childCount(); ++i)
                s.rows << root->child(i)->text(0);
        }
        m_snapshots->push_back(s);
    }

private:
    TnvLine* m_line;
    std::vector<CallSnapshot>* m_snapshots;
};

class LineVantageHarness : public InstantServiceTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // The control, enabled, on the exchange's first line; active when asked.
    void makeLine(bool active = true);
    RecordingLineVantage* openWindow();
    RecordingLineVantage* window() const;
    // Dials and waits for the state; false on a time-out.
    bool dialAndWait(const QString& number, quint32 state);
    bool waitForState(quint32 state);
    static void screenshot(QWidget* widget, const QString& name);
    // The row of a tree whose text starts with prefix, searched depth first.
    static QTreeWidgetItem* findRow(QTreeWidget* tree, const QString& prefix);

    std::unique_ptr<TnvLine> m_line;
    std::vector<CallSnapshot> m_snapshots;
};
