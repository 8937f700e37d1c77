#include "components/instancerecord.h"

#include <QtEndian>

#include <gtest/gtest.h>

namespace {

QByteArray int32le(std::int32_t value)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

// A record written byte by byte: pid, count, and slot texts placed at 8 + 301 * i.
QByteArray handMade(std::int32_t pid, std::int32_t count, const QList<QByteArray>& texts, int size = 3018)
{
    QByteArray bytes(std::max(size, 3018), '\0');
    bytes.replace(0, 4, int32le(pid));
    bytes.replace(4, 4, int32le(count));
    for (int i = 0; i < texts.size(); ++i)
        bytes.replace(8 + 301 * i, texts[i].size(), texts[i]);
    return bytes.left(size);
}

QStringList numbered(int n)
{
    QStringList list;
    for (int i = 1; i <= n; ++i)
        list << QStringLiteral("p%1").arg(i);
    return list;
}

TEST(InstanceRecord, EncodesPidCountAndSlotsAtTheirOffsets)
{
    const QByteArray bytes = encodeInstanceRecord({0x01020304, {"/Rotate", "", "two words"}});
    ASSERT_EQ(bytes.size(), 3018);
    EXPECT_EQ(bytes.left(8), QByteArray::fromHex("0403020103000000"));
    EXPECT_EQ(bytes.mid(8, 8), QByteArray("/Rotate\0", 8));
    EXPECT_EQ(bytes.mid(309, 1), QByteArray(1, '\0'));
    EXPECT_EQ(bytes.mid(610, 10), QByteArray("two words\0", 10));
    // Everything else is zero.
    QByteArray rest = bytes;
    rest.replace(0, 8, QByteArray(8, '\0')).replace(8, 7, QByteArray(7, '\0')).replace(610, 9, QByteArray(9, '\0'));
    EXPECT_EQ(rest, QByteArray(3018, '\0'));
    EXPECT_EQ(encodeInstanceRecord({-1, {}}).left(8), QByteArray::fromHex("ffffffff00000000"));
}

TEST(InstanceRecord, RoundTripsWithinTheLimits)
{
    const QString accented = QString(QChar(0x00E9)).repeated(150);       // 300 bytes exactly
    const QString overlong = QString(QLatin1Char('x')).repeated(400);
    const QString straddling = QStringLiteral("x") + QString(QChar(0x00E9)).repeated(150);  // cut inside a 2-byte char
    const QString astral = QString(QLatin1Char('y')).repeated(298) + QString::fromUcs4(U"\U0001F600");  // 4-byte char at 298
    const struct {
        const char* what;
        QStringList sent;
        QStringList received;
    } cases[] = {
        {"none", {}, {}},
        {"ten", numbered(10), numbered(10)},
        {"twelve give ten", numbered(12), numbered(10)},
        {"400 characters give 300", {overlong}, {overlong.left(300)}},
        {"300 bytes of two-byte characters", {accented}, {accented}},
        {"cut before a split character", {straddling}, {straddling.left(150)}},
        {"cut before a four-byte character", {astral}, {astral.left(298)}},
        {"empty and spaces kept", {"", " a b "}, {"", " a b "}},
    };
    for (const auto& c : cases) {
        const std::optional<InstanceRecord> back = decodeInstanceRecord(encodeInstanceRecord({4242, c.sent}));
        ASSERT_TRUE(back) << c.what;
        EXPECT_EQ(back->senderPid, 4242) << c.what;
        EXPECT_EQ(back->parameters, c.received) << c.what;
    }
}

TEST(InstanceRecord, DamagedRecordsAreBounded)
{
    const QByteArray full300(300, 'a');
    const QByteArray unterminated(301, 'b');  // fills its slot: no zero byte
    const struct {
        const char* what;
        QByteArray bytes;
        std::optional<QStringList> parameters;
    } cases[] = {
        {"count 11 reads 10", handMade(7, 11, {"a", "b"}), QStringList{"a", "b", "", "", "", "", "", "", "", ""}},
        {"count -1 reads none", handMade(7, -1, {"a"}), QStringList{}},
        {"count 2^31-1 reads 10", handMade(7, 0x7fffffff, {"a"}), QStringList{"a", "", "", "", "", "", "", "", "", ""}},
        {"count -2^31 reads none", handMade(7, std::numeric_limits<std::int32_t>::min(), {"a"}), QStringList{}},
        {"slot without terminator reads 300 bytes", handMade(7, 2, {unterminated, "c"}),
         QStringList{QString(full300).replace('a', 'b'), "c"}},
        {"last slot without terminator", handMade(7, 10, {"", "", "", "", "", "", "", "", "", unterminated}),
         QStringList{"", "", "", "", "", "", "", "", "", QString(full300).replace('a', 'b')}},
        {"short record", handMade(7, 1, {"a"}, 3017), std::nullopt},
        {"empty", QByteArray(), std::nullopt},
        {"bytes past the record ignored", handMade(7, 1, {"a"}) + QByteArray(50, 'z'), QStringList{"a"}},
    };
    for (const auto& c : cases) {
        const std::optional<InstanceRecord> record = decodeInstanceRecord(c.bytes);
        ASSERT_EQ(record.has_value(), c.parameters.has_value()) << c.what;
        if (record) {
            EXPECT_EQ(record->parameters, *c.parameters) << c.what;
        }
    }
}

TEST(InstanceRecord, InvalidUtf8ArrivesAsReplacementCharacters)
{
    const std::optional<InstanceRecord> record = decodeInstanceRecord(handMade(1, 1, {"a\xff\xfe" "b"}));
    ASSERT_TRUE(record);
    ASSERT_EQ(record->parameters.size(), 1);
    EXPECT_TRUE(record->parameters[0].startsWith('a'));
    EXPECT_TRUE(record->parameters[0].endsWith('b'));
    EXPECT_TRUE(record->parameters[0].contains(QChar::ReplacementCharacter));
}

} // namespace
