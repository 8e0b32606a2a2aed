#pragma once

// A tree beside a box of fields, split by a divider the user can drag, as the pages with
// a property tree show them. The tree shows every row whole and scrolls sideways for a
// long one; the box starts wide enough for its fields with its scroll bar, and can be
// made narrower, then it scrolls sideways too. So nothing is cut off at any size and the
// divider moves both ways.

class QScrollArea;
class QSplitter;
class QString;
class QTreeWidget;
class QWidget;

class TnvSplitPanes {
public:
    // Takes the tree and the box (with its fields set) into a new splitter on parent.
    static QSplitter* make(const QString& name, QTreeWidget* tree, QScrollArea* box, QWidget* parent);
};
