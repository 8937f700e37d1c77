#pragma once
// Works a file dialog's own controls as a user does.

#include <QAbstractItemView>
#include <QFileDialog>
#include <QLineEdit>
#include <QStringList>

// Types a name or path into the name box; the dialog selects the file it names. The box
// drops the old selection only while it has the focus, which a test window may lack: the
// selection is cleared first, as it is for a user typing there.
inline void typeFileName(QFileDialog& dialog, const QString& name)
{
    if (auto* view = dialog.findChild<QAbstractItemView*>(QStringLiteral("listView")))
        view->clearSelection();
    if (auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
        edit->setText(name);
}

// Presses the open button.
inline void acceptFileDialog(QFileDialog& dialog)
{
    QMetaObject::invokeMethod(&dialog, "accept");
}

// The names the file list shows for the current folder, in its order.
inline QStringList listedNames(QFileDialog& dialog)
{
    QStringList names;
    auto* view = dialog.findChild<QAbstractItemView*>(QStringLiteral("listView"));
    if (!view || !view->model())
        return names;
    const QModelIndex root = view->rootIndex();
    for (int row = 0; row < view->model()->rowCount(root); ++row)
        names << view->model()->index(row, 0, root).data().toString();
    return names;
}
