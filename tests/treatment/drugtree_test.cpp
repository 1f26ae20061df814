#include "drugtree.h"
#include "programfolder.h"

#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QtTest>

using namespace pelorin::treatment;

class DrugTreeTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parsesLevels();
    void levelJumpStops_data();
    void levelJumpStops();
    void roundTripInEveryEncoding_data();
    void roundTripInEveryEncoding();
    void shippedTreeLoads();
};

void DrugTreeTest::parsesLevels()
{
    DrugTree tree;
    QString error;
    QVERIFY(tree.parse({"Препараты внутрь", "\tАнтигистаминные", "\t\tЛоратадин", "\t\t\tпо 1 таб. 1 раз в день",
                        "\t\tЦетиризин", "Местное лечение", "\tЭмоленты"},
                       &error));
    QCOMPARE(tree.root().children.size(), size_t(2));
    const DrugNode &inside = *tree.root().children[0];
    QCOMPARE(inside.children[0]->children.size(), size_t(2));
    QCOMPARE(inside.children[0]->children[0]->children[0]->text, QStringLiteral("по 1 таб. 1 раз в день"));
    QCOMPARE(inside.children[0]->children[0]->children[0]->depth(), 3);
    QCOMPARE(tree.root().children[1]->children[0]->text, QStringLiteral("Эмоленты"));
    QCOMPARE(tree.nodeCount(), 7);
}

void DrugTreeTest::levelJumpStops_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("error");
    QTest::newRow("first line too deep") << QStringList{"\tГруппа"} << "Invalid level (1) for item \"Группа\"";
    QTest::newRow("jump of two") << QStringList{"Раздел", "\t\t\tДозировка"}
                                 << "Invalid level (3) for item \"Дозировка\"";
}

void DrugTreeTest::levelJumpStops()
{
    QFETCH(QStringList, lines);
    QFETCH(QString, error);
    DrugTree tree;
    QString why;
    QVERIFY(!tree.parse(lines, &why));
    QCOMPARE(why, error);
    QCOMPARE(tree.nodeCount(), 0);
}

void DrugTreeTest::roundTripInEveryEncoding_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QString text = QStringLiteral("Местное лечение\r\n\tЭмоленты\r\n\t\tЛипикар\r\n\t\t\tнаносить 2 раза в день\r\n");
    QStringEncoder cp1251("windows-1251");
    QStringEncoder utf16le(QStringEncoder::Utf16LE);
    QStringEncoder utf16be(QStringEncoder::Utf16BE);
    QTest::newRow("windows-1251") << QByteArray(cp1251(text));
    QTest::newRow("utf-8 bom") << QByteArray("\xEF\xBB\xBF") + text.toUtf8();
    QTest::newRow("utf-16le bom") << QByteArray("\xFF\xFE") + QByteArray(utf16le(text));
    QTest::newRow("utf-16be bom") << QByteArray("\xFE\xFF") + QByteArray(utf16be(text));
}

void DrugTreeTest::roundTripInEveryEncoding()
{
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("lekar.txt"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();
    DrugTree tree;
    QString error;
    QVERIFY2(tree.load(path, &error), qPrintable(error));
    const QStringList lines = tree.toLines();
    QCOMPARE(lines.size(), 4);
    QCOMPARE(lines[2], QStringLiteral("\t\tЛипикар"));
    QVERIFY(tree.save(path, &error));
    DrugTree again;
    QVERIFY(again.load(path, &error));
    QCOMPARE(again.toLines(), lines);
}

void DrugTreeTest::shippedTreeLoads()
{
    DrugTree tree;
    QString error;
    QVERIFY2(tree.load(QStringLiteral(PELORIN_SOURSES_DIR "/lekar.txt"), &error), qPrintable(error));
    QVERIFY(tree.nodeCount() > 100);
    QStringList sections;
    for (const auto &s : tree.root().children)
        sections << s->text;
    QVERIFY(sections.contains(QStringLiteral("Местное лечение")));
}

QTEST_GUILESS_MAIN(DrugTreeTest)
#include "drugtree_test.moc"
