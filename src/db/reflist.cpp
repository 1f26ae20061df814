#include "reflist.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace pelorin {

namespace {

// Decodes the bytes after a byte-order mark. The mark was cut off already; a second mark
// right behind it is text and must stay, hence ConvertInitialBom.
QString decodeAfterMark(QStringConverter::Encoding encoding, QByteArrayView bytes)
{
    QStringDecoder decoder(encoding, QStringConverter::Flag::ConvertInitialBom);
    return decoder.decode(bytes);
}

} // namespace

QString fileOpenFailureReason(const QString &path, const QFile &file)
{
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("файл не найден");
    if (info.isDir())
        return QStringLiteral("это папка, а не файл");
    if (!info.isReadable())
        return QStringLiteral("нет прав на чтение");
    return file.errorString();
}

QString decodeTextFile(const QByteArray &bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return decodeAfterMark(QStringConverter::Utf8, QByteArrayView(bytes).sliced(3));
    if (bytes.startsWith("\xFF\xFE"))
        return decodeAfterMark(QStringConverter::Utf16LE, QByteArrayView(bytes).sliced(2));
    if (bytes.startsWith("\xFE\xFF"))
        return decodeAfterMark(QStringConverter::Utf16BE, QByteArrayView(bytes).sliced(2));

    // The lists were written on Russian Windows machines in the ANSI code page. Qt knows
    // Windows-1251 through ICU, which the Debian Qt packages are built with.
    QStringDecoder decoder("windows-1251", QStringConverter::Flag::Stateless);
    Q_ASSERT_X(decoder.isValid(), "decodeTextFile", "Qt was built without ICU: no Windows-1251 decoder");
    return decoder.decode(bytes);
}

QStringList splitLines(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    while (start < text.size()) {
        const qsizetype end = text.indexOf(QLatin1Char('\n'), start);
        if (end < 0) {
            lines << text.mid(start); // last line without a terminator
            break;
        }
        // Only a CR right before the LF belongs to the line end; a lone CR is text.
        const qsizetype length = (end > start && text.at(end - 1) == QLatin1Char('\r')) ? end - 1 - start : end - start;
        lines << text.mid(start, length);
        start = end + 1;
    }
    return lines;
}

bool readReferenceList(const QString &path, QStringList *items, QString *error)
{
    QFile file(path);
    QByteArray bytes;
    bool read = file.open(QIODevice::ReadOnly);
    if (read) {
        bytes = file.readAll();
        read = file.error() == QFileDevice::NoError;
    }
    if (!read) {
        if (error) {
            const QString reason = file.isOpen() ? file.errorString() : fileOpenFailureReason(path, file);
            *error = QStringLiteral("Не удалось открыть файл «") + QDir::toNativeSeparators(path) +
                     QStringLiteral("»: ") + reason;
        }
        return false;
    }
    if (items)
        *items = splitLines(decodeTextFile(bytes));
    if (error)
        error->clear();
    return true;
}

} // namespace pelorin
