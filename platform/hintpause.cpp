#include "hintpause.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

namespace platform {

HintPause::HintPause(int milliseconds, QObject* parent)
    : QObject(parent)
    , milliseconds_(milliseconds)
{
    QCoreApplication::instance()->installEventFilter(this);
}

bool HintPause::eventFilter(QObject* watched, QEvent* event)
{
    // The widget reads its time as it handles this event, which comes here first.
    if (event->type() == QEvent::ToolTip && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        if (widget->toolTipDuration() < 0)
            widget->setToolTipDuration(milliseconds_);
    }
    return QObject::eventFilter(watched, event);
}

} // namespace platform
