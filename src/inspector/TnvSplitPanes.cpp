#include "TnvSplitPanes.h"

#include <QEvent>
#include <QHeaderView>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QTreeWidget>

namespace {

// The narrowest either side may be dragged to: a few characters still show.
constexpr int kNarrowestPane = 60;

// Gives the box its fields' width once the splitter is first laid out; the tree takes
// the rest. Later sizes are the user's.
class SplitPanesFirstSizes : public QObject {
public:
    SplitPanesFirstSizes(QSplitter* splitter, QScrollArea* box)
        : QObject(splitter)
        , m_splitter(splitter)
        , m_box(box)
    {
        splitter->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_splitter && event->type() == QEvent::Show) {
            const int total = m_splitter->width() - m_splitter->handleWidth();
            const int wanted = m_box->widget()->minimumSizeHint().width() + 2 * m_box->frameWidth()
                + m_box->verticalScrollBar()->sizeHint().width();
            const int boxWidth = qBound(kNarrowestPane, wanted, qMax(kNarrowestPane, total - kNarrowestPane));
            m_splitter->setSizes({total - boxWidth, boxWidth});
            m_splitter->removeEventFilter(this);
            deleteLater();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QSplitter* m_splitter;
    QScrollArea* m_box;
};

} // namespace

QSplitter* TnvSplitPanes::make(const QString& name, QTreeWidget* tree, QScrollArea* box, QWidget* parent)
{
    // One column as wide as its longest row: the tree scrolls instead of eliding values.
    tree->header()->setStretchLastSection(false);
    tree->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    tree->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    tree->setMinimumWidth(kNarrowestPane);

    box->setWidgetResizable(true);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    box->setMinimumWidth(kNarrowestPane);

    auto* splitter = new QSplitter(Qt::Horizontal, parent);
    splitter->setObjectName(name);
    splitter->addWidget(tree);
    splitter->addWidget(box);
    splitter->setChildrenCollapsible(false);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 0);
    new SplitPanesFirstSizes(splitter, box);
    return splitter;
}
