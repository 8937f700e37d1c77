#include "instancerecord.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace {

constexpr int countOffset = 4;
constexpr int firstSlotOffset = 8;

void putInt32(QByteArray& bytes, int offset, std::int32_t value)
{
    qToLittleEndian<std::int32_t>(value, bytes.data() + offset);
}

std::int32_t getInt32(QByteArrayView bytes, int offset)
{
    return qFromLittleEndian<std::int32_t>(bytes.data() + offset);
}

} // namespace

QByteArray utf8Prefix(const QString& text, int maxBytes)
{
    QByteArray utf8 = text.toUtf8();
    if (utf8.size() <= maxBytes)
        return utf8;
    int end = maxBytes;
    // Step back over continuation bytes (10xxxxxx) to the start of the character cut in two.
    while (end > 0 && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80)
        --end;
    utf8.truncate(end);
    return utf8;
}

QByteArray encodeInstanceRecord(const InstanceRecord& record)
{
    QByteArray bytes(InstanceRecordSize, '\0');
    const int count = std::min<int>(record.parameters.size(), InstanceRecordMaxParameters);
    putInt32(bytes, 0, record.senderPid);
    putInt32(bytes, countOffset, count);
    for (int i = 0; i < count; ++i) {
        const QByteArray text = utf8Prefix(record.parameters[i], InstanceRecordMaxParameterBytes);
        // A zero byte inside a parameter ends it, as it would on the command line.
        std::memcpy(bytes.data() + firstSlotOffset + InstanceRecordSlotSize * i, text.constData(),
                    static_cast<std::size_t>(text.size()));
    }
    return bytes;
}

std::optional<InstanceRecord> decodeInstanceRecord(QByteArrayView bytes)
{
    if (static_cast<std::size_t>(bytes.size()) < InstanceRecordSize)
        return std::nullopt;
    InstanceRecord record;
    record.senderPid = getInt32(bytes, 0);
    const int count = std::clamp<std::int32_t>(getInt32(bytes, countOffset), 0, InstanceRecordMaxParameters);
    for (int i = 0; i < count; ++i) {
        const char* slot = bytes.data() + firstSlotOffset + InstanceRecordSlotSize * i;
        const void* zero = std::memchr(slot, '\0', InstanceRecordMaxParameterBytes);
        const qsizetype length = zero ? static_cast<const char*>(zero) - slot : InstanceRecordMaxParameterBytes;
        record.parameters << QString::fromUtf8(slot, length);
    }
    return record;
}
