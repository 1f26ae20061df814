#include "reflist.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>

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

QString decodeTextFile(const QByteArray &bytes, TextEncoding *encoding)
{
    TextEncoding found = TextEncoding::Windows1251;
    QString text;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        found = TextEncoding::Utf8WithMark;
        text = decodeAfterMark(QStringConverter::Utf8, QByteArrayView(bytes).sliced(3));
    } else if (bytes.startsWith("\xFF\xFE")) {
        found = TextEncoding::Utf16LE;
        text = decodeAfterMark(QStringConverter::Utf16LE, QByteArrayView(bytes).sliced(2));
    } else if (bytes.startsWith("\xFE\xFF")) {
        found = TextEncoding::Utf16BE;
        text = decodeAfterMark(QStringConverter::Utf16BE, QByteArrayView(bytes).sliced(2));
    } else {
        // Text in Windows-1251 is almost never valid UTF-8: its Cyrillic letters are all lead bytes
        // without the continuation bytes UTF-8 needs behind them.
        QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        text = utf8.decode(bytes);
        if (!utf8.hasError()) {
            found = TextEncoding::Utf8;
        } else {
            // The lists were written on Russian Windows machines in the ANSI code page. Qt knows
            // Windows-1251 through ICU, which the Debian Qt packages are built with.
            QStringDecoder decoder("windows-1251", QStringConverter::Flag::Stateless);
            Q_ASSERT_X(decoder.isValid(), "decodeTextFile", "Qt was built without ICU: no Windows-1251 decoder");
            text = decoder.decode(bytes);
        }
    }
    if (encoding)
        *encoding = found;
    return text;
}

QByteArray encodeTextFile(const QString &text, TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8:
        return text.toUtf8();
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE: {
        QStringEncoder encoder(encoding == TextEncoding::Utf16LE ? QStringConverter::Utf16LE
                                                                 : QStringConverter::Utf16BE,
                               QStringConverter::Flag::WriteBom);
        return encoder.encode(text);
    }
    case TextEncoding::Windows1251: {
        QStringEncoder encoder("windows-1251", QStringConverter::Flag::Stateless);
        const QByteArray bytes = encoder.encode(text);
        // The code page's substitutes for what it lacks would not read back as the text.
        QStringDecoder decoder("windows-1251", QStringConverter::Flag::Stateless);
        if (!encoder.hasError() && decoder.decode(bytes) == text)
            return bytes;
        break;
    }
    case TextEncoding::Utf8WithMark:
        break;
    }
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
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
