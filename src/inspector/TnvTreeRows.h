#pragma once

// Writes the rows of a read-only property tree. The first pass over an empty tree
// builds it; later passes walk the same rows in the same order and only replace the
// texts, so the user's expansion and selection survive. A flag node gets new children
// only when its value changed. The tree is painted once, when the writer goes.

#include "TnvTreeWidgetNodes.h"

#include <TnvTypes.h>

#include <QDateTime>
#include <QHash>

class QTreeWidget;
class QTreeWidgetItem;
class TnvVantage;

class TnvTreeRows {
public:
    TnvTreeRows(QTreeWidget* tree, TnvVantage* vantage);
    ~TnvTreeRows();
    TnvTreeRows(const TnvTreeRows&) = delete;
    TnvTreeRows& operator=(const TnvTreeRows&) = delete;

    bool building() const { return m_building; }

    // A node whose caption is shown as written (roots and sub-nodes); null parent for
    // a root.
    QTreeWidgetItem* node(QTreeWidgetItem* parent, const QString& caption, bool expanded = false);
    // A row whose text is converted to the log's notation.
    QTreeWidgetItem* row(QTreeWidgetItem* parent, const QString& text);
    QTreeWidgetItem* flags(QTreeWidgetItem* parent, const QString& name, quint32 value, TnvTextFn textFn,
                           quint32 last, quint32 first);
    QTreeWidgetItem* steps(QTreeWidgetItem* parent, const QString& name, quint32 value, TnvTextFn textFn,
                           quint32 last, quint32 first);

    // Common row shapes.
    QTreeWidgetItem* boolRow(QTreeWidgetItem* parent, const QString& name, bool value);
    QTreeWidgetItem* decimalRow(QTreeWidgetItem* parent, const QString& name, qint64 value);
    QTreeWidgetItem* hexRow(QTreeWidgetItem* parent, const QString& name, quint32 value);
    // "Name = CONSTANT_NAME[0000000X]".
    QTreeWidgetItem* enumRow(QTreeWidgetItem* parent, const QString& name, quint32 value, TnvTextFn textFn);
    QTreeWidgetItem* timeRow(QTreeWidgetItem* parent, const QString& name, const QDateTime& value);

    static QString timeText(const QDateTime& value);

private:
    // The next existing child of parent in update mode, or a new one in build mode.
    QTreeWidgetItem* next(QTreeWidgetItem* parent, const QString& text);
    QTreeWidgetItem* setOrAdd(QTreeWidgetItem* parent, const QString& text);

    QTreeWidget* m_tree;
    TnvVantage* m_vantage;
    TnvTreeWidgetNodes m_nodes;
    bool m_building;
    bool m_wasEnabled;
    QHash<QTreeWidgetItem*, int> m_cursor;
};
