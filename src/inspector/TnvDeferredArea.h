#pragma once

// Keeps an area that nobody can see (a tree, a list) from being rewritten on every
// change: while it is hidden (another page is in front), a refresh only marks it stale,
// and it is brought up to date once, when it is shown. Walking a tree of a hundred rows
// or refilling a list on every message of a call would cost many times the call itself.

#include <QObject>

#include <functional>

class QWidget;

class TnvDeferredArea : public QObject {
    Q_OBJECT

public:
    // refresh writes the area; the gate belongs to the area's widget.
    TnvDeferredArea(QWidget* area, std::function<void()> refresh);

    // Writes the area now when it can be seen, otherwise marks it stale.
    void refresh();
    // Writes a stale area now, seen or not.
    void flush();
    bool stale() const { return m_stale; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_area;
    std::function<void()> m_refresh;
    bool m_stale = true;
};
