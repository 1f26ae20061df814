// The program on a PostgreSQL server: the alias that names it, one copy per seat, two seats side by
// side on the same records, and no file backup of a server's records. The server cases run when
// PELORIN_TEST_PG names a throw-away server database (scripts/test.sh starts one).
#include "appcontext.h"
#include "application.h"
#include "clock.h"
#include "database.h"
#include "dialogs.h"
#include "programfolder.h"
#include "table.h"
#include "testserver.h"

#include <QDir>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

using namespace pelorin;
using testing::serverAlias;

namespace {

std::unique_ptr<app::Application> seat(const QString &folder, ScriptedDialogs &dialogs, app::Application::Start *how)
{
    auto a = std::make_unique<app::Application>(
        QStringList{QStringLiteral("pelorin"), QStringLiteral("--db"), serverAlias(), QStringLiteral("--data"), folder});
    dialogs.answers << QStringLiteral("zlk");
    *how = a->start();
    return a;
}

} // namespace

class ServerAppTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void aliasComesFromTheOptionOrTheEnvironment_data();
    void aliasComesFromTheOptionOrTheEnvironment();
    void twoSeatsShareTheRecordsOneCopyPerSeat();
};

void ServerAppTest::initTestCase()
{
    folder::setRoot(QStringLiteral(PELORIN_PROGRAM_DIR));
    clock::setFixedToday(QDate(2026, 12, 11));
}

void ServerAppTest::aliasComesFromTheOptionOrTheEnvironment_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("environment");
    QTest::addColumn<QString>("server");
    QTest::addColumn<bool>("folderFromEnvironment");
    const QString alias = QStringLiteral("postgresql://doctor@clinic-server:5432/clinic");
    QTest::newRow("--db") << QStringList{"pelorin", "--db", alias} << QString() << alias << false;
    QTest::newRow("--db=") << QStringList{"pelorin", "--db=" + alias} << QString() << alias << false;
    QTest::newRow("TARVELO names a server") << QStringList{"pelorin"} << alias << alias << false;
    QTest::newRow("TARVELO names a folder") << QStringList{"pelorin"} << QStringLiteral("/srv/clinic") << QString()
                                            << true;
    QTest::newRow("--db beats TARVELO") << QStringList{"pelorin", "--db", alias} << QStringLiteral("/srv/clinic")
                                        << alias << true;
}

void ServerAppTest::aliasComesFromTheOptionOrTheEnvironment()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, environment);
    QFETCH(QString, server);
    QFETCH(bool, folderFromEnvironment);
    const QByteArray former = qgetenv("TARVELO");
    qputenv("TARVELO", environment.toUtf8());
    QCOMPARE(db::Database::resolveServerAlias(arguments), server);
    // A server alias in TARVELO is never taken for a folder.
    QCOMPARE(db::Database::resolveDataFolder(arguments) == QDir(QStringLiteral("/srv/clinic")).absolutePath(),
             folderFromEnvironment);
    qputenv("TARVELO", former);
}

void ServerAppTest::twoSeatsShareTheRecordsOneCopyPerSeat()
{
    if (serverAlias().isEmpty())
        QSKIP("PELORIN_TEST_PG is not set: no PostgreSQL server to test against");
    QString reset;
    QVERIFY2(testing::emptyServer(&reset), qPrintable(reset));
    ScopedScriptedDialogs dialogs;
    QTemporaryDir seatA, seatB;
    app::Application::Start how;
    auto first = seat(seatA.path(), dialogs, &how);
    QCOMPARE(how, app::Application::Start::Running);
    db::Table &regA = *first->context().dm1->register_;
    regA.append();
    regA.setValue(QStringLiteral("Last_Name"), QStringLiteral("Орлова"));
    QVERIFY(regA.post());

    // A second copy on the same seat is refused; another seat starts beside the first.
    dialogs.transcript.clear();
    auto again = seat(seatA.path(), dialogs, &how);
    QCOMPARE(how, app::Application::Start::Failed);
    QVERIFY2(dialogs.transcript.join('\n').contains(QStringLiteral("Вторую копию открыть нельзя")),
             qPrintable(dialogs.transcript.join('\n')));
    again.reset();
    auto second = seat(seatB.path(), dialogs, &how);
    QCOMPARE(how, app::Application::Start::Running);
    db::Table &regB = *second->context().dm1->register_;
    QCOMPARE(regB.recordCount(), 1);
    QCOMPARE(regB.asString(QStringLiteral("Last_Name")), QStringLiteral("Орлова"));

    first.reset();
    second.reset();
    // The seats' folders hold their locks and nothing of the records.
    QVERIFY(!QDir(seatA.path()).exists(QStringLiteral("backups")));
    QVERIFY(!QDir(seatA.path()).exists(db::Database::fileName()));
}

QTEST_MAIN(ServerAppTest)
#include "server_app_test.moc"
