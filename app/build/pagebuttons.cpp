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

std::optional<QString> createbutton(const QString& blank, const QString& output, TColor colour, const QString& text,
                                    const ButtonFont& font)
{
    try {
        TPixelGraphic source;
        source.SetWarningAction(waIgnore);
        source.LoadFromFile(blank);
        const bool trueColour = source.BitCountNum() == bcn24Bit;

        TPixelGraphic button;
        button.Allocate(source.Width(), source.Height(), bcn24Bit);
        button.CopyRect(0, 0, source.Width(), source.Height(), 0, 0, source.Width(), source.Height(), source);
        TPGCanvas& canvas = button.Canvas();
        canvas.SetFont(buttonFont(font));
        canvas.SetPen(QPen(QColor(redOf(colour), greenOf(colour), blueOf(colour))));
        const int x = button.Width() / 2 - canvas.TextWidth(text) / 2;
        const int y = button.Height() / 2 - canvas.TextHeight(text) / 2;
        QPainter& painter = canvas.Painter();
        painter.setRenderHint(QPainter::TextAntialiasing, false);
        painter.setRenderHint(QPainter::Antialiasing, false);
        canvas.TextOut(x, y, text);
        button.FlushCanvas();

        const QString extension = trueColour ? QStringLiteral(".jpg") : QStringLiteral(".gif");
        const QString file = platform::changeextension(output, extension);
        if (trueColour) {
            if (!savetojpeg(button, file, 99, false))
                return std::nullopt;
        } else {
            button.SetColorResConversion(crcConvert);
            button.SaveToFile(file, CurrentSaveOptions());
        }
        return extension;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}
