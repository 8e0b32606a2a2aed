#pragma once

// The small tree interface that flag nodes are written to. The inspector adapts its
// tree widget to it; the framework itself never sees a widget.

#include <QString>

class TnvTreeNode {
public:
    virtual ~TnvTreeNode() = default;
    virtual QString text() const = 0;
    virtual void setText(const QString& text) = 0;
};

// The node collection of one tree: creates and deletes nodes.
class TnvTreeNodes {
public:
    virtual ~TnvTreeNodes() = default;
    // Adds a node under parent, or at the top level when parent is null.
    virtual TnvTreeNode* addChild(TnvTreeNode* parent, const QString& text) = 0;
    virtual void deleteChildren(TnvTreeNode* node) = 0;
};
