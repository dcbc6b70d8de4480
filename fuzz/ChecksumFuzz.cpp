// Any bytes: the fast image checksum (wide sums, vector lanes, the stored
// field of an image left out) equals the word-by-word reference, and equal
// bytes give equal content hashes.
#include "dupes/engine/FileChecksum.h"
#include "support/ReferenceChecksum.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const char *bytes = reinterpret_cast<const char *>(data);
    const QByteArray copy(bytes, qsizetype(size));
    if (vs::ChecksumOfBytes(bytes, size) != vs::test::ReferenceChecksum(copy))
        std::abort();
    const vs::FileContent a = vs::ContentOfBytes(bytes, size);
    const vs::FileContent b = vs::ContentOfBytes(copy.constData(), size_t(copy.size()));
    if (!a.sameAs(b) || a.checksum != vs::ChecksumOfBytes(bytes, size))
        std::abort();
    return 0;
}
