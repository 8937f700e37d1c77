#pragma once

#include "app/settings/colourchoice.h"

#include <QString>

#include <memory>
#include <optional>

class TPixelGraphic;

// The face of the text on the page-number buttons.
struct ButtonFont {
    QString family;      // empty: "Arial"
    int pointSize = 10;
    bool bold = false;
    bool italic = false;
};

// A page-number button before it is saved: a 24-bit copy of the blank with the letters of the
// text in the text colour, centred, and nothing else of the text's cell; whether the blank
// was a true-colour image (24 bits a pixel) decides the file type.
struct PageButton {
    std::unique_ptr<TPixelGraphic> image;
    bool trueColour = false;
};

// Raises the library's error when the blank cannot be read.
PageButton drawPageButton(const QString& blank, TColor colour, const QString& text, const ButtonFont& font);

// Draws the button and saves it: a true-colour blank gives a baseline JPEG of quality 99
// without chroma subsampling under output with ".jpg", any other blank a GIF under output
// with ".gif". The text is drawn
// without antialiasing, so a GIF button holds only the blank's colours and the text colour.
// Gives the extension used, or nothing when the blank could not be read or the button not
// written (no file is left then).
std::optional<QString> createbutton(const QString& blank, const QString& output, TColor colour, const QString& text,
                                    const ButtonFont& font);
