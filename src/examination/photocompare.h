#pragma once

#include "osmotr_calc.h"

#include <QDate>
#include <QList>
#include <QString>
#include <optional>

namespace pelorin::db {
class DM2;
}

// "Сравнить": the current photo of the current examination beside a photo of one of the patient's
// earlier examinations, each with its date and its SCORAD and PASI, so that the doctor sees the
// course of the disease on the skin itself.
namespace pelorin::examination {

// The two indices of one examination; an index the doctor has not scored is empty.
struct ExamIndices
{
    std::optional<double> scorad;
    std::optional<double> pasi;
    friend bool operator==(const ExamIndices &, const ExamIndices &) = default;
};

// An index counts as scored once any of the fields it is computed from is filled in: an atopic
// patient's examination must not read "PASI 0", which would claim clear skin.
ExamIndices examIndices(const OsmotrRecord &r);
// "SCORAD 34 · PASI 12,1"; an index not scored is "—".
QString indicesText(const ExamIndices &indices);

// An examination that counts as earlier than the current one: an earlier date, or the same date
// and made before it (the smaller key). An examination without a date has no place in time and
// is neither earlier nor later.
bool isEarlierExamination(const QDate &date, qint64 id, const QDate &currentDate, qint64 currentId);

// One photo offered for the comparison.
struct ComparePhoto
{
    qint64 photoId = 0;
    qint64 examId = 0;
    QDate date;
    ExamIndices indices;
    QString link;        // as stored, with backslashes
    QString file;        // Link resolved against the program folder
    QString description; // the photo's own text
    bool fileExists = false;

    // The thumbnail's text: "12.03.2025\nSCORAD 34 · PASI 12,1".
    QString label() const;
    // The caption above a pane, after the side's name: "12.03.2025: SCORAD 34 · PASI 12,1".
    QString caption() const;
};

// What the comparison window shows.
struct PhotoComparison
{
    // The photo the photo box shows; empty when the current examination has none.
    std::optional<ComparePhoto> current;
    // Every photo of every earlier examination, oldest examination first, the photos of one
    // examination in their own order.
    QList<ComparePhoto> earlier;
    // The photo shown at first: the last photo of the nearest earlier examination; -1 without any.
    int defaultPick = -1;
};

// Gathers the comparison for the current examination and photo of DM2. The examinations are the
// rows of the examination table as the program shows them (the current patient's, less those the
// archive hides); the photos of the others are read by their own queries, so that no cursor of
// DM2 moves.
PhotoComparison gatherPhotoComparison(db::DM2 &dm2);

QString noEarlierPhotosText();
QString noCurrentPhotoText();
// "Файл не найден:\n<path>"
QString missingPhotoFileText(const QString &file);
// "Не удалось прочитать снимок:\n<path>"
QString unreadablePhotoFileText(const QString &file);

} // namespace pelorin::examination
