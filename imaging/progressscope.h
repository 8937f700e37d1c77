#pragma once

#include "pixelgraphic.h"

#include <exception>

// Runs Action as a scope ends. When the scope is left by an exception, an exception from Action
// is not heard: the first failure is the one that counts.
template <typename F> void EndScope(int FailuresAtStart, F&& Action)
{
    if (std::uncaught_exceptions() == FailuresAtStart) {
        Action();
        return;
    }
    try {
        Action();
    } catch (...) {
    }
}

// Runs Action as the scope ends, also when it is left by an exception (which then wins).
template <typename F> class AtScopeEnd {
public:
    explicit AtScopeEnd(F Action) : action_(std::move(Action)), failures_(std::uncaught_exceptions()) {}
    ~AtScopeEnd() noexcept(false) { EndScope(failures_, action_); }
    AtScopeEnd(const AtScopeEnd&) = delete;
    AtScopeEnd& operator=(const AtScopeEnd&) = delete;

private:
    F action_;
    int failures_;
};

// Calls the image's progress start event now and its end event when the scope ends, also when
// the work inside raised.
// Sender: who the events name (the image itself unless given).
class ProgressScope {
public:
    explicit ProgressScope(TPixelGraphic& Graphic, PGObject* Sender = nullptr)
        : graphic_(Graphic), sender_(Sender), failures_(std::uncaught_exceptions())
    {
        graphic_.ProgressBegin(sender_);
    }
    ~ProgressScope() noexcept(false)
    {
        EndScope(failures_, [this] { graphic_.ProgressEnd(sender_); });
    }
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;

private:
    TPixelGraphic& graphic_;
    PGObject* sender_;
    int failures_;
};

// BeginUpdate now, EndUpdate (and with it the image's change event) when the scope ends, also
// when the work inside raised.
class UpdateScope {
public:
    explicit UpdateScope(TPixelGraphic& Graphic) : graphic_(Graphic), failures_(std::uncaught_exceptions())
    {
        graphic_.BeginUpdate();
    }
    ~UpdateScope() noexcept(false)
    {
        EndScope(failures_, [this] { graphic_.EndUpdate(); });
    }
    UpdateScope(const UpdateScope&) = delete;
    UpdateScope& operator=(const UpdateScope&) = delete;

private:
    TPixelGraphic& graphic_;
    int failures_;
};
