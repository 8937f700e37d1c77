#include "pagebuttons.h"

#include "jpegsave.h"
#include "imaging/pixelgraphic.h"

#include "platform/paths.h"

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
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

QColor qColour(TColor colour)
{
    return QColor(redOf(colour), greenOf(colour), blueOf(colour));
}

// The background of the text bitmap: white, or lime where white is the text colour, so that
// the background never stands for a letter.
QColor textBackground(TColor colour)
{
    return (colour & 0xFFFFFF) == 0xFFFFFF ? QColor(0x00, 0xFF, 0x00) : QColor(Qt::white);
}

// The text centred on a bitmap of the given size filled with the background colour. Drawn
// without antialiasing: a letter's edge blended with the background would carry that colour
// onto the button.
QImage textBitmap(QSize size, const QString& text, const QFont& font, const QColor& colour, const QColor& background)
{
    QImage bitmap(size, QImage::Format_RGB32);
    if (bitmap.isNull())
        return bitmap;
    bitmap.fill(background);
    QPainter painter(&bitmap);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setFont(font);
    painter.setPen(colour);
    const QFontMetrics metrics(font, &bitmap);
    const int x = size.width() / 2 - metrics.horizontalAdvance(text) / 2;
    const int y = size.height() / 2 - metrics.height() / 2;
    painter.drawText(QPoint(x, y + metrics.ascent()), text);
    return bitmap;
}

// The text bitmap laid transparently over the button: its background colour lets the button
// show through, and every other pixel is a letter's, in the text colour (a glyph the font
// engine drew in colours of its own still gives no third colour).
void layText(TPixelGraphic& button, const QImage& bitmap, const QColor& background, TColor colour)
{
    const QRgb clear = background.rgb();
    for (int y = 0; y < bitmap.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(bitmap.constScanLine(y));
        for (int x = 0; x < bitmap.width(); ++x)
            if (row[x] != clear)
                button.SetPixelColor(x, y, colour & 0xFFFFFF);
    }
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
    const QColor background = textBackground(colour);
    layText(image, textBitmap(QSize(image.Width(), image.Height()), text, buttonFont(font), qColour(colour), background),
            background, colour);
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
            // Letters are one-pixel strokes: chroma subsampling would blend them with the blank.
            SaveOptions options = jpegSaveOptions(99, false);
            options.JPEGFullChroma = true;
            if (!savetojpeg(*button.image, file, options))
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
