#include "platform/item_height.h"

#include <QAbstractItemDelegate>
#include <QAbstractItemView>
#include <QComboBox>
#include <QPointer>

namespace platform {

namespace {

// Wraps the delegate in place, so that what it draws (an indent, a menu-like
// row) stays as it was; only the height it reports changes.
class FixedHeightDelegate : public QAbstractItemDelegate {
public:
    FixedHeightDelegate(QAbstractItemDelegate* inner, int height, QObject* parent)
        : QAbstractItemDelegate(parent), inner_(inner), height_(height)
    {
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        if (inner_)
            inner_->paint(painter, option, index);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const int width = inner_ ? inner_->sizeHint(option, index).width() : option.rect.width();
        return QSize(width, height_);
    }

private:
    QPointer<QAbstractItemDelegate> inner_;
    int height_;
};

} // namespace

void setItemHeight(QAbstractItemView* view, int height)
{
    view->setItemDelegate(new FixedHeightDelegate(view->itemDelegate(), height, view));
}

void setItemHeight(QComboBox* combo, int height)
{
    combo->setItemDelegate(new FixedHeightDelegate(combo->itemDelegate(), height, combo));
}

} // namespace platform
