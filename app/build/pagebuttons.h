#pragma once

#include "app/settings/colourchoice.h"

#include <QString>

#include <optional>

// The face of the text on the page-number buttons.
struct ButtonFont {
    QString family;      // empty: "Arial"
    int pointSize = 10;
    bool bold = false;
    bool italic = false;
};

// Draws text centred onto a copy of the blank button image and saves it: a true-colour blank
// (24 bits a pixel) gives a baseline JPEG of quality 99 under output with ".jpg", any other
// blank a GIF under output with ".gif". The text is drawn without antialiasing, so the button
// holds only the blank's colours and the text colour. Gives the extension used, or nothing
// when the blank could not be read or the button not written (no file is left then).
std::optional<QString> createbutton(const QString& blank, const QString& output, TColor colour, const QString& text,
                                    const ButtonFont& font);
