#pragma once

// Shared by the tests of the document texts and of "Подготовить данные к печати.": a program folder
// with the shipped templates, and small patients written through the data modules.
#include "patient_report.h"
#include "analyz_calc.h"
#include "anamnesis_calc.h"
#include "clinicfixture.h"
#include "datamodules.h"
#include "diagnoz_calc.h"
#include "elements.h"
#include "osmotr_calc.h"
#include "programfolder.h"
#include "puva_calc.h"
#include "recomend_calc.h"
#include "table.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QVariantMap>

namespace pelorin::testing {

inline QDate feb(int day)
{
    return QDate(2025, 2, day);
}

inline QDate march(int day)
{
    return QDate(2025, 3, day);
}

// The day the fixture patients are looked at.
inline const QDate kReportToday = march(5);

// A program folder of its own, with the shipped reference lists, letterhead and templates, made the
// program's for the lifetime of the object.
struct ProgramFolderFixture
{
    QTemporaryDir dir;

    ProgramFolderFixture()
    {
        const QDir shipped(QStringLiteral(PELORIN_SOURSES_DIR));
        QDir root(dir.path());
        root.mkpath(QStringLiteral("sourses/reports"));
        root.mkpath(QStringLiteral("reports"));
        for (const QString &sub : {QString(), QStringLiteral("reports")}) {
            for (const QString &name : QDir(shipped.filePath(sub)).entryList(QDir::Files)) {
                const QString relative = sub.isEmpty() ? name : sub + QLatin1Char('/') + name;
                if (!QFile::copy(shipped.filePath(relative), root.filePath(QStringLiteral("sourses/") + relative)))
                    qFatal("cannot copy %s", qPrintable(relative));
            }
        }
        folder::setRoot(dir.path());
    }

    ~ProgramFolderFixture() { folder::setRoot(QString()); }

    QString path(const QString &relative) const { return QDir(dir.path()).filePath(relative); }

    // The file names in a folder of the program folder, sorted.
    QStringList files(const QString &relative, const QString &pattern = QStringLiteral("*")) const
    {
        return QDir(path(relative)).entryList({pattern}, QDir::Files, QDir::Name);
    }

    QByteArray hash(const QString &relative) const
    {
        QFile f(path(relative));
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
    }
};

// Writes records through the table objects, as the program's windows leave them.
struct RecordWriter
{
    db::DM1 &dm1;
    db::DM2 &dm2;

    void add(db::Table &t, const QVariantMap &fields = {})
    {
        t.append();
        for (auto it = fields.begin(); it != fields.end(); ++it) {
            if (!t.setValue(it.key(), it.value()))
                qFatal("cannot set %s", qPrintable(it.key()));
        }
        if (!t.post())
            qFatal("post to %s failed", qPrintable(t.tableName()));
    }

    // A register record with the blank anamnesis records a new patient gets; it stays current.
    qint64 patient(const QVariantMap &fields)
    {
        QVariantMap f = fields;
        f.insert(QStringLiteral("Born_Day"), 1);
        add(*dm1.register_, f);
        const qint64 id = dm1.register_->asInteger(QStringLiteral("ID_man"));
        for (db::Table *t : dm1.tables()) {
            if (t != dm1.register_ && t != dm1.post_vipis)
                add(*t);
        }
        return id;
    }

    void event(const QDate &date, const QString &diagnosis = QStringLiteral("псориаз. "))
    {
        add(*dm2.diagnoz, {{"Data", date}, {"B1", true}, {"Text1", diagnosis}});
    }

    qint64 exam(const QDate &date, const QVariantMap &fields = {})
    {
        QVariantMap f = fields;
        f.insert(QStringLiteral("Date"), date);
        add(*dm2.osmotr1, f);
        return dm2.osmotr1->asInteger(QStringLiteral("ID"));
    }

    // `other` is the free note the procedure's calculated note Oslozn ends with.
    void procedure(const QDate &date, int number, int course, int dose, const QString &other = QString())
    {
        add(*dm2.lech_puva, {{"Date", date},
                             {"Nom_proc", number},
                             {"Id_kurs", course},
                             {"Type1", QStringLiteral("П-54")},
                             {"Power1", 1},
                             {"Time1", dose},
                             {"Type_prep", QStringLiteral("Аммифурин")},
                             {"Other", other}});
    }

    // Сидоров, card 42, registered 15 January 2025.
    static QVariantMap sidorov()
    {
        return {{"Amb_karta", 42},
                {"Last_Name", QStringLiteral("Сидоров")},
                {"First_Name", QStringLiteral("Петр")},
                {"Father_Name", QStringLiteral("Ильич")},
                {"Reg_date", QDate(2025, 1, 15)}};
    }

    // Сидоров: course 1 from 1 to 20 February with three
    // procedures, course 2 admitted on 1 March with one procedure on 3 March, still in treatment on
    // 5 March. Examinations on 1 and 20 February and 1 March.
    qint64 twoCoursesSecondOpen()
    {
        const qint64 id = patient(sidorov());
        event(feb(1));
        event(feb(20));
        event(march(1));
        exam(feb(1), {{"B8", 5}});
        exam(feb(20));
        exam(march(1));
        procedure(feb(3), 1, 1, 100);
        procedure(feb(5), 2, 1, 100);
        procedure(feb(20), 3, 1, 100);
        procedure(march(3), 1, 2, 150);
        return id;
    }
};

// A clinic with the calculated texts the documents read, installed as the start-up installs them.
struct DocumentClinic : ClinicFixture
{
    RecordWriter write{*dm1, *dm2};

    DocumentClinic()
    {
        documents::installDocumentTexts(*dm1, *dm2);
    }
};

// Markup characters and over-long values in every kind of text the documents print.
inline QString markup()
{
    return QStringLiteral("<b>&amp; \"кавычки\" 'апостроф' & <");
}

inline QString longText(const QString &start)
{
    QString text = start;
    while (text.size() < 300)
        text += QStringLiteral(" слово&<\"");
    return text.left(300);
}

} // namespace pelorin::testing
