#include "droptarget.h"

#include "platform/fileurls.h"

#include <QAbstractScrollArea>
#include <QDropEvent>
#include <QMimeData>
#include <QWidget>

TDropTarget::TDropTarget(QObject* parent) : QObject(parent) {}

TDropTarget::~TDropTarget()
{
    Unregister();
}

void TDropTarget::Register(QWidget* control)
{
    if (control && control == control_)
        return;
    Unregister();
    if (!control)
        throw TDropTargetError(QStringLiteral("Failed to Register "));
    control_ = control;
    acceptedDropsBefore_ = control->acceptDrops();
    control->setAcceptDrops(true);
    control->installEventFilter(this);
    // A scroll area gets its drag events through its viewport.
    if (auto* area = qobject_cast<QAbstractScrollArea*>(control)) {
        viewport_ = area->viewport();
        viewport_->installEventFilter(this);
    }
    connect(control, &QObject::destroyed, this, [this] {
        registered_ = false;
        state_ = DragState::Idle;
        ClearData();
    });
    registered_ = true;
}

void TDropTarget::Unregister()
{
    registered_ = false;
    state_ = DragState::Idle;
    if (viewport_)
        viewport_->removeEventFilter(this);
    viewport_.clear();
    if (!control_)
        return;
    control_->removeEventFilter(this);
    control_->setAcceptDrops(acceptedDropsBefore_);
    disconnect(control_, &QObject::destroyed, this, nullptr);
    control_.clear();
}

int TDropTarget::DropEffect(int keyState, TDragTypes possible)
{
    int effect = dropEffectOf(keyState, dragtypes_ & possible);
    if (OnGetDropEffect)
        OnGetDropEffect(keyState, effect);
    return effect;
}

int TDropTarget::effectFor(const QDropEvent& event)
{
    if (dataFailed_)
        return 0;
    return DropEffect(keyStateOf(event.buttons(), event.modifiers()), dragTypesOf(event.possibleActions()));
}

QPoint TDropTarget::controlPoint(QObject* watched, const QDropEvent& event) const
{
    const QPoint pt = event.position().toPoint();
    if (watched == viewport_ && viewport_ && control_)
        return viewport_->mapTo(control_.data(), pt);
    return pt;
}

namespace {

void answer(QDropEvent& event, int effect)
{
    event.setDropAction(dropActionOf(effect));
    event.setAccepted(effect != 0);
}

} // namespace

bool TDropTarget::eventFilter(QObject* watched, QEvent* event)
{
    if (!registered_ || (watched != control_ && watched != viewport_))
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::DragEnter: {
        auto& e = static_cast<QDropEvent&>(*event);
        dragEnter(e, controlPoint(watched, e));
        return true;
    }
    case QEvent::DragMove: {
        auto& e = static_cast<QDropEvent&>(*event);
        dragMove(e, controlPoint(watched, e));
        return true;
    }
    case QEvent::DragLeave:
        dragLeave();
        event->accept();
        return true;
    case QEvent::Drop: {
        auto& e = static_cast<QDropEvent&>(*event);
        drop(e, controlPoint(watched, e));
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}

void TDropTarget::dragEnter(QDropEvent& event, QPoint pt)
{
    ClearData();
    dataFailed_ = false;
    const QMimeData* data = event.mimeData();
    if (!data || !HasValidFormats(*data)) {
        state_ = DragState::Refused;
        answer(event, 0);
        return;
    }
    state_ = DragState::Held;
    if (getDataOnEnter_ && !GetData(*data))
        dataFailed_ = true;
    const int effect = effectFor(event);
    emit Enter(pt);
    answer(event, effect);
}

void TDropTarget::dragMove(QDropEvent& event, QPoint pt)
{
    if (state_ != DragState::Held) {
        answer(event, 0);
        return;
    }
    const int effect = effectFor(event);
    emit DragOver(pt);
    answer(event, effect);
}

void TDropTarget::dragLeave()
{
    const bool held = state_ == DragState::Held;
    state_ = DragState::Idle;
    if (!held)
        return;
    ClearData();
    emit Leave();
}

void TDropTarget::drop(QDropEvent& event, QPoint pt)
{
    if (state_ != DragState::Held) {
        state_ = DragState::Idle;
        answer(event, 0);
        return;
    }
    int effect = effectFor(event);
    const QMimeData* data = event.mimeData();
    if (!getDataOnEnter_ && (!data || !GetData(*data)))
        effect = 0;
    // The handler may close the window and destroy the control.
    const QPointer<TDropTarget> alive(this);
    if (effect != 0)
        emit Drop(TDragType(effect), pt);
    if (!alive) {
        answer(event, effect);
        return;
    }
    ClearData();
    state_ = DragState::Idle;
    answer(event, effect);
}

bool TDropFileTarget::HasValidFormats(const QMimeData& data) const
{
    return !platform::localFilesOfUriList(data.data(platform::uriListMimeType)).isEmpty();
}

bool TDropFileTarget::GetData(const QMimeData& data)
{
    Files = platform::localFilesOfUriList(data.data(platform::uriListMimeType));
    return !Files.isEmpty();
}

void TDropFileTarget::ClearData()
{
    Files.clear();
}
