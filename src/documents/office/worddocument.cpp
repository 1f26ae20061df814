#include "worddocument.h"

#include "officepackage.h"

#include <functional>
#include <string>
#include <vector>

namespace pelorin::office {

namespace {

const char kWordNamespace[] = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
const char kWordNamespaceStrict[] = "http://purl.oclc.org/ooxml/wordprocessingml/main";

// One w:t of a paragraph and where its text starts in the paragraph's text.
struct Piece
{
    pugi::xml_node t;
    qsizetype start = 0;
    qsizetype size = 0;
};

// Anything in a run that is not text (a tab, a break, a picture) stands for this character, so
// that a word cannot be found across it.
constexpr QChar kBarrier = QChar(0xFFFC);

} // namespace

struct WordDocument::Private
{
    OfficePackage package;
    QString fileName;
    QString documentPart;
    pugi::xml_document doc;
    std::string prefix; // "w:" as the document binds it

    std::string w(const char *name) const { return prefix + name; }
    bool is(pugi::xml_node node, const char *name) const
    {
        return node.type() == pugi::node_element && w(name) == node.name();
    }
    pugi::xml_node body() const { return doc.document_element().child(w("body").c_str()); }

    std::vector<pugi::xml_node> paragraphs() const;
    void collect(pugi::xml_node node, QString *text, std::vector<Piece> *pieces) const;
    void setText(pugi::xml_node t, const QString &text) const;
    pugi::xml_node insertLine(pugi::xml_node run, pugi::xml_node after, const QString &line) const;
    void replace(pugi::xml_node paragraph, const std::vector<Piece> &pieces, qsizetype at, qsizetype size,
                 const QStringList &lines) const;
};

// All paragraphs of the body in document order, those of tables and text boxes included.
std::vector<pugi::xml_node> WordDocument::Private::paragraphs() const
{
    std::vector<pugi::xml_node> result;
    std::function<void(pugi::xml_node)> walk = [&](pugi::xml_node node) {
        for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
            if (child.type() != pugi::node_element)
                continue;
            if (is(child, "p"))
                result.push_back(child);
            walk(child);
        }
    };
    walk(body());
    return result;
}

void WordDocument::Private::collect(pugi::xml_node node, QString *text, std::vector<Piece> *pieces) const
{
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        if (child.type() != pugi::node_element)
            continue;
        // Nested paragraphs are searched on their own; deleted revisions are not text.
        if (is(child, "p") || is(child, "pPr") || is(child, "del") || is(child, "moveFrom"))
            continue;
        if (!is(child, "r")) {
            collect(child, text, pieces);
            continue;
        }
        for (pugi::xml_node item = child.first_child(); item; item = item.next_sibling()) {
            if (item.type() != pugi::node_element)
                continue;
            if (is(item, "t")) {
                const QString value = QString::fromUtf8(item.text().get());
                if (pieces)
                    pieces->push_back({item, text->size(), value.size()});
                *text += value;
            } else if (is(item, "tab")) {
                *text += pieces ? kBarrier : QChar(u'\t');
            } else if (is(item, "br") || is(item, "cr")) {
                *text += pieces ? kBarrier : QChar(u'\n');
            } else if (!is(item, "rPr") && !is(item, "lastRenderedPageBreak") && !is(item, "fldChar") &&
                       !is(item, "instrText") && !is(item, "delText") && !is(item, "delInstrText")) {
                if (pieces)
                    *text += kBarrier;
            }
        }
    }
}

void WordDocument::Private::setText(pugi::xml_node t, const QString &text) const
{
    t.text().set(text.toUtf8().constData());
    if (!t.attribute("xml:space"))
        t.append_attribute("xml:space").set_value("preserve");
}

// Puts one line (tabs as tab marks) into the run after the given node; returns the last node put.
pugi::xml_node WordDocument::Private::insertLine(pugi::xml_node run, pugi::xml_node after, const QString &line) const
{
    const QStringList parts = line.split(QLatin1Char('\t'));
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i > 0)
            after = after ? run.insert_child_after(w("tab").c_str(), after) : run.append_child(w("tab").c_str());
        if (parts[i].isEmpty())
            continue;
        after = after ? run.insert_child_after(w("t").c_str(), after) : run.append_child(w("t").c_str());
        setText(after, parts[i]);
    }
    return after;
}

void WordDocument::Private::replace(pugi::xml_node paragraph, const std::vector<Piece> &pieces, qsizetype at,
                                    qsizetype size, const QStringList &lines) const
{
    const qsizetype end = at + size;
    const Piece *first = nullptr;
    QString before, after;
    for (const Piece &piece : pieces) {
        if (piece.start + piece.size <= at || piece.start >= end || piece.size == 0)
            continue;
        const QString value = QString::fromUtf8(piece.t.text().get());
        if (!first) {
            first = &piece;
            before = value.left(at - piece.start);
        }
        if (piece.start + piece.size > end) {
            const QString rest = value.mid(end - piece.start);
            if (&piece == first)
                after = rest;
            else
                setText(piece.t, rest);
        } else if (&piece != first) {
            piece.t.parent().remove_child(piece.t);
        }
    }
    if (!first)
        return;

    pugi::xml_node run = first->t.parent();
    const pugi::xml_node runProperties = run.child(w("rPr").c_str());
    setText(first->t, before);
    pugi::xml_node anchor = insertLine(run, first->t, lines.first());

    if (lines.size() > 1 && run.parent() == paragraph) {
        // Each further line is a paragraph of its own, shaped like the placeholder's; whatever
        // followed the word moves on to the last of them.
        const pugi::xml_node paraProperties = paragraph.child(w("pPr").c_str());
        pugi::xml_node last = paragraph;
        for (qsizetype i = 1; i < lines.size(); ++i) {
            last = paragraph.parent().insert_child_after(w("p").c_str(), last);
            if (paraProperties) {
                pugi::xml_node copy = last.append_copy(paraProperties);
                copy.remove_child(w("sectPr").c_str());
            }
            pugi::xml_node newRun = last.append_child(w("r").c_str());
            if (runProperties)
                newRun.append_copy(runProperties);
            insertLine(newRun, newRun.last_child(), lines[i]);
        }
        pugi::xml_node tailRun;
        if (!after.isEmpty() || anchor.next_sibling()) {
            tailRun = last.append_child(w("r").c_str());
            if (runProperties)
                tailRun.append_copy(runProperties);
            if (!after.isEmpty())
                setText(tailRun.append_child(w("t").c_str()), after);
            while (pugi::xml_node moved = anchor.next_sibling())
                tailRun.append_move(moved);
        }
        while (pugi::xml_node moved = run.next_sibling())
            last.append_move(moved);
        // A section ends after the paragraph that carries its properties, which is now the last one.
        if (pugi::xml_node section = paraProperties.child(w("sectPr").c_str())) {
            pugi::xml_node lastProperties = last.child(w("pPr").c_str());
            if (pugi::xml_node change = lastProperties.child(w("pPrChange").c_str()))
                lastProperties.insert_move_before(section, change);
            else
                lastProperties.append_move(section);
        }
    } else {
        for (qsizetype i = 1; i < lines.size(); ++i) {
            anchor = run.insert_child_after(w("br").c_str(), anchor);
            anchor = insertLine(run, anchor, lines[i]);
        }
        if (!after.isEmpty())
            setText(run.insert_child_after(w("t").c_str(), anchor), after);
    }
    if (before.isEmpty())
        run.remove_child(first->t);
}

WordDocument::WordDocument() = default;
WordDocument::~WordDocument() = default;

bool WordDocument::open(const QString &templatePath, QString *error)
{
    auto p = std::make_unique<Private>();
    const auto fail = [&](OfficePackage::OpenResult result) {
        if (error)
            *error = openErrorText(templatePath, result);
        d.reset();
        return false;
    };
    const OfficePackage::OpenResult loaded = p->package.load(templatePath);
    if (loaded != OfficePackage::OpenResult::Ok)
        return fail(loaded);
    p->documentPart = p->package.target(QString(), QStringLiteral("officeDocument"));
    if (p->documentPart.isEmpty() || !parseXml(p->doc, p->package.part(p->documentPart)))
        return fail(OfficePackage::OpenResult::Damaged);

    const pugi::xml_node root = p->doc.document_element();
    bool bound = false;
    for (pugi::xml_attribute attribute : root.attributes()) {
        const QLatin1String name(attribute.name());
        const QLatin1String value(attribute.value());
        if (value != QLatin1String(kWordNamespace) && value != QLatin1String(kWordNamespaceStrict))
            continue;
        if (name == QLatin1String("xmlns"))
            p->prefix.clear();
        else if (name.startsWith(QLatin1String("xmlns:")))
            p->prefix = std::string(attribute.name() + 6) + ':';
        else
            continue;
        bound = true;
        break;
    }
    if (!bound || p->w("document") != root.name() || !p->body())
        return fail(OfficePackage::OpenResult::Damaged);

    p->fileName = templatePath;
    d = std::move(p);
    return true;
}

bool WordDocument::isOpen() const
{
    return d != nullptr;
}

QString WordDocument::fileName() const
{
    return d ? d->fileName : QString();
}

bool WordDocument::replacePlaceholder(const QString &word, const QString &text)
{
    if (!d || word.isEmpty())
        return false;
    const QStringList lines = xmlSafeText(text).split(QLatin1Char('\n'));
    for (pugi::xml_node paragraph : d->paragraphs()) {
        QString paragraphText;
        std::vector<Piece> pieces;
        d->collect(paragraph, &paragraphText, &pieces);
        const qsizetype at = paragraphText.indexOf(word);
        if (at < 0)
            continue;
        d->replace(paragraph, pieces, at, word.size(), lines);
        return true;
    }
    return false;
}

QString WordDocument::bodyText() const
{
    if (!d)
        return {};
    QStringList lines;
    for (pugi::xml_node paragraph : d->paragraphs()) {
        QString text;
        d->collect(paragraph, &text, nullptr);
        lines << text;
    }
    return lines.join(QLatin1Char('\n'));
}

int WordDocument::paragraphOf(const QString &word) const
{
    if (!d || word.isEmpty())
        return -1;
    int index = 0;
    for (pugi::xml_node paragraph : d->paragraphs()) {
        QString text;
        d->collect(paragraph, &text, nullptr);
        if (text.contains(word))
            return index;
        ++index;
    }
    return -1;
}

bool WordDocument::keepWithNext(int first, int last)
{
    if (!d)
        return false;
    const std::vector<pugi::xml_node> all = d->paragraphs();
    if (first < 0 || last < first || size_t(last) >= all.size())
        return false;
    for (int i = first; i <= last; ++i) {
        pugi::xml_node paragraph = all[size_t(i)];
        pugi::xml_node properties = paragraph.child(d->w("pPr").c_str());
        if (!properties)
            properties = paragraph.prepend_child(d->w("pPr").c_str());
        if (properties.child(d->w("keepNext").c_str()))
            continue;
        // keepNext follows only the paragraph style in the order the format prescribes.
        const pugi::xml_node style = properties.child(d->w("pStyle").c_str());
        if (style)
            properties.insert_child_after(d->w("keepNext").c_str(), style);
        else
            properties.prepend_child(d->w("keepNext").c_str());
    }
    return true;
}

bool WordDocument::keepsWithNext(int paragraph) const
{
    if (!d)
        return false;
    const std::vector<pugi::xml_node> all = d->paragraphs();
    return paragraph >= 0 && size_t(paragraph) < all.size() &&
           all[size_t(paragraph)].child(d->w("pPr").c_str()).child(d->w("keepNext").c_str());
}

bool WordDocument::save(const QString &path, QString *error)
{
    if (!d)
        return OfficePackage().save(path, error);
    OfficePackage filled = d->package;
    filled.setPart(d->documentPart, writeXml(d->doc));
    if (!filled.save(path, error))
        return false;
    d->fileName = path;
    return true;
}

} // namespace pelorin::office
