#pragma once

#include "pixelgraphic.h"

#include <exception>

// Calls the image's progress start event now and its end event when the scope ends, also when
// the work inside raised (an end handler that raises then is not heard: the first failure is
// the one that counts).
class ProgressScope {
public:
    explicit ProgressScope(TPixelGraphic& Graphic) : graphic_(Graphic), failures_(std::uncaught_exceptions())
    {
        graphic_.ProgressBegin();
    }
    ~ProgressScope() noexcept(false)
    {
        if (std::uncaught_exceptions() == failures_) {
            graphic_.ProgressEnd();
            return;
        }
        try {
            graphic_.ProgressEnd();
        } catch (...) {
        }
    }
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;

private:
    TPixelGraphic& graphic_;
    int failures_;
};
