// The drug-tree reader on any bytes: level jumps and broken encodings give a tree or a message.
#include "drugtree.h"
#include "reflist.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    pelorin::treatment::DrugTree tree;
    QString error;
    int line = 0;
    if (tree.parse(pelorin::splitLines(pelorin::decodeTextFile(bytes)), &error, &line)) {
        // What was read is written back the same way.
        pelorin::treatment::DrugTree again;
        if (!again.parse(tree.toLines(), &error) || again.toLines() != tree.toLines())
            __builtin_trap();
    }
    return 0;
}
