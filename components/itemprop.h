#pragma once

#include "shellnamespace.h"

#include <QDialog>
#include <QList>
#include <QPair>
#include <QPoint>
#include <QString>
#include <QStringList>

class QWidget;

namespace platform {
struct Services;
}

// What ShellItemCommand does with its items.
enum TItemAction : quint8 {
    iaContextMenu = 0,  // show the item menu and run the chosen command
    iaProperties = 1,   // the "properties" verb
    iaDefault = 2,      // the menu's default command ("open")
    iaVerb = 3,         // the verb given by name
};

// The verbs of the item menu, in its order; the first is the default.
inline constexpr const char* ItemVerbs[] = {"open", "opencontainingfolder", "copypath", "properties"};

// Runs a command on items of the namespace, named either by Items or by Path (whose file name
// may hold "*" and "?"; "." and ".." never match). True when the command ran, and for the menu
// also when it was closed without a choice. Items without a path ("Computer") have no verbs;
// no items, an unknown verb or an unknown action give false. An open that fails is told to
// the user through the services' prompts, also when the opener fails after it started.
bool ShellItemCommand(const QString& Path, const QList<ShellItem>& Items, int Action, const QString& Verb,
                      QWidget* Owner, const QPoint& Point, const platform::Services& Services);

// The item menu at a screen point.
bool ShowItemContextMenu(const QList<ShellItem>& Items, QWidget* Owner, const QPoint& Point,
                         const platform::Services& Services);

// The rows of the Properties window for one file or folder: name, location, type, size (for a
// folder the number of items directly inside it), modified time, permissions, owner.
QList<QPair<QString, QString>> ItemPropertyRows(const QString& path);

// A read-only window of the properties of one or more items, one page each.
class TItemPropertiesWindow : public QDialog {
    Q_OBJECT
public:
    TItemPropertiesWindow(const QStringList& paths, QWidget* parent = nullptr);
};
