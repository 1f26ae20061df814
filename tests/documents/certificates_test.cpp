// The certificate and the referral as paragraphs, and `pelorin-cli report --certificate|--referral`
// on a data folder written before.
#include "certificates.h"
#include "rtfwriter.h"
#include "clock.h"
#include "database.h"
#include "report.h"
#include "report_fixture.h"

#include "clirun.h"

#include <QTextStream>
#include <QtTest>

using namespace pelorin;
using namespace pelorin::documents;

namespace {

const QStringList kLetterhead = {QStringLiteral("Диспансер"), QStringLiteral("г. Тула")};

CertificatePatient ivanova()
{
    return {QStringLiteral("Иванова"), QStringLiteral("Анна"), QStringLiteral("Петровна"), QDate(1980, 6, 1),
            QStringLiteral("Волкова Т.Г.")};
}

DocParagraph para(const QString &text, ParagraphAlignment a, double first, double left, double right)
{
    DocParagraph p;
    p.text = text;
    p.alignment = a;
    p.firstIndent = first;
    p.leftIndent = left;
    p.rightIndent = right;
    return p;
}

using Run = testing::CliRun;

Run report(const QStringList &words)
{
    return testing::runCli(cli::runReport, words);
}

} // namespace

class CertificatesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void certificateWithTheInitialChoices();
    void certificateLastBodyParagraph_data();
    void certificateLastBodyParagraph();
    void referralTitle_data();
    void referralTitle();
    void referralDiagnosis_data();
    void referralDiagnosis();
    void referralParagraphFormats();
    void blankBirthDateIsTheZeroDate();
    void doctorLineEndsWithOneFullStop_data();
    void doctorLineEndsWithOneFullStop();
    void choicesByControlName();
    void cli_data();
    void cli();
    void cliRefusals_data();
    void cliRefusals();
    void cliWithoutLetterhead();
    void cliSavesTheDocumentAsRtf();

private:
    std::unique_ptr<testing::ProgramFolderFixture> m_program;
    QTemporaryDir m_data;
    qint64 m_sidorov = 0;
};

void CertificatesTest::initTestCase()
{
    m_program = std::make_unique<testing::ProgramFolderFixture>();
    QVERIFY(m_data.isValid());
    db::Database database;
    QString error;
    QVERIFY2(database.open(m_data.path(), &error), qPrintable(error));
    db::DM1 dm1(database);
    db::DM2 dm2(database, dm1);
    QVERIFY(dm1.open(&error) && dm2.open(&error));
    testing::RecordWriter w{dm1, dm2};
    m_sidorov = w.patient({{"Last_Name", QStringLiteral("Сидоров")},
                           {"First_Name", QStringLiteral("Петр")},
                           {"Father_Name", QStringLiteral("Ильич")},
                           {"Born_dat", QDate(1975, 4, 12)},
                           {"Vrach", QStringLiteral("Волкова Т.Г.")}});
    qputenv("PELORIN_TODAY", "2025-03-05");
}

void CertificatesTest::cleanupTestCase()
{
    qunsetenv("PELORIN_TODAY");
    m_program.reset();
}

void CertificatesTest::certificateWithTheInitialChoices()
{
    const auto C = ParagraphAlignment::Center;
    const auto L = ParagraphAlignment::Left;
    const auto R = ParagraphAlignment::Right;
    const QList<DocParagraph> expected = {
        para(QStringLiteral("Диспансер"), C, 20, 20, 20),
        para(QStringLiteral("г. Тула"), C, 20, 20, 20),
        para({}, C, 20, 20, 20),
        para({}, C, 20, 20, 20),
        para(QStringLiteral("СПРАВКА"), C, 20, 20, 20),
        para({}, C, 20, 20, 20),
        para({}, C, 20, 20, 20),
        para(QStringLiteral(" Дана пациенту Иванова Анна Петровна, 1980 года рождения, в том, что он(а) в настоящее "
                            "время проходит курс лечения по поводу кожного заболевания с 05.03.2025 по 05.03.2025."),
             L, 20, 20, 20),
        para({}, L, 20, 20, 20),
        para(QStringLiteral("К предъявлению по месту требования."), L, 20, 20, 20),
        para({}, L, 20, 20, 20),
        para(QStringLiteral("Врач - Волкова Т.Г."), R, 20, 20, 20),
        para(QStringLiteral("___________________"), R, 20, 20, 20),
        para(QStringLiteral("05.03.2025"), R, 20, 20, 20),
    };
    const QList<DocParagraph> got =
        composeCertificate(kLetterhead, ivanova(), CertificateChoices::initial(QDate(2025, 3, 5)));
    QCOMPARE(got.size(), expected.size());
    for (int i = 0; i < got.size(); ++i) {
        QCOMPARE(got[i].text, expected[i].text);
        QCOMPARE(int(got[i].alignment), int(expected[i].alignment));
        QCOMPARE(got[i].firstIndent, expected[i].firstIndent);
        QCOMPARE(got[i].leftIndent, expected[i].leftIndent);
        QCOMPARE(got[i].rightIndent, expected[i].rightIndent);
        QCOMPARE(got[i].pointSize, 12.0);
        QVERIFY(!got[i].bold);
    }
}

void CertificatesTest::certificateLastBodyParagraph_data()
{
    QTest::addColumn<QString>("place");
    QTest::addColumn<QString>("paragraph");
    QTest::newRow("default") << initialChoice(QStringLiteral("ComboBox2"))
                             << QStringLiteral("К предъявлению по месту требования.");
    QTest::newRow("typed") << QStringLiteral("в бассейн") << QStringLiteral("К предъявлению в бассейн.");
    QTest::newRow("empty") << QString() << QStringLiteral("К предъявлению .");
}

void CertificatesTest::certificateLastBodyParagraph()
{
    QFETCH(QString, place);
    QFETCH(QString, paragraph);
    CertificateChoices c = CertificateChoices::initial(QDate(2025, 3, 5));
    c.ComboBox2 = place;
    const QList<DocParagraph> got = composeCertificate(kLetterhead, ivanova(), c);
    // The body's last paragraph comes before the empty one and the signature block of three.
    QCOMPARE(got.at(got.size() - 5).text, paragraph);
}

void CertificatesTest::referralTitle_data()
{
    QTest::addColumn<QString>("send");
    QTest::addColumn<QString>("sendTo");
    QTest::addColumn<QString>("title");
    QTest::newRow("no specialist: no period") << "консультацию"
                                              << ""
                                              << "НАПРАВЛЕНИЕ на консультацию";
    QTest::newRow("specialist") << "консультацию"
                                << "дерматологу"
                                << "НАПРАВЛЕНИЕ на консультацию к дерматологу.";
    QTest::newRow("blank specialist is one") << "лечение"
                                             << " "
                                             << "НАПРАВЛЕНИЕ на лечение к  .";
    QTest::newRow("other kind") << "госпитализацию"
                                << ""
                                << "НАПРАВЛЕНИЕ на госпитализацию";
}

void CertificatesTest::referralTitle()
{
    QFETCH(QString, send);
    QFETCH(QString, sendTo);
    QFETCH(QString, title);
    ReferralChoices c = ReferralChoices::initial(QDate(2025, 3, 5));
    c.ComboBox6 = send;
    c.ComboBox7 = sendTo;
    const QList<DocParagraph> got = composeReferral(kLetterhead, ivanova(), c);
    QCOMPARE(got.at(3).text, title);
    QCOMPARE(int(got.at(3).alignment), int(ParagraphAlignment::Center));
    // The sentence keeps the consultation whatever the kind.
    QCOMPARE(got.at(6).text, QStringLiteral("Иванова Анна Петровна, 1980 года рождения направляется на консультацию "
                                            "для исключения патологий со стороны внутренних органов и определения "
                                            "противопоказаний для лечения УФ светом."));
}

void CertificatesTest::referralDiagnosis_data()
{
    QTest::addColumn<QString>("diagnosis");
    QTest::addColumn<QStringList>("tail");
    const QStringList signature = {QStringLiteral("Врач - Волкова Т.Г."), QStringLiteral("___________________"),
                                   QStringLiteral("05.03.2025")};
    QTest::newRow("empty: no paragraph")
        << QString()
        << (QStringList{QString(), QStringLiteral("Для предъявления по месту требования."), QString()} + signature);
    QTest::newRow("single blank item") << QStringLiteral(" ")
                                       << (QStringList{QString(), QStringLiteral("Диагноз:  ."), QString(),
                                                       QStringLiteral("Для предъявления по месту требования."),
                                                       QString()} +
                                           signature);
    QTest::newRow("psoriasis") << QStringLiteral("Псориаз")
                               << (QStringList{QString(), QStringLiteral("Диагноз: Псориаз."), QString(),
                                               QStringLiteral("Для предъявления по месту требования."), QString()} +
                                   signature);
}

void CertificatesTest::referralDiagnosis()
{
    QFETCH(QString, diagnosis);
    QFETCH(QStringList, tail);
    ReferralChoices c = ReferralChoices::initial(QDate(2025, 3, 5));
    c.ComboBox10 = diagnosis;
    const QList<DocParagraph> got = composeReferral(kLetterhead, ivanova(), c);
    QStringList texts;
    for (const DocParagraph &p : got.mid(7))
        texts << p.text;
    QCOMPARE(texts, tail);
}

void CertificatesTest::referralParagraphFormats()
{
    ReferralChoices c = ReferralChoices::initial(QDate(2025, 3, 5));
    c.ComboBox10 = QStringLiteral("Псориаз");
    const QList<DocParagraph> got = composeReferral(kLetterhead, ivanova(), c);
    QCOMPARE(got.size(), 15);
    for (int i = 0; i < got.size(); ++i) {
        const DocParagraph &p = got[i];
        QCOMPARE(p.pointSize, 12.0);
        if (i < 6) {
            QCOMPARE(int(p.alignment), int(ParagraphAlignment::Center));
            QCOMPARE(p.firstIndent + p.leftIndent + p.rightIndent, 0.0);
        } else {
            QCOMPARE(int(p.alignment), int(i < 12 ? ParagraphAlignment::Left : ParagraphAlignment::Right));
            QCOMPARE(p.firstIndent, 10.0);
            QCOMPARE(p.leftIndent, 20.0);
            QCOMPARE(p.rightIndent, 20.0);
        }
    }
}

void CertificatesTest::blankBirthDateIsTheZeroDate()
{
    CertificatePatient p = ivanova();
    p.born = QDate(1899, 12, 30);
    const QList<DocParagraph> got = composeReferral({}, p, ReferralChoices::initial(QDate(2025, 3, 5)));
    QVERIFY(got.at(4).text.startsWith(QStringLiteral("Иванова Анна Петровна, 1899 года рождения")));
}

void CertificatesTest::doctorLineEndsWithOneFullStop_data()
{
    QTest::addColumn<QString>("doctor");
    QTest::addColumn<QString>("line");
    QTest::newRow("initials with their stops") << QStringLiteral("Смирнова Е.В.") << QStringLiteral("Врач - Смирнова Е.В.");
    QTest::newRow("surname alone") << QStringLiteral("Смирнова") << QStringLiteral("Врач - Смирнова.");
    QTest::newRow("initials without the last stop") << QStringLiteral("Смирнова Е.В") << QStringLiteral("Врач - Смирнова Е.В.");
}

void CertificatesTest::doctorLineEndsWithOneFullStop()
{
    QFETCH(QString, doctor);
    QFETCH(QString, line);
    CertificatePatient p = ivanova();
    p.doctor = doctor;
    for (const QList<DocParagraph> &document :
         {composeCertificate(kLetterhead, p, CertificateChoices::initial(QDate(2025, 3, 5))),
          composeReferral(kLetterhead, p, ReferralChoices::initial(QDate(2025, 3, 5)))}) {
        QStringList texts;
        for (const DocParagraph &paragraph : document)
            texts << paragraph.text;
        QVERIFY2(texts.contains(line), qPrintable(texts.join(QLatin1Char('|'))));
    }
}

void CertificatesTest::choicesByControlName()
{
    CertificateChoices c = CertificateChoices::initial(QDate(2025, 3, 5));
    QVERIFY(c.setChoice(QStringLiteral("ComboBox1"), QStringLiteral("x")));
    QCOMPARE(c.ComboBox1, QStringLiteral("x"));
    QVERIFY(!c.setChoice(QStringLiteral("ComboBox6"), QStringLiteral("x")));
    ReferralChoices r = ReferralChoices::initial(QDate(2025, 3, 5));
    QVERIFY(r.ComboBox7.isEmpty() && r.ComboBox10.isEmpty());
    QVERIFY(r.setChoice(QStringLiteral("ComboBox10"), QStringLiteral(" ")));
    QCOMPARE(r.ComboBox10, QStringLiteral(" "));
    QVERIFY(!r.setChoice(QStringLiteral("ComboBox1"), QStringLiteral("x")));
    QCOMPARE(diagnosisItems(),
             (QStringList{QStringLiteral(" "), QStringLiteral("Атопический дерматит"), QStringLiteral("Псориаз")}));
}

void CertificatesTest::cli_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("body");
    const QString head = QStringLiteral(
        "Министерство здравоохранения Тульской области\nГБУЗ «Областной кожно-венерологический диспансер»\n"
        "Отделение фототерапии (ПУВА)\n300012, г. Тула, ул. Садовая, д. 15\n"
        "тел. (4872) 55-12-40, регистратура (4872) 55-12-41\n");
    const QString signature = QStringLiteral("Врач - Волкова Т.Г.\n___________________\n05.03.2025\n");
    const QString sentence = QStringLiteral(
        "Сидоров Петр Ильич, 1975 года рождения направляется на консультацию для исключения патологий со стороны "
        "внутренних органов и определения противопоказаний для лечения УФ светом.\n");
    QTest::newRow("certificate")
        << QStringList{QStringLiteral("--certificate")}
        << head +
               QStringLiteral("\n\nСПРАВКА\n\n\n Дана пациенту Сидоров Петр Ильич, 1975 года рождения, в том, что "
                              "он(а) в настоящее время проходит курс лечения по поводу кожного заболевания с "
                              "05.03.2025 по 05.03.2025.\n\nК предъявлению по месту требования.\n\n") +
               signature;
    QTest::newRow("certificate, place chosen")
        << QStringList{QStringLiteral("--certificate"), QStringLiteral("--choice"),
                       QStringLiteral("ComboBox2=в бассейн")}
        << head +
               QStringLiteral("\n\nСПРАВКА\n\n\n Дана пациенту Сидоров Петр Ильич, 1975 года рождения, в том, что "
                              "он(а) в настоящее время проходит курс лечения по поводу кожного заболевания с "
                              "05.03.2025 по 05.03.2025.\n\nК предъявлению в бассейн.\n\n") +
               signature;
    QTest::newRow("referral") << QStringList{QStringLiteral("--referral")}
                              << head + QStringLiteral("\nНАПРАВЛЕНИЕ на консультацию\n\n\n") + sentence +
                                     QStringLiteral("\nДля предъявления по месту требования.\n\n") + signature;
    QTest::newRow("referral to a specialist, blank diagnosis")
        << QStringList{QStringLiteral("--referral"), QStringLiteral("--choice"),
                       QStringLiteral("ComboBox7=дерматологу"), QStringLiteral("--choice=ComboBox10= ")}
        << head + QStringLiteral("\nНАПРАВЛЕНИЕ на консультацию к дерматологу.\n\n\n") + sentence +
               QStringLiteral("\nДиагноз:  .\n\nДля предъявления по месту требования.\n\n") + signature;
}

void CertificatesTest::cli()
{
    QFETCH(QStringList, options);
    QFETCH(QString, body);
    const Run r = report(
        QStringList{QStringLiteral("--data"), m_data.path(), QStringLiteral("--patient"), QString::number(m_sidorov)} +
        options);
    QCOMPARE(r.err, QString());
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out, body);
}

void CertificatesTest::cliSavesTheDocumentAsRtf()
{
    const QString file = m_data.filePath(QStringLiteral("справка.rtf"));
    const Run r = report({QStringLiteral("--data"), m_data.path(), QStringLiteral("--patient"), QString::number(m_sidorov),
                          QStringLiteral("--certificate"), QStringLiteral("--rtf"), file});
    QCOMPARE(r.code, 0);
    QVERIFY2(r.err.contains(QStringLiteral("Записан файл")), qPrintable(r.err));
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray rtf = f.readAll();
    QVERIFY(rtf.startsWith("{\\rtf1"));
    // The title in Cyrillic escapes, and the centring its paragraph has.
    QVERIFY(rtf.contains(documents::rtfEscaped(QStringLiteral("СПРАВКА"))));
    QVERIFY(rtf.contains("\\qc"));
}

void CertificatesTest::cliRefusals_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("complaint");
    QTest::newRow("both") << QStringList{QStringLiteral("--certificate"), QStringLiteral("--referral")}
                          << "нельзя указать вместе";
    QTest::newRow("with a mode") << QStringList{QStringLiteral("--referral"), QStringLiteral("--mode"),
                                                QStringLiteral("full-card")}
                                 << "--mode не относится";
    QTest::newRow("list of the other page")
        << QStringList{QStringLiteral("--certificate"), QStringLiteral("--choice"), QStringLiteral("ComboBox7=x")}
        << "нет списка ComboBox7";
    QTest::newRow("choice without a name")
        << QStringList{QStringLiteral("--referral"), QStringLiteral("--choice"), QStringLiteral("=x")}
        << "нужно ComboBoxN=ТЕКСТ";
    QTest::newRow("choice for the report") << QStringList{QStringLiteral("--mode"), QStringLiteral("full-card"),
                                                          QStringLiteral("--choice"), QStringLiteral("ComboBox7=x")}
                                           << "--choice относится только";
}

void CertificatesTest::cliRefusals()
{
    QFETCH(QStringList, options);
    QFETCH(QString, complaint);
    const Run r = report(
        QStringList{QStringLiteral("--data"), m_data.path(), QStringLiteral("--patient"), QString::number(m_sidorov)} +
        options);
    // Words that cannot be taken end with 2 in every command; a choice the page has no list for, with 1.
    QCOMPARE(r.code, r.err.startsWith(QStringLiteral("Ошибка:")) ? 2 : 1);
    QCOMPARE(r.code, complaint.startsWith(QStringLiteral("нет списка")) ? 1 : 2);
    QVERIFY2(r.err.contains(complaint), qPrintable(r.err));
    QCOMPARE(r.out, QString());
}

void CertificatesTest::cliWithoutLetterhead()
{
    QVERIFY(QFile::rename(m_program->path(QStringLiteral("sourses/docs_had.txt")),
                          m_program->path(QStringLiteral("sourses/docs_had.bak"))));
    const Run r = report({QStringLiteral("--data"), m_data.path(), QStringLiteral("--patient"),
                          QString::number(m_sidorov), QStringLiteral("--certificate")});
    QVERIFY(QFile::rename(m_program->path(QStringLiteral("sourses/docs_had.bak")),
                          m_program->path(QStringLiteral("sourses/docs_had.txt"))));
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains(QStringLiteral("docs_had.txt")), qPrintable(r.err));
    QCOMPARE(r.out, QString());
}

QTEST_GUILESS_MAIN(CertificatesTest)
#include "certificates_test.moc"
