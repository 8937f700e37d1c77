// Text in a metafile's playback: strings of characters or of the font's glyph numbers, laid out
// by their advances or by the font, aligned to their reference point, and drawn or added to the
// path being recorded.
#include "gdiplayer.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPainter>
#include <QRawFont>

#include <cmath>

namespace metafile {

namespace {

constexpr std::size_t kMaxTextLength = 1 << 16;
constexpr char16_t kBreakCharacter = u' ';

} // namespace

void GdiPlayer::TextOut(const GdiText& Text)
{
    if (Text.rect && (Text.options & etoOpaque) && !inPath_)
        fillOutputPolygon(mapRect(*Text.rect), qtColor(state_.bkColor));
    const bool glyphs = !Text.glyphs.empty();
    const std::size_t count = std::min(glyphs ? Text.glyphs.size() : std::size_t(Text.text.size()), kMaxTextLength);
    if (count == 0 || !canDrawText_)
        return;
    const QString text = Text.text.left(qsizetype(count));
    const QList<quint32> glyphList(Text.glyphs.begin(), Text.glyphs.begin() + std::ptrdiff_t(glyphs ? count : 0));
    QPointF reference = Text.reference;
    const bool updatePosition = state_.textAlign & taUpdateCp;
    if (updatePosition)
        reference = state_.position;
    const QFont font = qtFont();
    const QFontMetricsF metrics(font, painter_.device());
    // Glyph numbers belong to the font the picture was made with: only that very font can draw
    // them, another one would show other letters.
    const QRawFont raw = glyphs ? QRawFont::fromFont(font) : QRawFont();
    const bool drawable = !glyphs || (raw.isValid() && QFontInfo(font).exactMatch());
    const double xs = xScale();

    // Where each character or glyph starts along the baseline, in output pixels; none when the
    // font lays out the whole string itself.
    std::vector<double> offsets;
    double width = 0, farthest = 0;
    const auto advanceBy = [&](double advance) {
        offsets.push_back(width);
        width += advance;
        farthest = std::max(farthest, std::fabs(width));
    };
    if (const std::size_t given = std::min(Text.advances.size(), count); given > 0) {
        for (std::size_t i = 0; i < given; ++i)
            advanceBy(Text.advances[i] * xs);
    } else if (glyphs) {
        if (drawable)
            for (QPointF advance : raw.advancesForGlyphIndexes(glyphList))
                advanceBy(advance.x());
    } else if (state_.charExtra != 0 || state_.breakExtra != 0) {
        for (QChar c : text)
            advanceBy(metrics.horizontalAdvance(c) + (state_.charExtra + (c == kBreakCharacter ? state_.breakExtra : 0)) * xs);
    } else {
        width = metrics.horizontalAdvance(text);
    }
    // Strings that reach past the coordinates the painter can take are not drawn.
    if (!std::isfinite(width) || std::max(farthest, std::fabs(width)) > CoordinateLimit)
        return;

    double x = 0;
    if ((state_.textAlign & taHorizontalMask) == taRight)
        x = -width;
    else if ((state_.textAlign & taHorizontalMask) == taCenter)
        x = -width / 2;
    if (state_.layout & layoutRightToLeft)
        x = -x - width; // the string runs the other way from its reference point
    double baseline = metrics.ascent(); // top
    if ((state_.textAlign & taVerticalMask) == taBottom)
        baseline = -metrics.descent();
    else if ((state_.textAlign & taVerticalMask) == taBaseline)
        baseline = 0;
    const QPointF origin = map(reference);
    QTransform place;
    place.translate(origin.x(), origin.y());
    place.rotate(-state_.font.escapement / 10.0);

    if (inPath_) {
        // Outlines only: the path is filled or stroked later.
        QPainterPath outline;
        if (!glyphs && offsets.empty())
            outline.addText(QPointF(x, baseline), font, text);
        for (std::size_t i = 0; drawable && i < offsets.size(); ++i) {
            const QPointF at(x + offsets[i], baseline);
            if (glyphs)
                outline.addPath(raw.pathForGlyph(glyphList[qsizetype(i)]).translated(at));
            else
                outline.addText(at, font, QString(text[qsizetype(i)]));
        }
        path_.addPath(place.map(outline));
    } else {
        prepare();
        painter_.save();
        if (Text.rect && (Text.options & etoClipped)) {
            QRegion clip = regionOf(*Text.rect);
            if (const std::optional<QRegion> current = effectiveClip())
                clip &= *current;
            painter_.setClipRegion(clip);
        }
        painter_.setTransform(place);
        painter_.setFont(font);
        painter_.setBackgroundMode(Qt::TransparentMode);
        if (state_.bkOpaque)
            painter_.fillRect(QRectF(x, baseline - metrics.ascent(), width, metrics.ascent() + metrics.descent()),
                              qtColor(state_.bkColor));
        painter_.setPen(qtColor(state_.textColor));
        if (glyphs && drawable) {
            QList<QPointF> positions;
            for (std::size_t i = 0; i < offsets.size(); ++i)
                positions << QPointF(x + offsets[i], baseline);
            QGlyphRun run;
            run.setRawFont(raw);
            run.setGlyphIndexes(glyphList.first(positions.size()));
            run.setPositions(positions);
            painter_.drawGlyphRun(QPointF(0, 0), run);
        } else if (!glyphs && !offsets.empty()) {
            for (std::size_t i = 0; i < offsets.size(); ++i)
                painter_.drawText(QPointF(x + offsets[i], baseline), QString(text[qsizetype(i)]));
        } else if (!glyphs) {
            painter_.drawText(QPointF(x, baseline), text);
        }
        painter_.restore();
    }
    if (updatePosition && xs > 0)
        state_.position.rx() += width / xs;
}

} // namespace metafile
