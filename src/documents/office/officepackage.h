#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <pugixml.hpp>

namespace pelorin::office {

// The zip container of an .xlsx or .docx file, held in memory. Parts are kept byte for byte in
// their original order, so that whatever the writer does not touch (themes, printer settings,
// pictures of a letterhead) reaches the filled document unchanged.
class OfficePackage
{
public:
    enum class OpenResult { Ok, Missing, Unreadable, Damaged };

    OpenResult load(const QString &path);
    bool save(const QString &path, QString *error) const;

    bool contains(const QString &partName) const;
    QByteArray part(const QString &partName) const;
    void setPart(const QString &partName, const QByteArray &data);

    struct Relationship
    {
        QString id;
        QString type;   // the last segment of the type URI ("officeDocument", "worksheet")
        QString target; // a part name, resolved against the source part's folder
    };
    // Relationships of a part; an empty name gives the package's own. Types are compared by their
    // last segment, which is the same in transitional and strict files.
    QList<Relationship> relationships(const QString &partName) const;
    // The first target of the given type among the relationships of a part, or an empty text.
    QString target(const QString &partName, const QString &type) const;

private:
    struct Entry
    {
        QString name;
        QByteArray data;
        QDateTime modified;
    };
    QList<Entry> m_entries;
};

// The messages for a template that could not be opened or a document that could not be written.
QString openErrorText(const QString &path, OfficePackage::OpenResult result);

// XML parts are parsed keeping whitespace-only text, which matters inside <t xml:space="preserve">.
bool parseXml(pugi::xml_document &doc, const QByteArray &data);
QByteArray writeXml(const pugi::xml_document &doc);

// Text as an XML file may hold it: CR LF and lone CR become LF (a parser would fold them anyway),
// and characters XML 1.0 forbids (controls other than tab and line feed, U+FFFE, U+FFFF,
// unpaired surrogates) are dropped.
QString xmlSafeText(const QString &text);

} // namespace pelorin::office
