#pragma once

#include "pixelgraphic.h"

#include <exception>

// Calls the image's progress start event now and its end event when the scope ends, also when
// the work inside raised (an end handler that raises then is not heard: the first failure is
// the one that counts).
class TProgressScope {
public:
    explicit TProgressScope(TPixelGraphic& Graphic) : graphic_(Graphic), failures_(std::uncaught_exceptions())
    {
        graphic_.ProgressBegin();
    }
    ~TProgressScope() noexcept(false)
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
    TProgressScope(const TProgressScope&) = delete;
    TProgressScope& operator=(const TProgressScope&) = delete;

private:
    TPixelGraphic& graphic_;
    int failures_;
};
