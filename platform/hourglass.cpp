#include "hourglass.h"

#include <QCursor>
#include <QGuiApplication>

namespace platform {

Hourglass::Hourglass()
{
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        active_ = true;
    }
}

Hourglass::~Hourglass()
{
    if (active_)
        QGuiApplication::restoreOverrideCursor();
}

} // namespace platform
