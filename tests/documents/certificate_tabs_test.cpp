// The pages "Справка" and "Направление" inside the whole program, as the start-up makes, wires and
// fills them.
#include "application.h"
#include "clock.h"
#include "dialogs.h"
#include "documentviewer.h"
#include "form1.h"
#include "report_fixture.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextEdit>
#include <QtTest>
#include <memory>

using namespace pelorin;

namespace {

template <typename T> T *child(QWidget *w, const QString &name)
{
    return w ? w->findChild<T *>(name) : nullptr;
}

void settle()
{
    for (int i = 0; i < 10; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

// The caption of the label whose buddy is the control.
QString captionOf(QWidget *page, QWidget *control)
{
    for (QLabel *l : page->findChildren<QLabel *>()) {
        if (l->buddy() == control && l->text() != QStringLiteral("с") && l->text() != QStringLiteral("по"))
            return l->text();
    }
    return {};
}

} // namespace

class CertificateTabsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void controls_data();
    void controls();
    void pickersOnToday();
    void certificateIntoTheTextArea();
    void referralIntoTheTextArea();
    void missingLetterheadLeavesTheAreaEmpty();
    void fitsTheMainWindow();

private:
    QWidget *page(int index) const { return m_app->form1()->documentsPages()->widget(index); }

    std::unique_ptr<testing::ProgramFolderFixture> m_program;
    std::unique_ptr<QTemporaryDir> m_data;
    std::unique_ptr<ScopedScriptedDialogs> m_dialogs;
    std::unique_ptr<office::ScopedRecordingDocumentViewer> m_viewer;
    std::unique_ptr<app::Application> m_app;
};

void CertificateTabsTest::init()
{
    clock::setFixedToday(testing::kReportToday);
    m_program = std::make_unique<testing::ProgramFolderFixture>();
    m_data = std::make_unique<QTemporaryDir>();
    {
        db::Database database;
        QString error;
        QVERIFY2(database.open(m_data->path(), &error), qPrintable(error));
        db::DM1 dm1(database);
        db::DM2 dm2(database, dm1);
        QVERIFY(dm1.open(&error) && dm2.open(&error));
        testing::RecordWriter{dm1, dm2}.patient({{"Last_Name", QStringLiteral("Сидоров")},
                                                 {"First_Name", QStringLiteral("Петр")},
                                                 {"Father_Name", QStringLiteral("Ильич")},
                                                 {"Born_dat", QDate(1975, 4, 12)},
                                                 {"Vrach", QStringLiteral("Волкова Т.Г.")}});
    }
    m_dialogs = std::make_unique<ScopedScriptedDialogs>();
    m_dialogs->answers << QStringLiteral("zlk");
    m_viewer = std::make_unique<office::ScopedRecordingDocumentViewer>();
    m_app = std::make_unique<app::Application>(
        QStringList{QStringLiteral("pelorin"), QStringLiteral("--data"), m_data->path()});
    QCOMPARE(int(m_app->start()), int(app::Application::Start::Running));
    m_app->form1()->showSection(app::Form1::Docs);
    m_dialogs->transcript.clear();
}

void CertificateTabsTest::cleanup()
{
    m_app.reset();
    m_viewer.reset();
    m_dialogs.reset();
    m_data.reset();
    m_program.reset();
    clock::reset();
}

void CertificateTabsTest::controls_data()
{
    QTest::addColumn<int>("pageIndex");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("firstItem"); // empty: no items of its own

    QTest::newRow("ComboBox1") << 1 << "ComboBox1"
                               << "Выдана пациенту в том, что он "
                               << "в настоящее время проходит курс лечения по поводу кожного заболевания"
                               << "в настоящее время проходит курс лечения по поводу кожного заболевания";
    QTest::newRow("ComboBox2") << 1 << "ComboBox2"
                               << "К предъявлению"
                               << "по месту требования"
                               << "по месту требования";
    QTest::newRow("ComboBox6") << 2 << "ComboBox6"
                               << "Направление на"
                               << "консультацию"
                               << "консультацию";
    QTest::newRow("ComboBox7") << 2 << "ComboBox7"
                               << ""
                               << ""
                               << "терапевту";
    QTest::newRow("ComboBox3") << 2 << "ComboBox3"
                               << "для"
                               << "исключения патологий"
                               << "исключения патологий";
    QTest::newRow("ComboBox8") << 2 << "ComboBox8"
                               << "со стороны"
                               << "внутренних органов"
                               << "внутренних органов";
    QTest::newRow("ComboBox9") << 2 << "ComboBox9"
                               << "и"
                               << "определения противопоказаний для лечения УФ светом"
                               << "определения противопоказаний для лечения УФ светом";
    QTest::newRow("ComboBox10") << 2 << "ComboBox10"
                                << "Диагноз:"
                                << ""
                                << " ";
    QTest::newRow("ComboBox5") << 2 << "ComboBox5"
                               << "Для предъявления"
                               << "по месту требования"
                               << "по месту требования";
}

void CertificateTabsTest::controls()
{
    QFETCH(int, pageIndex);
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QString, text);
    QFETCH(QString, firstItem);
    auto *combo = child<QComboBox>(page(pageIndex), name);
    QVERIFY(combo);
    QVERIFY(combo->isEditable());
    QCOMPARE(captionOf(page(pageIndex), combo), caption);
    // The start-up filled the list without moving the text off its initial value.
    QCOMPARE(combo->currentText(), text);
    QVERIFY(combo->count() >= 3);
    QCOMPARE(combo->itemText(0), firstItem);
}

void CertificateTabsTest::pickersOnToday()
{
    const std::pair<int, const char *> pickers[] = {
        {1, "DateTimePicker11"}, {1, "DateTimePicker12"}, {1, "DateTimePicker9"}, {2, "DateTimePicker10"}};
    for (const auto &[index, name] : pickers) {
        auto *d = child<QDateEdit>(page(index), QString::fromLatin1(name));
        QVERIFY2(d, name);
        QCOMPARE(d->date(), testing::kReportToday);
    }
    QCOMPARE(captionOf(page(1), child<QDateEdit>(page(1), QStringLiteral("DateTimePicker9"))),
             QStringLiteral("Дата выдачи:"));
    QCOMPARE(captionOf(page(1), child<QDateEdit>(page(1), QStringLiteral("DateTimePicker11"))),
             QStringLiteral("В период "));
    QCOMPARE(captionOf(page(2), child<QDateEdit>(page(2), QStringLiteral("DateTimePicker10"))),
             QStringLiteral("Дата выдачи:"));
    for (const auto &[index, name] : {std::pair{1, "DBEdit24"}, std::pair{2, "DBEdit25"}}) {
        auto *e = child<QLineEdit>(page(index), QString::fromLatin1(name));
        QVERIFY2(e, name);
        QVERIFY(e->isReadOnly());
        QCOMPARE(e->text(), QStringLiteral("Волкова Т.Г."));
        QCOMPARE(captionOf(page(index), e), QStringLiteral("Врач"));
    }
    for (const auto &[index, name] : {std::pair{1, "Button39"}, std::pair{2, "Button40"}}) {
        auto *b = child<QPushButton>(page(index), QString::fromLatin1(name));
        QVERIFY2(b, name);
        QCOMPARE(b->text(), QStringLiteral("Подготовить документ"));
    }
}

void CertificateTabsTest::certificateIntoTheTextArea()
{
    child<QComboBox>(page(1), QStringLiteral("ComboBox2"))->setEditText(QStringLiteral("в бассейн"));
    child<QDateEdit>(page(1), QStringLiteral("DateTimePicker11"))->setDate(QDate(2025, 2, 1));
    child<QPushButton>(page(1), QStringLiteral("Button39"))->click();
    QTextDocument *doc = m_app->form1()->documentsText()->document();
    QCOMPARE(doc->blockCount(), 17);
    QCOMPARE(doc->defaultFont().pointSizeF(), 12.0);
    const QString body = QStringLiteral(" Дана пациенту Сидоров Петр Ильич, 1975 года рождения, в том, что он(а) в "
                                        "настоящее время проходит курс лечения по поводу кожного заболевания с "
                                        "01.02.2025 по 05.03.2025.");
    struct Expected
    {
        int block;
        QString text;
        Qt::Alignment alignment;
        double first, left, right;
    };
    const Expected expected[] = {
        {0, QStringLiteral("Министерство здравоохранения Тульской области"), Qt::AlignHCenter, 20, 20, 20},
        {7, QStringLiteral("СПРАВКА"), Qt::AlignHCenter, 20, 20, 20},
        {10, body, Qt::AlignLeft, 20, 20, 20},
        {12, QStringLiteral("К предъявлению в бассейн."), Qt::AlignLeft, 20, 20, 20},
        {14, QStringLiteral("Врач - Волкова Т.Г."), Qt::AlignRight, 20, 20, 20},
        {16, QStringLiteral("05.03.2025"), Qt::AlignRight, 20, 20, 20},
    };
    for (const Expected &e : expected) {
        const QTextBlock b = doc->findBlockByNumber(e.block);
        QCOMPARE(b.text(), e.text);
        QCOMPARE(b.blockFormat().alignment() & Qt::AlignHorizontal_Mask, e.alignment);
        QCOMPARE(b.blockFormat().textIndent(), e.first);
        QCOMPARE(b.blockFormat().leftMargin(), e.left);
        QCOMPARE(b.blockFormat().rightMargin(), e.right);
        QCOMPARE(b.charFormat().fontPointSize(), 12.0);
        QCOMPARE(b.begin().fragment().charFormat().fontPointSize(), b.text().isEmpty() ? 0.0 : 12.0);
        QVERIFY(b.charFormat().fontWeight() != QFont::Bold);
    }
}

void CertificateTabsTest::referralIntoTheTextArea()
{
    auto *diagnosis = child<QComboBox>(page(2), QStringLiteral("ComboBox10"));
    diagnosis->setCurrentIndex(0);
    QCOMPARE(diagnosis->currentText(), QStringLiteral(" "));
    child<QPushButton>(page(2), QStringLiteral("Button40"))->click();
    QTextDocument *doc = m_app->form1()->documentsText()->document();
    QCOMPARE(doc->findBlockByNumber(6).text(), QStringLiteral("НАПРАВЛЕНИЕ на консультацию"));
    QCOMPARE(doc->findBlockByNumber(6).blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    const QTextBlock sentence = doc->findBlockByNumber(9);
    QVERIFY(sentence.text().startsWith(QStringLiteral("Сидоров Петр Ильич, 1975 года рождения направляется")));
    QCOMPARE(sentence.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    QCOMPARE(sentence.blockFormat().textIndent(), 10.0);
    QCOMPARE(sentence.blockFormat().leftMargin(), 20.0);
    QCOMPARE(sentence.blockFormat().rightMargin(), 20.0);
    QCOMPARE(doc->findBlockByNumber(11).text(), QStringLiteral("Диагноз:  ."));
    const QTextBlock doctor = doc->findBlockByNumber(15);
    QCOMPARE(doctor.text(), QStringLiteral("Врач - Волкова Т.Г."));
    QCOMPARE(doctor.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    QCOMPARE(doctor.blockFormat().textIndent(), 10.0);
    QCOMPARE(doc->blockCount(), 18);
}

void CertificateTabsTest::missingLetterheadLeavesTheAreaEmpty()
{
    QTextEdit *area = m_app->form1()->documentsText();
    area->setPlainText(QStringLiteral("прежний текст"));
    QVERIFY(QFile::remove(m_program->path(QStringLiteral("sourses/docs_had.txt"))));
    child<QPushButton>(page(1), QStringLiteral("Button39"))->click();
    QCOMPARE(area->toPlainText(), QString());
    QCOMPARE(m_dialogs->transcript.size(), 1);
    QVERIFY(m_dialogs->transcript.first().contains(QStringLiteral("docs_had.txt")));
}

void CertificateTabsTest::fitsTheMainWindow()
{
    app::Form1 *form = m_app->form1();
    form->resize(1366, 700);
    form->show();
    form->showSection(app::Form1::Docs);
    for (int index : {1, 2}) {
        form->documentsPages()->setCurrentIndex(index);
        settle();
        QWidget *tab = page(index)->findChild<QWidget *>(index == 1 ? QStringLiteral("CertificateTab")
                                                                    : QStringLiteral("ReferralTab"));
        QVERIFY(tab);
        QList<QWidget *> controls;
        for (QWidget *w : tab->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            if (w->isVisible())
                controls << w;
        }
        QVERIFY(controls.size() >= 10);
        for (QWidget *w : controls) {
            const QString name = w->objectName().isEmpty() ? w->property("text").toString() : w->objectName();
            QVERIFY2(tab->rect().contains(w->geometry()), qPrintable(name));
            QVERIFY2(w->width() >= w->minimumSizeHint().width(), qPrintable(name));
            for (QWidget *other : controls) {
                if (other != w)
                    QVERIFY2(!w->geometry().intersects(other->geometry()), qPrintable(name));
            }
            // A label stands on the row of its control, just before it.
            if (auto *l = qobject_cast<QLabel *>(w);
                l && l->buddy() && l->buddy()->parentWidget() == tab && l->text() != QStringLiteral("В период ")) {
                QVERIFY2(qAbs(l->geometry().center().y() - l->buddy()->geometry().center().y()) <= 4, qPrintable(name));
                QVERIFY2(l->geometry().right() < l->buddy()->geometry().left(), qPrintable(name));
                QVERIFY2(l->buddy()->geometry().left() - l->geometry().right() < 40, qPrintable(name));
            }
        }
        // The page never makes the section taller than the chart page does; the text area keeps the rest.
        QVERIFY(tab->minimumSizeHint().height() <= page(4)->minimumSizeHint().height());
    }
}

QTEST_MAIN(CertificateTabsTest)
#include "certificate_tabs_test.moc"
