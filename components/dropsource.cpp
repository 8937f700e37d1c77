#include "dropsource.h"

#include "platform/fileurls.h"

#include <QClipboard>
#include <QDrag>
#include <QGuiApplication>
#include <QMimeData>

TDropSource::TDropSource(QObject* parent) : QObject(parent) {}

TDragOutcome TDropSource::Execute()
{
    const Qt::DropActions allowed = dropActionsOf(dragtypes_);
    if (!allowed || !qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return TDragOutcome::doFailed;
    QMimeData* data = ProvideData();
    if (!data)
        return TDragOutcome::doFailed;
    // Qt deletes the drag when it is done with it: on X11 only after the target has fetched
    // the data, which can be after exec returned.
    auto* drag = new QDrag(parent() ? parent() : this);
    drag->setMimeData(data);
    connect(drag, &QDrag::actionChanged, this, [this](Qt::DropAction action) {
        lastEffect_ = effectOf(action);
        emit Feedback(lastEffect_);
    });
    // The first allowed of copy, move and link is the default.
    const Qt::DropAction result = drag->exec(allowed, dropActionOf(dropEffectOf(0, dragtypes_)));
    return dragOutcomeOf(result, dragtypes_);
}

bool TDropSource::CopyToClipboard()
{
    return false;
}

QMimeData* TDropFileSource::ProvideData() const
{
    if (Files.isEmpty())
        return nullptr;
    auto* data = new QMimeData;
    data->setData(platform::uriListMimeType, platform::uriList(Files));
    return data;
}

bool TDropFileSource::CopyToClipboard()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return false;
    QMimeData* data = ProvideData();
    if (!data)
        return false;
    QGuiApplication::clipboard()->setMimeData(data);
    return true;
}
