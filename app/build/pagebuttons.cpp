#include "pagebuttons.h"

#include "jpegsave.h"
#include "imaging/pgcanvas.h"
#include "imaging/pixelgraphic.h"

#include "platform/paths.h"

#include <QColor>
#include <QFont>
#include <QPainter>

#include <exception>

namespace {

QFont buttonFont(const ButtonFont& face)
{
    QFont font(face.family.isEmpty() ? QStringLiteral("Arial") : face.family);
    // Points at 96 pixels an inch, rounded.
    font.setPixelSize(std::max(1, (face.pointSize * 96 + 36) / 72));
    font.setBold(face.bold);
    font.setItalic(face.italic);
    font.setUnderline(false);
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

} // namespace

PageButton drawPageButton(const QString& blank, TColor colour, const QString& text, const ButtonFont& font)
{
    TPixelGraphic source;
    source.SetWarningAction(waIgnore);
    source.LoadFromFile(blank);

    PageButton button{std::make_unique<TPixelGraphic>(), source.BitCountNum() == bcn24Bit};
    TPixelGraphic& image = *button.image;
    image.Allocate(source.Width(), source.Height(), bcn24Bit);
    image.CopyRect(0, 0, source.Width(), source.Height(), 0, 0, source.Width(), source.Height(), source);
    TPGCanvas& canvas = image.Canvas();
    canvas.SetFont(buttonFont(font));
    canvas.SetPen(QPen(QColor(redOf(colour), greenOf(colour), blueOf(colour))));
    canvas.SetBrush(Qt::NoBrush); // no text cell: only the letters land on the blank
    const int x = image.Width() / 2 - canvas.TextWidth(text) / 2;
    const int y = image.Height() / 2 - canvas.TextHeight(text) / 2;
    // Without antialiasing a letter's pixels take the pen colour only, so a GIF button holds
    // the blank's colours and the text colour.
    QPainter& painter = canvas.Painter();
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.setRenderHint(QPainter::Antialiasing, false);
    canvas.TextOut(x, y, text);
    image.FlushCanvas();
    return button;
}

std::optional<QString> createbutton(const QString& blank, const QString& output, TColor colour, const QString& text,
                                    const ButtonFont& font)
{
    try {
        const PageButton button = drawPageButton(blank, colour, text, font);
        const QString extension = button.trueColour ? QStringLiteral(".jpg") : QStringLiteral(".gif");
        const QString file = platform::changeextension(output, extension);
        if (button.trueColour) {
            if (!savetojpeg(*button.image, file, 99, false))
                return std::nullopt;
        } else {
            button.image->SetColorResConversion(crcConvert);
            button.image->SaveToFile(file, CurrentSaveOptions());
        }
        return extension;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}
