#pragma once

// Lets the framework's flag-node operations write into a QTreeWidget.

#include <TnvTreeNode.h>

#include <QTreeWidgetItem>

class QTreeWidget;

class TnvTreeWidgetItem : public QTreeWidgetItem, public TnvTreeNode {
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    QString text() const override { return QTreeWidgetItem::text(0); }
    void setText(const QString& text) override { QTreeWidgetItem::setText(0, text); }
};

class TnvTreeWidgetNodes : public TnvTreeNodes {
public:
    explicit TnvTreeWidgetNodes(QTreeWidget* tree);

    TnvTreeNode* addChild(TnvTreeNode* parent, const QString& text) override;
    void deleteChildren(TnvTreeNode* node) override;

private:
    QTreeWidget* m_tree;
};
