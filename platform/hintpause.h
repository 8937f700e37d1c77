#pragma once

#include <QObject>

namespace platform {

// How long the program shows a hint, in every window it has and will have: a widget that set
// no time of its own takes this one when its hint is asked for.
class HintPause : public QObject {
public:
    // Watches the whole application while it lives.
    HintPause(int milliseconds, QObject* parent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int milliseconds_;
};

} // namespace platform
