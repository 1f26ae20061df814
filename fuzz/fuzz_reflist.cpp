// The reference-list reader on any bytes: broken encodings and line ends give items or a message.
#include "reflist.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QStringList lines = pelorin::splitLines(pelorin::decodeTextFile(bytes));
    (void)lines;
    return 0;
}
