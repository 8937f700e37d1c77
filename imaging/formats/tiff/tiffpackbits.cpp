// PackBits: the run-length coding of TIFF strips, one row at a time.
#include "tiffformat.h"
#include "tiffpackbits.h"
#include "tiffsource.h"
#include "imaging/pgexceptions.h"
#include "imaging/pgmessages.h"

#include <algorithm>
#include <cstring>

namespace tiff {

void DecodePackBitsRow(Source& Data, std::int64_t& Position, std::uint8_t* Out, std::int64_t RowBytes, std::int64_t Row)
{
    std::int64_t filled = 0;
    while (filled < RowBytes) {
        const int n = std::int8_t(Data.Byte(Position++));
        if (n == -128)
            continue;
        const std::int64_t count = n >= 0 ? n + 1 : 1 - n;
        if (count > RowBytes - filled)
            RaiseTagged<EPGTIFFileFormatReader>("TIFF (PackBits)", PGLangStrS1(PgMsg::InvalidRowByteCount, QString::number(Row)));
        if (n >= 0) {
            Data.Read(Position, Out + filled, count);
            Position += count;
        } else {
            std::memset(Out + filled, Data.Byte(Position++), std::size_t(count));
        }
        filled += count;
    }
}

} // namespace tiff

void EncodePackBitsRow(std::span<const std::uint8_t> Row, std::vector<std::uint8_t>& Out)
{
    const std::size_t n = Row.size();
    if (n == 0)
        return;
    // The length of the run of equal bytes each byte belongs to; only 1, 2 and more count.
    std::vector<std::uint8_t> run(n);
    for (std::size_t start = 0; start < n;) {
        std::size_t end = start + 1;
        while (end < n && Row[end] == Row[start])
            ++end;
        std::fill(run.begin() + std::ptrdiff_t(start), run.begin() + std::ptrdiff_t(end), std::uint8_t(std::min<std::size_t>(end - start, 3)));
        start = end;
    }
    // A pair next to single bytes costs as much as a run as in the literal: it joins the literal.
    for (std::size_t i = 1; i < n; ++i)
        if (run[i] == 2 && run[i - 1] == 1)
            run[i] = 1;
    for (std::size_t i = n - 1; i-- > 0;)
        if (run[i] == 2 && run[i + 1] == 1)
            run[i] = 1;

    constexpr std::size_t kMaxPacket = 128;
    for (std::size_t i = 0; i < n;) {
        std::size_t count = 1;
        if (run[i] == 1) {
            while (count < kMaxPacket && i + count < n && run[i + count] <= 1)
                ++count;
            Out.push_back(std::uint8_t(count - 1));
            Out.insert(Out.end(), Row.begin() + std::ptrdiff_t(i), Row.begin() + std::ptrdiff_t(i + count));
        } else {
            while (count < kMaxPacket && i + count < n && Row[i + count] == Row[i])
                ++count;
            Out.push_back(std::uint8_t(-std::int8_t(count - 1)));
            Out.push_back(Row[i]);
        }
        i += count;
    }
}
