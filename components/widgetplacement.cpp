#include "widgetplacement.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QWidget>

#include <algorithm>

QLayout* layoutHolding(QLayout* root, const QWidget* widget)
{
    if (!root)
        return nullptr;
    if (root->indexOf(widget) >= 0)
        return root;
    for (int i = 0; i < root->count(); ++i) {
        if (QLayout* found = layoutHolding(root->itemAt(i)->layout(), widget))
            return found;
    }
    return nullptr;
}

namespace {

QLayout* currentLayout(const QWidget* widget)
{
    const QWidget* parent = widget->parentWidget();
    return parent ? layoutHolding(parent->layout(), widget) : nullptr;
}

} // namespace

WidgetPlacement::WidgetPlacement(QWidget* widget)
    : widget_(widget)
{
    if (!widget)
        return;
    parent_ = widget->parentWidget();
    geometry_ = widget->geometry();
    minimum_ = widget->minimumSize();
    maximum_ = widget->maximumSize();
    hidden_ = widget->isHidden();
    enabled_ = !widget->testAttribute(Qt::WA_ForceDisabled);

    QLayout* layout = currentLayout(widget);
    layout_ = layout;
    if (!layout)
        return;
    index_ = layout->indexOf(widget);
    alignment_ = layout->itemAt(index_)->alignment();
    if (auto* box = qobject_cast<QBoxLayout*>(layout)) {
        slot_ = Slot::Box;
        stretch_ = box->stretch(index_);
    } else if (auto* grid = qobject_cast<QGridLayout*>(layout)) {
        slot_ = Slot::Grid;
        grid->getItemPosition(index_, &row_, &column_, &rowSpan_, &columnSpan_);
    } else if (auto* form = qobject_cast<QFormLayout*>(layout)) {
        slot_ = Slot::Form;
        form->getWidgetPosition(widget, &row_, &role_);
    } else {
        slot_ = Slot::Other;
    }
}

void WidgetPlacement::restore()
{
    QWidget* widget = widget_;
    if (!widget)
        return;
    if (QLayout* lent = currentLayout(widget))
        lent->removeWidget(widget);
    widget->setParent(parent_);
    widget->setMinimumSize(minimum_);
    widget->setMaximumSize(maximum_);
    widget->setGeometry(geometry_);
    if (QLayout* layout = parent_ ? layout_.data() : nullptr) {
        switch (slot_) {
        case Slot::Box:
            static_cast<QBoxLayout*>(layout)->insertWidget(std::min(index_, layout->count()), widget, stretch_, alignment_);
            break;
        case Slot::Grid:
            static_cast<QGridLayout*>(layout)->addWidget(widget, row_, column_, rowSpan_, columnSpan_, alignment_);
            break;
        case Slot::Form:
            static_cast<QFormLayout*>(layout)->setWidget(row_, role_, widget);
            break;
        case Slot::Other:
            layout->addWidget(widget);
            break;
        case Slot::None:
            break;
        }
    }
    widget->setHidden(parent_ ? hidden_ : true);
    widget->setEnabled(enabled_);
}
