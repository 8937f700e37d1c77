#pragma once

#include "dragtypes.h"

#include <QObject>
#include <QStringList>

class QMimeData;

// Starts a drag of data the owner describes; the kinds below say what the data is.
class TDropSource : public QObject {
    Q_OBJECT
public:
    explicit TDropSource(QObject* parent = nullptr);

    // The effects the drag allows; copy only unless set.
    TDragTypes Dragtypes() const { return dragtypes_; }
    void SetDragtypes(TDragTypes types) { dragtypes_ = types; }

    // Runs the drag to its end (copy is offered first). doFailed when no drag could start:
    // nothing to drag, no effect allowed or no display to drag on.
    TDragOutcome Execute();

    // Puts the data on the clipboard; false when there is nothing to put there.
    virtual bool CopyToClipboard();

    // The effect the target showed last (copy 1, move 2, link 4, none 0).
    int LastEffect() const { return lastEffect_; }

signals:
    // The target's current effect, whenever it changes during a drag.
    void Feedback(int effect);

protected:
    // The data of one drag, or nullptr when there is nothing to drag.
    virtual QMimeData* ProvideData() const = 0;

private:
    TDragTypes dragtypes_ = dtCopy;
    int lastEffect_ = 0;
};

// Drags a list of files as "file:" URLs, which desktop file managers take.
class TDropFileSource : public TDropSource {
    Q_OBJECT
public:
    using TDropSource::TDropSource;

    // Full paths, filled by the owner before Execute.
    QStringList Files;

    bool CopyToClipboard() override;

protected:
    QMimeData* ProvideData() const override;
};
