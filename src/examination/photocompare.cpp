#include "photocompare.h"

#include "database.h"
#include "datamodules.h"
#include "photos.h"
#include "table.h"
#include "texts.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QtDebug>
#include <algorithm>

namespace pelorin::examination {

namespace {

// The fields each index is computed from (see ind3 and index1).
const char *const kScoradInputs[] = {"B1", "B2", "B3", "B4", "B5", "B6", "B7", "B8", "B9"};
const char *const kPasiInputs[] = {"Bb11", "Bb12", "Bb13", "Bb14", "Bb21", "Bb22", "Bb23", "Bb24",
                                   "Bb31", "Bb32", "Bb33", "Bb34", "Bb41", "Bb42", "Bb43", "Bb44"};

template<size_t N>
bool anyFilled(const OsmotrRecord &r, const char *const (&names)[N])
{
    for (const char *name : names) {
        if (r.value(QLatin1String(name)).isValid())
            return true;
    }
    return false;
}

QString indexText(const char *name, const std::optional<double> &value)
{
    return QLatin1String(name) + QLatin1Char(' ') + (value ? text::floatToText(*value) : QStringLiteral("—"));
}

// A row of the examination table read where it stands, without moving to it.
OsmotrRecord rowView(const db::Table &exams, int row)
{
    return OsmotrRecord{[&exams, row](const QString &name) { return exams.valueAt(row, exams.fieldIndex(name)); }};
}

ComparePhoto photoOf(qint64 photoId, const QString &link, const QString &description)
{
    ComparePhoto p;
    p.photoId = photoId;
    p.link = link;
    p.file = photoFilePath(link);
    p.description = description;
    p.fileExists = !p.file.isEmpty() && QFileInfo(p.file).isFile();
    return p;
}

// The photos of one examination in the order the photo box lists them.
QList<ComparePhoto> photosOfExamination(db::DM2 &dm2, qint64 examId)
{
    QList<ComparePhoto> photos;
    const db::TableDef &def = dm2.osmotr_img->def();
    QSqlQuery q(dm2.database().sql());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT Id, Link, Text FROM %1 WHERE Id_man = ? ORDER BY Id")
                  .arg(QString::fromLatin1(def.sqlName)));
    q.addBindValue(examId);
    if (!q.exec()) {
        qWarning() << "photos of examination" << examId << "not read:" << q.lastError().text();
        return photos;
    }
    while (q.next())
        photos.append(photoOf(q.value(0).toLongLong(), q.value(1).toString(), q.value(2).toString()));
    return photos;
}

} // namespace

ExamIndices examIndices(const OsmotrRecord &r)
{
    ExamIndices indices;
    if (anyFilled(r, kScoradInputs))
        indices.scorad = double(ind3(r));
    if (anyFilled(r, kPasiInputs))
        indices.pasi = index1(r);
    return indices;
}

QString indicesText(const ExamIndices &indices)
{
    return indexText("SCORAD", indices.scorad) + QStringLiteral(" · ") + indexText("PASI", indices.pasi);
}

bool isEarlierExamination(const QDate &date, qint64 id, const QDate &currentDate, qint64 currentId)
{
    if (!date.isValid() || !currentDate.isValid())
        return false;
    return date < currentDate || (date == currentDate && id < currentId);
}

QString ComparePhoto::label() const
{
    return text::shortDate(date) + QLatin1Char('\n') + indicesText(indices);
}

QString ComparePhoto::caption() const
{
    return text::shortDate(date) + QStringLiteral(": ") + indicesText(indices);
}

PhotoComparison gatherPhotoComparison(db::DM2 &dm2)
{
    PhotoComparison c;
    const db::Table &exams = *dm2.osmotr1;
    const db::Table &photos = *dm2.osmotr_img;
    if (exams.isEmpty() || exams.isNull(QStringLiteral("ID")))
        return c;
    const qint64 currentId = exams.asInteger(QStringLiteral("ID"));
    const QDate currentDate = exams.value(QStringLiteral("Date")).toDate();

    if (!photos.isEmpty()) {
        ComparePhoto p = photoOf(photos.asInteger(QStringLiteral("Id")), photos.asString(QStringLiteral("Link")),
                                 photos.asString(QStringLiteral("Text")));
        p.examId = currentId;
        p.date = currentDate;
        p.indices = examIndices(rowView(exams, exams.recNo() - 1));
        c.current = p;
    }

    struct Earlier
    {
        qint64 id;
        QDate date;
        int row;
    };
    QList<Earlier> earlier;
    const int idIndex = exams.fieldIndex(QStringLiteral("ID"));
    const int dateIndex = exams.fieldIndex(QStringLiteral("Date"));
    for (int row = 0, n = exams.recordCount(); row < n; ++row) {
        const qint64 id = exams.valueAt(row, idIndex).toLongLong();
        const QDate date = exams.valueAt(row, dateIndex).toDate();
        if (isEarlierExamination(date, id, currentDate, currentId))
            earlier.append({id, date, row});
    }
    std::sort(earlier.begin(), earlier.end(), [](const Earlier &a, const Earlier &b) {
        return a.date != b.date ? a.date < b.date : a.id < b.id;
    });
    for (const Earlier &e : earlier) {
        const QList<ComparePhoto> ofExam = photosOfExamination(dm2, e.id);
        if (ofExam.isEmpty())
            continue;
        const ExamIndices indices = examIndices(rowView(exams, e.row));
        for (ComparePhoto p : ofExam) {
            p.examId = e.id;
            p.date = e.date;
            p.indices = indices;
            c.earlier.append(p);
        }
    }
    // Oldest first, so the nearest examination's last photo is the last of all.
    c.defaultPick = int(c.earlier.size()) - 1;
    return c;
}

QString noEarlierPhotosText()
{
    return QStringLiteral("Нет снимков прежних осмотров.");
}

QString noCurrentPhotoText()
{
    return QStringLiteral("У текущего осмотра нет снимка.");
}

QString missingPhotoFileText(const QString &file)
{
    return QStringLiteral("Файл не найден:\n") + QDir::toNativeSeparators(file);
}

QString unreadablePhotoFileText(const QString &file)
{
    return QStringLiteral("Не удалось прочитать снимок:\n") + QDir::toNativeSeparators(file);
}

} // namespace pelorin::examination
