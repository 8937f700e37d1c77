#pragma once

#include "dragtypes.h"

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <stdexcept>

class QDropEvent;
class QMimeData;
class QWidget;

// Registration that cannot be done; the message names the control.
class TDropTargetError : public std::runtime_error {
public:
    explicit TDropTargetError(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const { return message_; }

private:
    QString message_;
};

// Makes one widget accept drops of a kind of data the subclass knows. The owner registers it
// on a widget; a widget destroyed while registered is simply forgotten.
class TDropTarget : public QObject {
    Q_OBJECT
public:
    explicit TDropTarget(QObject* parent = nullptr);
    ~TDropTarget() override;

    // The effects accepted; all three unless set. The effect offered is also limited to
    // what the drag's source allows.
    TDragTypes Dragtypes() const { return dragtypes_; }
    void SetDragtypes(TDragTypes types) { dragtypes_ = types; }

    // Reads the dragged data as the drag enters instead of at the drop.
    bool GetDataOnEnter() const { return getDataOnEnter_; }
    void SetGetDataOnEnter(bool on) { getDataOnEnter_ = on; }

    // May change the effect computed from the keys (key state: TKeyState bits).
    std::function<void(int keyState, int& effect)> OnGetDropEffect;

    // Throws TDropTargetError "Failed to Register " + name for no widget.
    void Register(QWidget* control);
    void Unregister();
    bool Registered() const { return registered_ && control_; }
    QWidget* Control() const { return control_; }

signals:
    void Enter(QPoint pt);
    void DragOver(QPoint pt);
    void Leave();
    // The data is there for the time of the signal only.
    void Drop(TDragType dragType, QPoint dropPoint);

protected:
    virtual bool GetData(const QMimeData& data) = 0;
    virtual void ClearData() = 0;
    virtual bool HasValidFormats(const QMimeData& data) const = 0;
    virtual int DropEffect(int keyState, TDragTypes possible);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class DragState { Idle, Held, Refused };

    void dragEnter(QDropEvent& event, QPoint pt);
    void dragMove(QDropEvent& event, QPoint pt);
    void dragLeave();
    void drop(QDropEvent& event, QPoint pt);
    int effectFor(const QDropEvent& event);
    QPoint controlPoint(QObject* watched, const QDropEvent& event) const;

    TDragTypes dragtypes_ = allDragTypes;
    bool getDataOnEnter_ = false;
    QPointer<QWidget> control_;
    QPointer<QWidget> viewport_;
    bool registered_ = false;
    bool acceptedDropsBefore_ = false;
    DragState state_ = DragState::Idle;
    bool dataFailed_ = false;
};

// Accepts lists of local files ("file:" URLs of a uri-list); other URLs are ignored and a drag
// without a local file is refused.
class TDropFileTarget : public TDropTarget {
    Q_OBJECT
public:
    using TDropTarget::TDropTarget;

    // Full paths of the dropped files during Drop; empty otherwise.
    QStringList Files;

protected:
    bool GetData(const QMimeData& data) override;
    void ClearData() override;
    bool HasValidFormats(const QMimeData& data) const override;
};
