#pragma once

#include "appcontext.h"

#include <QString>

#include <optional>

class QWidget;

// The header and footer buttons' one way to their dialogs: the composer and the list editor
// are made for the click, told whether they edit a header, and one of them is shown through
// the dialog runner: the composer on an entry's HTML (asHtml, with "Pure HTML" chosen), else
// the list editor on a list file's path. Gives the composer's HTML or the list editor's file,
// nothing after Cancel.
std::optional<QString> runHeaderFooterDialog(AppContext& context, bool isHeader, bool asHtml, const QString& text,
                                             QWidget* parent = nullptr);
