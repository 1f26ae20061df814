#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class QFile;

namespace pelorin {

// A Russian reason for a file that cannot be opened ("файл не найден", "нет прав на чтение"); Qt's
// own text is English and depends on the platform.
QString fileOpenFailureReason(const QString &path, const QFile &file);

// How a text file was written, so that a file written back keeps it.
enum class TextEncoding { Utf8WithMark, Utf8, Utf16LE, Utf16BE, Windows1251 };

// Decodes a text file: a UTF-8 or UTF-16 (either byte order) byte-order mark selects that
// encoding; without a mark the bytes are UTF-8 when they are valid UTF-8 (what Linux editors save),
// else Windows-1251. The mark itself is not part of the text.
QString decodeTextFile(const QByteArray &bytes, TextEncoding *encoding = nullptr);
// The bytes of a text in the encoding it was read in, the mark included. A text that Windows-1251
// cannot hold whole is written as UTF-8 with a mark rather than with question marks.
QByteArray encodeTextFile(const QString &text, TextEncoding encoding);

// Splits a decoded text into lines: CR LF or a bare LF end a line; a final line terminator
// does not make an extra empty line; empty lines in between are kept.
QStringList splitLines(const QString &text);

// Reads a reference list file: one pick-list item per line, in file order, empty lines kept.
// On failure returns false and sets error to a Russian message naming the file.
bool readReferenceList(const QString &path, QStringList *items, QString *error);

} // namespace pelorin
