// Every operation that writes several records writes them in one transaction: a crash in the middle
// leaves the operation all there or not at all. The test watches every write of every table and
// notes whether the file was inside a transaction at that moment.
#include "clinicfixture.h"

#include "diagnoz_ops.h"
#include "dialogs.h"
#include "osmotr_ops.h"
#include "photos.h"
#include "prescriptions.h"
#include "programfolder.h"
#include "puva_editor.h"

#include <QImage>
#include <QtTest>

using namespace pelorin;

namespace {

// Patient "Антонов" with two examinations (one with an element and a photo row), three procedures,
// two prescriptions and an admission; a second patient so that the first may be deleted.
void seed(testing::ClinicFixture &f)
{
    f.append(f.reg(), {{"Last_Name", QStringLiteral("Антонов")}, {"Amb_karta", 12}});
    f.append(*f.dm2->osmotr1, {{"Nom_osm", 1}, {"Date", QDate(2025, 3, 1)}});
    f.append(*f.dm2->osmotr_elem, {{"Name_elem", QStringLiteral("папула")}, {"Nom_elem", 2}});
    f.append(*f.dm2->osmotr1, {{"Nom_osm", 2}, {"Date", QDate(2025, 3, 8)}});
    for (int i = 1; i <= 3; ++i)
        f.append(*f.dm2->lech_puva, {{"Id_kurs", 1}, {"Nom_proc", i}, {"Date", QDate(2025, 3, 2 * i)}, {"Power1", 25},
                                     {"Time1", 2}});
    f.append(*f.dm2->lech_lekar, {{"Data", QDate(2025, 3, 5)}, {"Lek", QStringLiteral("Метотрексат")}});
    f.append(*f.dm2->lech_lekar, {{"Data", QDate(2025, 3, 1)}, {"Lek", QStringLiteral("Цетиризин")}});
    f.append(*f.dm2->diagnoz, {{"Text", QStringLiteral("Диагноз при первом поступлении")}, {"Data", QDate(2025, 3, 1)}});
    f.append(f.reg(), {{"Last_Name", QStringLiteral("Белов")}});
    f.reg().first();
}

} // namespace

class AtomicOperationsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyWriteIsInsideOneTransaction_data();
    void everyWriteIsInsideOneTransaction();
};

void AtomicOperationsTest::everyWriteIsInsideOneTransaction_data()
{
    QTest::addColumn<QString>("operation");
    for (const char *op : {"new patient", "delete patient", "new examination", "copy examination",
                           "delete examination", "add photo", "change photo", "delete photo", "close PUVA editor",
                           "close diagnosis window", "re-sort prescriptions in the window",
                           "re-sort prescriptions on the panel"})
        QTest::newRow(op) << QString::fromLatin1(op);
}

void AtomicOperationsTest::everyWriteIsInsideOneTransaction()
{
    QFETCH(QString, operation);
    testing::ClinicFixture f;
    QTemporaryDir program;
    folder::setRoot(program.path());
    seed(f);
    ScopedScriptedDialogs dialogs;
    const QString picture = program.filePath(QStringLiteral("снимок.jpg"));
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(Qt::darkRed);
    QVERIFY(image.save(picture, "JPEG"));

    db::PatientOps patients(*f.dm1, *f.dm2, f.settings, f.log);
    examination::OsmotrOps exams(*f.dm1, *f.dm2, f.settings, f.log, *f.protection);
    exams.install();
    examination::PhotoOps photos(*f.dm1, *f.dm2);
    treatment::PuvaEditorOps editor(*f.dm1, *f.dm2, f.settings, f.log);
    clinical::DiagnozOps diagnoses(*f.dm1, *f.dm2, f.settings, f.log, *f.protection);
    diagnoses.install();
    f.dm2->osmotr1->first();
    if (operation.contains(QLatin1String("photo")) && operation != QLatin1String("add photo")) {
        dialogs.answers << picture;
        QVERIFY(photos.addPhoto());
    }

    QList<bool> writes;
    std::vector<db::Table *> tables = f.dm1->tables();
    tables.insert(tables.end(), f.dm2->tables().begin(), f.dm2->tables().end());
    for (db::Table *t : tables)
        QObject::connect(t, &db::Table::rowsChanged, t, [w = &writes, d = &f.db] { *w << d->inTransaction(); });

    bool ok = true;
    if (operation == QLatin1String("new patient")) {
        ok = patients.newPatient();
    } else if (operation == QLatin1String("delete patient")) {
        dialogs.answers << QStringLiteral("yes");
        ok = patients.deletePatient();
    } else if (operation == QLatin1String("new examination")) {
        ok = exams.newExamination();
    } else if (operation == QLatin1String("copy examination")) {
        ok = exams.newExaminationCopy();
    } else if (operation == QLatin1String("delete examination")) {
        dialogs.answers << QStringLiteral("yes");
        ok = exams.deleteExamination();
    } else if (operation == QLatin1String("add photo")) {
        dialogs.answers << picture;
        ok = photos.addPhoto();
    } else if (operation == QLatin1String("change photo")) {
        dialogs.answers << picture;
        ok = photos.changePhoto();
    } else if (operation == QLatin1String("delete photo")) {
        dialogs.answers << QStringLiteral("yes");
        ok = photos.deletePhoto();
    } else if (operation == QLatin1String("close PUVA editor")) {
        ok = editor.applyAndClose();
    } else if (operation == QLatin1String("close diagnosis window")) {
        diagnoses.closeWindow();
    } else if (operation == QLatin1String("re-sort prescriptions in the window")) {
        ok = treatment::resortWindow(*f.dm2->lech_lekar);
    } else {
        ok = treatment::resortPanel(*f.dm2->lech_lekar, f.settings);
    }
    QVERIFY2(ok, qPrintable(dialogs.transcript.join(QLatin1Char('\n'))));
    QVERIFY(!writes.isEmpty());
    QVERIFY2(!writes.contains(false), qPrintable(QStringLiteral("%1 of %2 writes outside a transaction")
                                                     .arg(writes.count(false))
                                                     .arg(writes.size())));
    QVERIFY(!f.db.inTransaction());
    // Everything the operation did is in the file once it has ended.
    QSqlQuery q(f.db.sql());
    QVERIFY(q.exec(QStringLiteral("SELECT count(*) FROM osmotr_img WHERE \"Link\" IS NULL OR \"Link\" = ''")) && q.next());
    QCOMPARE(q.value(0).toInt(), 0);
    folder::setRoot(QString());
}

QTEST_MAIN(AtomicOperationsTest)
#include "atomic_operations_test.moc"
