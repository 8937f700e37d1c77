#include "components/dropsource.h"
#include "components/droptarget.h"
#include "components/filelistbox.h"
#include "platform/filenames.h"
#include "platform/fileurls.h"

#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QMimeData>
#include <QSignalSpy>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

namespace {

TEST(DragDrop, OutcomeOfAFinishedDrag)
{
    const TDragTypes copyOnly = dtCopy;
    const struct {
        Qt::DropAction result;
        TDragTypes allowed;
        TDragOutcome outcome;
    } cases[] = {
        {Qt::CopyAction, copyOnly, TDragOutcome::doCopied},
        {Qt::CopyAction, allDragTypes, TDragOutcome::doCopied},
        {Qt::MoveAction, allDragTypes, TDragOutcome::doMoved},
        {Qt::TargetMoveAction, allDragTypes, TDragOutcome::doMoved},
        {Qt::LinkAction, allDragTypes, TDragOutcome::doLinked},
        {Qt::MoveAction, copyOnly, TDragOutcome::doCancelled},  // an effect the source never allowed
        {Qt::LinkAction, TDragTypes(dtCopy | dtMove), TDragOutcome::doCancelled},
        {Qt::IgnoreAction, allDragTypes, TDragOutcome::doCancelled},
    };
    for (const auto& c : cases)
        EXPECT_EQ(dragOutcomeOf(c.result, c.allowed), c.outcome) << int(c.result) << " " << int(c.allowed);
}

TEST(DragDrop, EffectByKeys)
{
    const int none = 0, shift = ksShift, control = ksControl, both = ksShift | ksControl;
    const struct {
        TDragTypes accepted;
        int keys;
        int effect;
    } cases[] = {
        {dtCopy, none, dtCopy},        {dtCopy, shift, dtCopy},
        {dtCopy, control, dtCopy},     {dtCopy, both, dtCopy},
        {allDragTypes, none, dtCopy},  {allDragTypes, shift, dtMove},
        {allDragTypes, control, dtCopy}, {allDragTypes, both, dtLink},
        {allDragTypes, both | ksLeftButton, dtLink},
        {dtMove, none, dtMove},        {dtLink, shift, dtLink},
        {TDragTypes(dtCopy | dtMove), both, dtCopy},
        {TDragTypes(), shift, none},
    };
    for (const auto& c : cases)
        EXPECT_EQ(dropEffectOf(c.keys, c.accepted), c.effect) << int(c.accepted) << " keys " << c.keys;
}

// Three files with awkward names, as a file manager offers them.
QStringList awkwardFiles()
{
    return {QStringLiteral("/photos/a b.jpg"), QStringLiteral("/photos/#2 100%.jpg"),
            platform::decodeFileName(QByteArray("/photos/caf\xe9\nx.jpg"))};
}

std::unique_ptr<QMimeData> fileData(const QStringList& files)
{
    auto data = std::make_unique<QMimeData>();
    data->setData(platform::uriListMimeType, platform::uriList(files));
    return data;
}

// A drag entering, moving over and dropping on a widget, as the window system delivers it.
struct Drag {
    QWidget& target;
    const QMimeData& data;
    Qt::DropActions possible = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
    Qt::KeyboardModifiers keys = Qt::NoModifier;

    Qt::DropAction enter(bool* accepted = nullptr)
    {
        QDragEnterEvent e(QPoint(5, 6), possible, &data, Qt::LeftButton, keys);
        QCoreApplication::sendEvent(&target, &e);
        if (accepted)
            *accepted = e.isAccepted();
        return e.isAccepted() ? e.dropAction() : Qt::IgnoreAction;
    }
    Qt::DropAction move()
    {
        QDragMoveEvent e(QPoint(7, 8), possible, &data, Qt::LeftButton, keys);
        QCoreApplication::sendEvent(&target, &e);
        return e.isAccepted() ? e.dropAction() : Qt::IgnoreAction;
    }
    Qt::DropAction drop()
    {
        QDropEvent e(QPointF(9, 10), possible, &data, Qt::NoButton, keys);
        QCoreApplication::sendEvent(&target, &e);
        return e.isAccepted() ? e.dropAction() : Qt::IgnoreAction;
    }
};

TEST(DragDrop, ThreeFilesReachTheDropHandlerAndAreGoneAfterIt)
{
    TFileListBox box;  // a scroll area, as the dialogs register
    box.setObjectName("FileBox");
    TDropFileTarget target;
    target.Register(&box);
    EXPECT_TRUE(box.acceptDrops());
    QStringList during;
    TDragType type = dtLink;
    QPoint where;
    QSignalSpy enters(&target, &TDropTarget::Enter);
    QSignalSpy overs(&target, &TDropTarget::DragOver);
    QObject::connect(&target, &TDropTarget::Drop, [&](TDragType t, QPoint pt) {
        during = target.Files;
        type = t;
        where = pt;
    });
    const auto data = fileData(awkwardFiles());
    Drag drag{box, *data};
    EXPECT_EQ(drag.enter(), Qt::CopyAction);
    EXPECT_EQ(drag.move(), Qt::CopyAction);
    EXPECT_EQ(drag.drop(), Qt::CopyAction);
    EXPECT_EQ(during, awkwardFiles());
    EXPECT_EQ(type, dtCopy);
    EXPECT_EQ(where, QPoint(9, 10));
    EXPECT_TRUE(target.Files.isEmpty());
    EXPECT_EQ(enters.count(), 1);
    EXPECT_EQ(overs.count(), 1);

    // The window system hands a list's drags to its viewport; points are the list's own.
    box.resize(200, 200);
    Drag onViewport{*box.viewport(), *data};
    EXPECT_EQ(onViewport.enter(), Qt::CopyAction);
    EXPECT_EQ(onViewport.drop(), Qt::CopyAction);
    EXPECT_EQ(during.size(), 3);
    EXPECT_EQ(where, box.viewport()->mapTo(&box, QPoint(9, 10)));
}

TEST(DragDrop, TextAndWebAddressesAreRefusedAtTheDoor)
{
    QWidget widget;
    TDropFileTarget target;
    target.Register(&widget);
    QSignalSpy enters(&target, &TDropTarget::Enter);
    QSignalSpy overs(&target, &TDropTarget::DragOver);
    QSignalSpy drops(&target, &TDropTarget::Drop);
    QSignalSpy leaves(&target, &TDropTarget::Leave);

    QMimeData text;
    text.setText("/photos/a.jpg");
    QMimeData web;
    web.setData(platform::uriListMimeType, "http://example.com/a.jpg\r\nhttps://example.com/b.jpg\r\n");
    for (const QMimeData* data : {&text, &web}) {
        Drag drag{widget, *data};
        bool accepted = true;
        EXPECT_EQ(drag.enter(&accepted), Qt::IgnoreAction);
        EXPECT_FALSE(accepted);
        EXPECT_EQ(drag.move(), Qt::IgnoreAction);
        EXPECT_EQ(drag.drop(), Qt::IgnoreAction);
    }
    EXPECT_EQ(enters.count() + overs.count() + drops.count() + leaves.count(), 0);
}

TEST(DragDrop, EffectFollowsKeysWithinWhatBothEndsAllow)
{
    QWidget widget;
    TDropFileTarget target;
    target.Register(&widget);
    const auto data = fileData({"/x.jpg"});
    TDragType dropped = dtCopy;
    QObject::connect(&target, &TDropTarget::Drop, [&](TDragType t) { dropped = t; });

    // All three accepted: Shift moves, Shift+Control links.
    Drag drag{widget, *data, Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, Qt::ShiftModifier};
    EXPECT_EQ(drag.enter(), Qt::MoveAction);
    drag.keys = Qt::ShiftModifier | Qt::ControlModifier;
    EXPECT_EQ(drag.move(), Qt::LinkAction);
    EXPECT_EQ(drag.drop(), Qt::LinkAction);
    EXPECT_EQ(dropped, dtLink);

    // A source that only copies never gets a move, whatever the keys.
    Drag copying{widget, *data, Qt::CopyAction, Qt::ShiftModifier};
    EXPECT_EQ(copying.enter(), Qt::CopyAction);
    EXPECT_EQ(copying.drop(), Qt::CopyAction);

    // A target registered for copies takes Shift as a copy.
    target.SetDragtypes(dtCopy);
    Drag shifted{widget, *data, Qt::CopyAction | Qt::MoveAction, Qt::ShiftModifier};
    EXPECT_EQ(shifted.enter(), Qt::CopyAction);
    EXPECT_EQ(shifted.drop(), Qt::CopyAction);

    // The handler may change the effect; none means no drop.
    target.OnGetDropEffect = [](int keyState, int& effect) {
        if (keyState & ksControl)
            effect = 0;
    };
    QSignalSpy drops(&target, &TDropTarget::Drop);
    Drag vetoed{widget, *data, Qt::CopyAction, Qt::ControlModifier};
    EXPECT_EQ(vetoed.enter(), Qt::IgnoreAction);
    EXPECT_EQ(vetoed.drop(), Qt::IgnoreAction);
    EXPECT_EQ(drops.count(), 0);
}

TEST(DragDrop, LeaveEmptiesAndDataOnEnterIsReadEarly)
{
    QWidget widget;
    TDropFileTarget target;
    target.SetGetDataOnEnter(true);
    target.Register(&widget);
    const auto data = fileData({"/a.jpg", "/b.jpg"});
    QStringList onEnter;
    QObject::connect(&target, &TDropTarget::Enter, [&] { onEnter = target.Files; });
    QSignalSpy leaves(&target, &TDropTarget::Leave);
    Drag drag{widget, *data};
    drag.enter();
    EXPECT_EQ(onEnter, (QStringList{"/a.jpg", "/b.jpg"}));
    QDragLeaveEvent leave;
    QCoreApplication::sendEvent(&widget, &leave);
    EXPECT_EQ(leaves.count(), 1);
    EXPECT_TRUE(target.Files.isEmpty());
}

TEST(DragDrop, RegistrationRulesAndADestroyedWidget)
{
    TDropFileTarget target;
    try {
        target.Register(nullptr);
        ADD_FAILURE() << "no exception";
    } catch (const TDropTargetError& e) {
        EXPECT_EQ(e.message(), "Failed to Register ");
    }
    EXPECT_FALSE(target.Registered());

    auto widget = std::make_unique<QWidget>();
    target.Register(widget.get());
    target.Register(widget.get());  // the same widget again changes nothing
    EXPECT_TRUE(target.Registered());
    QWidget other;
    target.Register(&other);
    EXPECT_FALSE(widget->acceptDrops());
    EXPECT_TRUE(other.acceptDrops());
    target.Unregister();
    EXPECT_FALSE(other.acceptDrops());

    target.Register(widget.get());
    widget.reset();
    EXPECT_FALSE(target.Registered());
    EXPECT_EQ(target.Control(), nullptr);
    target.Unregister();
    {
        // A target destroyed before its widget lets go of it.
        QWidget survivor;
        auto early = std::make_unique<TDropFileTarget>();
        early->Register(&survivor);
        early.reset();
        EXPECT_FALSE(survivor.acceptDrops());
        const auto data = fileData({"/a.jpg"});
        Drag drag{survivor, *data};
        drag.enter();
    }
}

TEST(DragDrop, SourceOffersFileUrlsAndFailsWithNothingToDrag)
{
    TDropFileSource source;
    EXPECT_EQ(source.Dragtypes(), TDragTypes(dtCopy));
    EXPECT_EQ(source.Execute(), TDragOutcome::doFailed);
    EXPECT_FALSE(source.CopyToClipboard());

    source.Files = awkwardFiles();
    source.SetDragtypes({});
    EXPECT_EQ(source.Execute(), TDragOutcome::doFailed);

    ASSERT_TRUE(source.CopyToClipboard());
    const QMimeData* board = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(board, nullptr);
    EXPECT_EQ(platform::localFilesOfUriList(board->data(platform::uriListMimeType)), awkwardFiles());
}

} // namespace
