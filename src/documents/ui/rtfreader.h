#pragma once

#include <QByteArray>

class QTextCursor;

namespace pelorin::documents {

// True when the bytes are a rich-text (RTF) file: they open with "{\rtf".
bool isRtf(const QByteArray &bytes);

// Inserts an RTF text at the cursor: paragraphs and line breaks, tabs, bold, italic, underline,
// strike-out, font size, paragraph alignment, ANSI text in the file's code page (Windows-1251 unless
// the file names another), \'hh bytes and \u characters. Font and colour tables, pictures, fields'
// instructions and other destinations are skipped. False when the text is not RTF.
bool insertRtf(QTextCursor &cursor, const QByteArray &rtf);

} // namespace pelorin::documents
