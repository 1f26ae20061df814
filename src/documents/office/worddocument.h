#pragma once

#include <QString>

#include <memory>

namespace pelorin::office {

// A word-processor document (.docx) filled from a template by replacing a placeholder word.
class WordDocument
{
public:
    WordDocument();
    ~WordDocument();
    WordDocument(const WordDocument &) = delete;
    WordDocument &operator=(const WordDocument &) = delete;

    // On failure *error gets the message for the user, which names the file.
    bool open(const QString &templatePath, QString *error = nullptr);
    bool isOpen() const;
    QString fileName() const;

    // Replaces the first occurrence of the word in the body, also when editing has split it over
    // several runs, by the text, and tells whether it was found; nothing is changed otherwise.
    // The text takes the formatting of the word's first letter. Each line of the text becomes a
    // paragraph shaped like the placeholder's own (a line break where the word stands inside a
    // link or a field), and tabs stay tabs.
    bool replacePlaceholder(const QString &word, const QString &text);
    // The body as plain text: paragraphs and line breaks as line feeds, tabs as tabs.
    QString bodyText() const;

    // The paragraph that holds the word, counted from 0 in body order; -1 when none does.
    int paragraphOf(const QString &word) const;
    // Keeps paragraphs first to last (body order) on the page of the paragraph after them.
    bool keepWithNext(int first, int last);
    bool keepsWithNext(int paragraph) const;

    // Writes the filled document, which from then on goes by that name.
    bool save(const QString &path, QString *error = nullptr);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace pelorin::office
