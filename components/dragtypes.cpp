#include "dragtypes.h"

Qt::DropActions dropActionsOf(TDragTypes types)
{
    Qt::DropActions actions;
    if (types & dtCopy)
        actions |= Qt::CopyAction;
    if (types & dtMove)
        actions |= Qt::MoveAction;
    if (types & dtLink)
        actions |= Qt::LinkAction;
    return actions;
}

TDragTypes dragTypesOf(Qt::DropActions actions)
{
    TDragTypes types;
    if (actions & Qt::CopyAction)
        types |= dtCopy;
    if (actions & Qt::MoveAction)
        types |= dtMove;
    if (actions & Qt::LinkAction)
        types |= dtLink;
    return types;
}

Qt::DropAction dropActionOf(int effect)
{
    switch (effect) {
    case dtCopy: return Qt::CopyAction;
    case dtMove: return Qt::MoveAction;
    case dtLink: return Qt::LinkAction;
    default: return Qt::IgnoreAction;
    }
}

int effectOf(Qt::DropAction action)
{
    return int(dragTypesOf(action));
}

TDragOutcome dragOutcomeOf(Qt::DropAction result, TDragTypes allowed)
{
    // A target that moved the data itself reports TargetMoveAction, which carries the move bit.
    const TDragTypes done = dragTypesOf(Qt::DropActions(int(result) & 0xff)) & allowed;
    if (done & dtCopy)
        return TDragOutcome::doCopied;
    if (done & dtMove)
        return TDragOutcome::doMoved;
    if (done & dtLink)
        return TDragOutcome::doLinked;
    return TDragOutcome::doCancelled;
}

int dropEffectOf(int keyState, TDragTypes accepted)
{
    const bool shift = keyState & ksShift;
    const bool control = keyState & ksControl;
    if (shift && control && (accepted & dtLink))
        return dtLink;
    if (shift && !control && (accepted & dtMove))
        return dtMove;
    for (const TDragType type : {dtCopy, dtMove, dtLink})
        if (accepted & type)
            return type;
    return 0;
}

int keyStateOf(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers)
{
    int state = 0;
    if (buttons & Qt::LeftButton)
        state |= ksLeftButton;
    if (buttons & Qt::RightButton)
        state |= ksRightButton;
    if (buttons & Qt::MiddleButton)
        state |= ksMiddleButton;
    if (modifiers & Qt::ShiftModifier)
        state |= ksShift;
    if (modifiers & Qt::ControlModifier)
        state |= ksControl;
    if (modifiers & Qt::AltModifier)
        state |= ksAlt;
    return state;
}
