#pragma once

// Menu items laid out side by side in columns, for a menu that is meant to be read as a
// table rather than a long list (a menu itself only wraps when the screen is too short).
// The items are ordinary actions, kept with their names, captions, check marks and
// triggered signals; this block only shows them, painted the way the style paints menu
// items. A click, or Return or Space on the focused item, closes the menu and triggers
// the item's action, as a menu does.

#include <QList>
#include <QWidgetAction>

class TnvMenuColumns : public QWidgetAction {
    Q_OBJECT

public:
    explicit TnvMenuColumns(QObject* parent);

    // Appends an item to the current column.
    void addItem(QAction* action);
    // The next item starts a new column.
    void addColumnBreak();

    const QList<QList<QAction*>>& columns() const { return m_columns; }
    // Every item, column by column.
    QList<QAction*> items() const;

protected:
    QWidget* createWidget(QWidget* parent) override;

private:
    QList<QList<QAction*>> m_columns;
};
