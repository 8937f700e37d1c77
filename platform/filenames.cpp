#include "filenames.h"

#include <QStringDecoder>

namespace platform {

namespace {

constexpr char16_t escapeBase = 0xDC00;

// Length of the valid UTF-8 sequence at i, 0 when it is not one (overlong forms, surrogates
// and values past U+10FFFF are invalid).
int validSequence(QByteArrayView s, qsizetype i, char32_t& code)
{
    const auto byte = [&](qsizetype k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char b0 = byte(i);
    int length;
    char32_t min;
    if (b0 < 0x80) {
        code = b0;
        return 1;
    } else if ((b0 & 0xE0) == 0xC0) {
        length = 2, code = b0 & 0x1F, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        length = 3, code = b0 & 0x0F, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        length = 4, code = b0 & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (i + length > s.size())
        return 0;
    for (int k = 1; k < length; ++k) {
        const unsigned char b = byte(i + k);
        if ((b & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (b & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

// True when the character at i carries a byte that was not UTF-8 (and is not the low half of a
// supplementary character).
bool carriesByte(QStringView name, qsizetype i)
{
    const char16_t c = name[i].unicode();
    return c >= escapeBase + 0x80 && c <= escapeBase + 0xFF && !(i > 0 && QChar::isHighSurrogate(name[i - 1].unicode()));
}

} // namespace

QString decodeFileName(QByteArrayView bytes)
{
    // Nearly every name and setting is valid UTF-8, which Qt's decoder takes much faster than
    // the loop below; a leading byte-order mark is a character of the name like any other.
    if (bytes.isValidUtf8())
        return QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom)
            .decode(bytes);
    QString result;
    result.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size();) {
        char32_t code = 0;
        const int length = validSequence(bytes, i, code);
        if (length == 0) {
            result.append(QChar(char16_t(escapeBase + static_cast<unsigned char>(bytes[i]))));
            ++i;
            continue;
        }
        if (code < 0x10000) {
            result.append(QChar(char16_t(code)));
        } else {
            result.append(QChar(QChar::highSurrogate(code)));
            result.append(QChar(QChar::lowSurrogate(code)));
        }
        i += length;
    }
    return result;
}

QByteArray encodeFileName(QStringView name)
{
    QByteArray result;
    result.reserve(name.size());
    qsizetype runStart = 0;
    const auto flush = [&](qsizetype end) {
        if (end > runStart)
            result.append(name.mid(runStart, end - runStart).toUtf8());
    };
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (carriesByte(name, i)) {
            flush(i);
            result.append(char(name[i].unicode() - escapeBase));
            runStart = i + 1;
        }
    }
    flush(name.size());
    return result;
}

QString displayFileName(QStringView name)
{
    QString shown = name.toString();
    for (qsizetype i = 0; i < shown.size(); ++i)
        if (carriesByte(name, i))
            shown[i] = QChar::ReplacementCharacter;
    return shown;
}

QString linkFileName(QStringView name)
{
    QString link;
    link.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (carriesByte(name, i) || name[i] == QLatin1Char('%'))
            link += QStringLiteral("%%1").arg(name[i].unicode() & 0xFF, 2, 16, QLatin1Char('0')).toUpper();
        else
            link += name[i];
    }
    return link;
}

} // namespace platform
