#pragma once

#include <QFlags>
#include <Qt>

// The effects of a drag, with the bit values the two ends agree on (copy 1, move 2, link 4).
enum TDragType { dtCopy = 1, dtMove = 2, dtLink = 4 };
Q_DECLARE_FLAGS(TDragTypes, TDragType)
Q_DECLARE_OPERATORS_FOR_FLAGS(TDragTypes)

inline constexpr TDragTypes allDragTypes{dtCopy | dtMove | dtLink};

enum class TDragOutcome { doCopied, doMoved, doLinked, doCancelled, doOutOfMemory, doFailed };

// Key-state bits handed to a target's effect rule.
enum TKeyState { ksLeftButton = 1, ksRightButton = 2, ksShift = 4, ksControl = 8, ksMiddleButton = 16, ksAlt = 32 };

Qt::DropActions dropActionsOf(TDragTypes types);
TDragTypes dragTypesOf(Qt::DropActions actions);
Qt::DropAction dropActionOf(int effect);  // one effect bit (or 0) to Qt's action
int effectOf(Qt::DropAction action);       // 0 for none

// What a finished drag did, given the effects the source allowed.
TDragOutcome dragOutcomeOf(Qt::DropAction result, TDragTypes allowed);

// The effect a target gives for the keys held: Shift+Control links, Shift moves, else the
// first accepted of copy, move and link; 0 when nothing is accepted.
int dropEffectOf(int keyState, TDragTypes accepted);

int keyStateOf(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);
