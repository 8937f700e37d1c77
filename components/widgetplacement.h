#pragma once

#include <QFormLayout>
#include <QPointer>
#include <QRect>
#include <QSize>

class QLayout;
class QWidget;

// Where a widget sits on its form: its parent, its place in the parent's layout, geometry,
// size limits, visibility and enabled state. A widget lent to another window is put back with
// restore(), however that window ended.
class WidgetPlacement {
public:
    explicit WidgetPlacement(QWidget* widget);

    // Puts the widget back where it was when this was made; nothing when it no longer exists.
    // A widget whose form is gone is left hidden without a parent.
    void restore();

private:
    enum class Slot { None, Box, Grid, Form, Other };

    QPointer<QWidget> widget_;
    QPointer<QWidget> parent_;
    QPointer<QLayout> layout_;
    Slot slot_ = Slot::None;
    int index_ = -1;
    int stretch_ = 0;
    int row_ = 0;
    int column_ = 0;
    int rowSpan_ = 1;
    int columnSpan_ = 1;
    QFormLayout::ItemRole role_ = QFormLayout::FieldRole;
    Qt::Alignment alignment_;
    QRect geometry_;
    QSize minimum_;
    QSize maximum_;
    bool hidden_ = false;
    bool enabled_ = true;
};

// The layout under root (itself or a nested one) that holds the widget directly.
QLayout* layoutHolding(QLayout* root, const QWidget* widget);
