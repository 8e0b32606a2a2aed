#pragma once

// Anchoring of child widgets placed at fixed positions: each keeps its distance to the
// parent's edges it is anchored to, and stretches when anchored to both opposite edges.
// A widget anchored to neither edge of a direction keeps its place in it.

#include <QFlags>
#include <QList>
#include <QObject>
#include <QRect>
#include <QSize>

class QWidget;

class TnvAnchors : public QObject {
    Q_OBJECT

public:
    enum Anchor { Left = 1, Top = 2, Right = 4, Bottom = 8 };
    Q_DECLARE_FLAGS(Edges, Anchor)

    // Follows parent's resizes from now on; the parent's current size is the design size.
    explicit TnvAnchors(QWidget* parent);

    // Places the widget at rect (in the design size) with the given anchors.
    void place(QWidget* widget, const QRect& rect, Edges edges);
    Edges edges(const QWidget* widget) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Entry {
        QWidget* widget;
        QRect rect;
        Edges edges;
    };
    void layout();

    QWidget* m_parent;
    QSize m_design;
    QList<Entry> m_entries;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TnvAnchors::Edges)
