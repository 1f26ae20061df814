#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class QFile;

namespace pelorin {

// A Russian reason for a file that cannot be opened ("файл не найден", "нет прав на чтение"); Qt's
// own text is English and depends on the platform.
QString fileOpenFailureReason(const QString &path, const QFile &file);

// Decodes a text file: a UTF-8 or UTF-16 (either byte order) byte-order mark selects that
// encoding, anything else is Windows-1251. The mark itself is not part of the text.
QString decodeTextFile(const QByteArray &bytes);

// Splits a decoded text into lines: CR LF or a bare LF end a line; a final line terminator
// does not make an extra empty line; empty lines in between are kept.
QStringList splitLines(const QString &text);

// Reads a reference list file: one pick-list item per line, in file order, empty lines kept.
// On failure returns false and sets error to a Russian message naming the file.
bool readReferenceList(const QString &path, QStringList *items, QString *error);

} // namespace pelorin
