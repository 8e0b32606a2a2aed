#include "TnvTreeWidgetNodes.h"

#include <QTreeWidget>

TnvTreeWidgetNodes::TnvTreeWidgetNodes(QTreeWidget* tree)
    : m_tree(tree)
{
}

TnvTreeNode* TnvTreeWidgetNodes::addChild(TnvTreeNode* parent, const QString& text)
{
    // Every node of a tree behind this adapter is made here, so the cast is safe.
    auto* parentItem = static_cast<TnvTreeWidgetItem*>(parent);
    auto* item = parentItem ? new TnvTreeWidgetItem(parentItem) : new TnvTreeWidgetItem(m_tree);
    item->setText(text);
    return item;
}

void TnvTreeWidgetNodes::deleteChildren(TnvTreeNode* node)
{
    auto* item = static_cast<TnvTreeWidgetItem*>(node);
    if (!item)
        return;
    qDeleteAll(item->takeChildren());
}
