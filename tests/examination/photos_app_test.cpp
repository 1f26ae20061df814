// The photo box and the dynamics chart inside the running program: started as the user starts
// it, with scripted answers, on a program folder of its own.
#include "application.h"
#include "clock.h"
#include "database.h"
#include "datamodules.h"
#include "demo.h"
#include "dialogs.h"
#include "dynamicschart.h"
#include "form1.h"
#include "form_osm_img.h"
#include "photobox.h"
#include "picturebox.h"
#include "programfolder.h"
#include "table.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QChart>
#include <QComboBox>
#include <QDirIterator>
#include <QLabel>
#include <QLineSeries>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

using namespace pelorin;

namespace {

const QDate kToday(2025, 6, 2);

// Copies the folder tree from into to.
bool copyTree(const QString &from, const QString &to)
{
    QDir().mkpath(to);
    QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString target = to + QLatin1Char('/') + QDir(from).relativeFilePath(path);
        if (it.fileInfo().isDir() ? !QDir().mkpath(target) : !QFile::copy(path, target))
            return false;
    }
    return true;
}

struct Seeded
{
    QString lastName;
    int card;
    QList<QPair<QDate, int>> itch; // examination dates with B8
};

void seed(const QString &folder, const QList<Seeded> &patients)
{
    db::Database database;
    QString error;
    QVERIFY2(database.open(folder, &error), qPrintable(error));
    db::DM1 dm1(database);
    db::DM2 dm2(database, dm1);
    QVERIFY(dm1.open(&error) && dm2.open(&error));
    for (const Seeded &p : patients) {
        db::Table &r = *dm1.register_;
        r.append();
        r.setValue("Last_Name", p.lastName);
        r.setValue("Amb_karta", p.card);
        r.setValue("Reg_date", kToday.addDays(-100));
        QVERIFY(r.post());
        int nom = 0;
        for (const auto &[date, itch] : p.itch) {
            db::Table &e = *dm2.osmotr1;
            e.append();
            e.setValue("Date", date);
            e.setValue("Nom_osm", ++nom);
            e.setValue("B8", itch);
            QVERIFY(e.post());
        }
    }
}

QAbstractButton *button(QWidget *w, const char *name)
{
    return w->findChild<QAbstractButton *>(QString::fromLatin1(name));
}

} // namespace

class PhotosAppTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();
    void windowsAndPlaces();
    void addedPhotoOpensFullSize();
    void chartFollowsThePatient();
    void examinationPanelFitsTheWindow();
    void screenshots();

private:
    std::unique_ptr<app::Application> start(ScopedScriptedDialogs &dialogs);
    QTemporaryDir m_program;
    QTemporaryDir m_pictures;
    std::unique_ptr<QTemporaryDir> m_data;
};

void PhotosAppTest::initTestCase()
{
    QVERIFY(copyTree(QStringLiteral(PELORIN_PROGRAM_DIR "/sourses"), m_program.filePath(QStringLiteral("sourses"))));
    QVERIFY(QDir(m_program.path()).mkdir(QStringLiteral("foto")));
    folder::setRoot(m_program.path());
    clock::setFixedToday(kToday);
    m_data = std::make_unique<QTemporaryDir>();
}

void PhotosAppTest::cleanupTestCase()
{
    folder::setRoot(QString());
}

void PhotosAppTest::cleanup()
{
    m_data = std::make_unique<QTemporaryDir>();
}

std::unique_ptr<app::Application> PhotosAppTest::start(ScopedScriptedDialogs &dialogs)
{
    auto a = std::make_unique<app::Application>(
        QStringList{QStringLiteral("pelorin"), QStringLiteral("--data"), m_data->path()});
    dialogs.answers << QStringLiteral("zlk");
    if (a->start() != app::Application::Start::Running)
        return nullptr;
    dialogs.transcript.clear();
    return a;
}

void PhotosAppTest::windowsAndPlaces()
{
    seed(m_data->path(), {{QStringLiteral("Антонов"), 1234, {}}});
    ScopedScriptedDialogs dialogs;
    auto a = start(dialogs);
    QVERIFY(a);
    auto *full = qobject_cast<examination::Form_osm_img *>(a->window(QStringLiteral("Form_osm_img")));
    QVERIFY(full);
    QVERIFY(!full->isVisible());
    QCOMPARE(a->creationOrder().count(QStringLiteral("Form_osm_img")), 1);
    app::Form1 *f = a->form1();
    QVERIFY(f->host(QStringLiteral("HostPhotos"))->findChild<examination::PhotoBox *>());
    auto *chart = f->host(QStringLiteral("HostChart"))->findChild<examination::DynamicsChart *>();
    QVERIFY(chart);
    QCOMPARE(f->documentsPages()->tabText(4), QStringLiteral("Динамика лечения в графиках"));
    QVERIFY(f->documentsPages()->widget(4)->isAncestorOf(chart));
    QVERIFY(f->findChild<QComboBox *>(QStringLiteral("ComboBox4")));
    QCOMPARE(f->findChild<QLabel *>(QStringLiteral("Label81"))->text(), QStringLiteral("Фотографий нет."));
}

void PhotosAppTest::addedPhotoOpensFullSize()
{
    seed(m_data->path(), {{QStringLiteral("Антонов"), 1234, {}}});
    ScopedScriptedDialogs dialogs;
    auto a = start(dialogs);
    QVERIFY(a);
    app::Form1 *f = a->form1();
    button(f, "SpeedButton5")->click();
    button(f, "Button3")->click();
    QCOMPARE(a->context().dm2->osmotr1->recordCount(), 1);

    QImage image(300, 200, QImage::Format_RGB32);
    image.fill(Qt::darkYellow);
    const QString chosen = m_pictures.filePath(QStringLiteral("рука.bmp"));
    QVERIFY(image.save(chosen, "BMP"));
    dialogs.answers << chosen;
    button(f, "Button23")->click();
    db::Table &photos = *a->context().dm2->osmotr_img;
    QCOMPARE(photos.recordCount(), 1);
    const QString link = QStringLiteral("foto\\1234\\осмотр1-фото%1.jpg").arg(photos.asInteger("Id"));
    QCOMPARE(photos.asString("Link"), link);
    QVERIFY(QFileInfo(folder::toFileSystem(link)).isFile());
    QCOMPARE(f->findChild<QLabel *>(QStringLiteral("Label81"))->text(), QStringLiteral("Фотография № 1 из 1"));
    auto *preview = f->findChild<examination::PictureBox *>(QStringLiteral("Image6"));
    QVERIFY(preview->isVisible());

    a->context().settings.photoWidth = 640;
    a->context().settings.photoHeight = 480;
    QTest::mouseClick(preview, Qt::LeftButton);
    QWidget *full = a->window(QStringLiteral("Form_osm_img"));
    QVERIFY(full->isVisible());
    QCOMPARE(full->windowTitle(), QStringLiteral("Размер фото: 300х200"));
    QCOMPARE(full->findChild<QWidget *>(QStringLiteral("Image1"))->size(), QSize(640, 480));
    // The main window stays usable under it.
    QVERIFY(f->isEnabled());
    full->close();
}

void PhotosAppTest::chartFollowsThePatient()
{
    seed(m_data->path(), {{QStringLiteral("Антонов"), 1, {{QDate(2025, 5, 1), 8}, {QDate(2025, 4, 1), 9}}},
                          {QStringLiteral("Белов"), 2, {{QDate(2025, 5, 10), 2}}}});
    ScopedScriptedDialogs dialogs;
    auto a = start(dialogs);
    QVERIFY(a);
    app::Form1 *f = a->form1();
    button(f, "SpeedButton6")->click();
    f->documentsPages()->setCurrentIndex(4);
    auto *chart = f->findChild<examination::DynamicsChart *>();
    QVERIFY(chart->isVisible());
    chart->pickList()->setCurrentIndex(9);
    QCOMPARE(chart->chart()->title(), QStringLiteral("Зуд"));
    db::Table &reg = *a->context().dm1->register_;
    QVERIFY(reg.locate(QStringLiteral("Last_Name"), QStringLiteral("Антонов")));
    QCOMPARE(chart->series().size(), 1);
    QCOMPARE(chart->series().first()->points(),
             (QList<QPointF>{{double(QDate(2025, 4, 1).toJulianDay()), 9}, {double(QDate(2025, 5, 1).toJulianDay()), 8}}));
    QVERIFY(reg.locate(QStringLiteral("Last_Name"), QStringLiteral("Белов")));
    QCOMPARE(chart->series().first()->points(), (QList<QPointF>{{double(QDate(2025, 5, 10).toJulianDay()), 2}}));
    // The course of the disease is calculated in the running program.
    chart->pickList()->setCurrentIndex(13);
    QVERIFY(chart->series().isEmpty());
    a->context().examinations->pickDinamika(QStringLiteral("Положительная"));
    QCOMPARE(chart->series().first()->points(), (QList<QPointF>{{double(QDate(2025, 5, 10).toJulianDay()), 1}}));
}

void PhotosAppTest::examinationPanelFitsTheWindow()
{
    seed(m_data->path(), {{QStringLiteral("Антонов"), 1234, {{QDate(2025, 5, 1), 8}}}});
    ScopedScriptedDialogs dialogs;
    auto a = start(dialogs);
    QVERIFY(a);
    app::Form1 *f = a->form1();
    f->resize(1340, 740);
    button(f, "SpeedButton5")->click();
    QTest::qWait(20);
    QCOMPARE(f->size(), QSize(1340, 740));
    // The examination section needs no more room than the main window gives it: the photo box
    // under the indices makes it neither taller nor wider than that.
    auto *scroll = f->findChild<QAbstractScrollArea *>(QStringLiteral("SectionScroll"));
    QVERIFY(scroll);
    const QSize room = scroll->viewport()->size();
    const QSize needed = f->sectionBox(app::Form1::Osmotr)->minimumSizeHint();
    QVERIFY2(needed.width() <= room.width() && needed.height() <= room.height(),
             qPrintable(QStringLiteral("%1x%2 in %3x%4").arg(needed.width()).arg(needed.height()).arg(room.width()).arg(room.height())));
    // Every control of the box has its room inside the box.
    auto *box = f->findChild<examination::PhotoBox *>();
    for (const char *name : {"Label81", "PhotoPlace", "DBMemo23", "DBNavigator1", "Button21", "Button22", "Button23",
                             "Button24"}) {
        QWidget *w = box->findChild<QWidget *>(QString::fromLatin1(name));
        QVERIFY2(w, name);
        QVERIFY2(box->rect().contains(QRect(w->mapTo(box, QPoint(0, 0)), w->size())), name);
        QVERIFY2(w->width() >= w->minimumSizeHint().width() && w->height() >= w->minimumSizeHint().height(), name);
    }
}

void PhotosAppTest::screenshots()
{
    const QString dir = qEnvironmentVariable("PELORIN_SHOTS");
    if (dir.isEmpty())
        QSKIP("PELORIN_SHOTS names no folder for pictures");
    {
        db::Database database;
        QString error;
        QVERIFY2(database.open(m_data->path(), &error), qPrintable(error));
        cli::DemoOptions options;
        options.patients = 12;
        options.today = kToday;
        const cli::DemoResult result = cli::generateDemo(database.sql(), options);
        QVERIFY2(result.ok, qPrintable(result.error));
    }
    ScopedScriptedDialogs dialogs;
    auto a = start(dialogs);
    QVERIFY(a);
    app::Form1 *f = a->form1();
    f->resize(1340, 740);
    db::Table &exams = *a->context().dm2->osmotr1;
    db::Table &reg = *a->context().dm1->register_;
    // The patient with the most examinations shows the chart best.
    int best = 1;
    int most = 0;
    for (int i = 1; i <= reg.recordCount(); ++i) {
        reg.setRecNo(i);
        if (exams.recordCount() > most) {
            most = exams.recordCount();
            best = i;
        }
    }
    reg.setRecNo(best);
    button(f, "SpeedButton5")->click();
    QImage photo(600, 800, QImage::Format_RGB32);
    for (int y = 0; y < photo.height(); ++y)
        for (int x = 0; x < photo.width(); ++x)
            photo.setPixelColor(x, y, QColor(220 - y / 8, 170 - x / 8, 140 + (x + y) / 20));
    const QString chosen = m_pictures.filePath(QStringLiteral("skin.jpg"));
    QVERIFY(photo.save(chosen, "JPG"));
    dialogs.answers << chosen;
    button(f, "Button23")->click();
    QTest::qWait(50);
    QVERIFY(f->grab().save(dir + QStringLiteral("/form1_osmotr.png")));
    button(f, "SpeedButton6")->click();
    f->documentsPages()->setCurrentIndex(4);
    QTest::qWait(50);
    QVERIFY(f->grab().save(dir + QStringLiteral("/form1_chart.png")));
    auto *chart = f->findChild<examination::DynamicsChart *>();
    chart->pickList()->setCurrentIndex(13);
    QTest::qWait(50);
    QVERIFY(f->grab().save(dir + QStringLiteral("/form1_chart_dinam.png")));
    chart->pickList()->setCurrentIndex(12);
    QTest::qWait(50);
    QVERIFY(f->grab().save(dir + QStringLiteral("/form1_chart_pasi.png")));
}

QTEST_MAIN(PhotosAppTest)
#include "photos_app_test.moc"
