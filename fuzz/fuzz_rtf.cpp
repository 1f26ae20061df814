// The RTF reader on any bytes: a broken file is read as far as it goes, never a crash or a hang.
#include "rtfreader.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QTextCursor>
#include <QTextDocument>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray bytes("{\\rtf1");
    bytes.append(reinterpret_cast<const char *>(data), qsizetype(size));
    QTextDocument document;
    QTextCursor cursor(&document);
    pelorin::documents::insertRtf(cursor, bytes);
    return 0;
}
