// The image checksum computed word by word, exactly as defined (carry folded
// at each step, the stored field of a PE image left out): the slow reference
// that the fast checksum is compared with in tests and under the fuzzer.
#pragma once

#include <QByteArray>
#include <cstdint>

namespace vs::test
{

inline int32_t ReferenceChecksum(const QByteArray &d)
{
    const uint64_t length = uint64_t(d.size()) & 0xFFFFFFFFu;
    auto at = [&](uint64_t pos) -> uint32_t { return pos < length ? uint8_t(d[qsizetype(pos)]) : 0; };
    uint32_t s = 0;
    for (uint64_t i = 0; i + 1 < length; i += 2) {
        s += at(i) | at(i + 1) << 8;
        s = (s & 0xFFFF) + (s >> 16);
    }
    if (length & 1) {
        s += at(length - 1);
        s = (s & 0xFFFF) + (s >> 16);
    }
    auto le32 = [&](uint64_t p) { return at(p) | at(p + 1) << 8 | at(p + 2) << 16 | at(p + 3) << 24; };
    const int32_t e = int32_t(le32(0x3C));
    if (at(0) == 'M' && at(1) == 'Z' && e >= 0 && e < 256 * 1024 * 1024 && at(e) == 'P' && at(e + 1) == 'E' &&
        at(e + 2) == 0 && at(e + 3) == 0) {
        const uint32_t magic = at(e + 24) | at(e + 25) << 8;
        if (magic == 0x10B || magic == 0x20B) {
            const uint32_t h = le32(uint64_t(e) + 88);
            for (uint32_t w : {h & 0xFFFF, h >> 16})
                s = s >= w ? s - w : s - w + 0xFFFF;
        }
    }
    return int32_t(s + uint32_t(length));
}

} // namespace vs::test
