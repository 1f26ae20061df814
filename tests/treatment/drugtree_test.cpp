#include "dialogs.h"
#include "drugtree.h"
#include "programfolder.h"

#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QDir>
#include <QtTest>

using namespace pelorin;
using namespace pelorin::treatment;

namespace {

// The scripted answers, with the text each input box was opened with.
struct Answers : ScopedScriptedDialogs
{
    QStringList initials;
    std::optional<QString> input(const QString &caption, const QString &prompt, const QString &initial) override
    {
        initials << initial;
        return ScopedScriptedDialogs::input(caption, prompt, initial);
    }
};

// Section "Препараты внутрь" > "Антигистаминные" > "Лоратадин" > "по 1 таб."; section "Местное лечение" >
// "Эмоленты" > "Липикар" > "2 раза в день".
DrugTree sampleTree()
{
    DrugTree tree;
    QString error;
    if (!tree.parse({"Препараты внутрь", "\tАнтигистаминные", "\t\tЛоратадин", "\t\t\tпо 1 таб.", "Местное лечение",
                     "\tЭмоленты", "\t\tЛипикар", "\t\t\t2 раза в день"},
                    &error))
        qFatal("sample tree: %s", qPrintable(error));
    return tree;
}

// A node by its path of child indexes from the root.
DrugNode *nodeAt(DrugTree &tree, const QList<int> &path)
{
    DrugNode *n = &tree.root();
    for (int i : path)
        n = n->children[size_t(i)].get();
    return n;
}

} // namespace

Q_DECLARE_METATYPE(QList<int>)
Q_DECLARE_METATYPE(AddCommand)

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
    void savedFileFormat();
    void failedLoadEmptiesTheTreeAndWritesNothing();
    void kinds();
    void addPrompts_data();
    void addPrompts();
    void changePrompt_data();
    void changePrompt();
    void deletePrompts_data();
    void deletePrompts();
    void dosagePicks_data();
    void dosagePicks();
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
    const QString text =
        QStringLiteral("Местное лечение\r\n\tЭмоленты\r\n\t\tЛипикар\r\n\t\t\tнаносить 2 раза в день\r\n");
    QStringEncoder cp1251("windows-1251");
    QStringEncoder utf16le(QStringEncoder::Utf16LE);
    QStringEncoder utf16be(QStringEncoder::Utf16BE);
    QTest::newRow("windows-1251") << QByteArray(cp1251(text));
    QTest::newRow("utf-8 bom") << QByteArray("\xEF\xBB\xBF") + text.toUtf8();
    QTest::newRow("utf-8 without mark") << text.toUtf8();
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
    // Written back in the encoding it was read in: the same bytes.
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), bytes);
    f.close();
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

void DrugTreeTest::savedFileFormat()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("lekar.txt"));
    DrugTree tree = sampleTree();
    QString error;
    QVERIFY(tree.save(path, &error));
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    // A byte-order mark, one tab per level, CR LF after every line.
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
    QCOMPARE(QString::fromUtf8(bytes.mid(3)),
             QStringLiteral("Препараты внутрь\r\n\tАнтигистаминные\r\n\t\tЛоратадин\r\n\t\t\tпо 1 таб.\r\n"
                            "Местное лечение\r\n\tЭмоленты\r\n\t\tЛипикар\r\n\t\t\t2 раза в день\r\n"));
}

void DrugTreeTest::failedLoadEmptiesTheTreeAndWritesNothing()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("lekar.txt"));
    const QByteArray bytes = QByteArray("\xEF\xBB\xBF") + QStringLiteral("Раздел\r\n\t\tПрепарат\r\n").toUtf8();
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();
    DrugTree tree = sampleTree();
    QString error;
    QVERIFY(!tree.load(path, &error));
    QCOMPARE(error, QStringLiteral("Ошибка в файле «%1», строка 2: строка вложена глубже, чем на один уровень под "
                                   "предыдущей (Invalid level (2) for item \"Препарат\").")
                        .arg(QDir::toNativeSeparators(path)));
    QCOMPARE(tree.nodeCount(), 0);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), bytes);

    QVERIFY(!tree.load(dir.filePath(QStringLiteral("нет.txt")), &error));
    QVERIFY(error.contains(QStringLiteral("нет.txt")));
}

void DrugTreeTest::kinds()
{
    DrugTree tree = sampleTree();
    QCOMPARE(kindOf(*nodeAt(tree, {0})), DrugNodeKind::Section);
    QCOMPARE(kindOf(*nodeAt(tree, {0, 0})), DrugNodeKind::Group);
    QCOMPARE(kindOf(*nodeAt(tree, {0, 0, 0})), DrugNodeKind::Drug);
    QCOMPARE(kindOf(*nodeAt(tree, {0, 0, 0, 0})), DrugNodeKind::Dosage);
    nodeAt(tree, {0, 0, 0, 0})->addChild(QStringLiteral("глубже"));
    QCOMPARE(kindOf(*nodeAt(tree, {0, 0, 0, 0, 0})), DrugNodeKind::Deeper);
}

void DrugTreeTest::addPrompts_data()
{
    QTest::addColumn<QList<int>>("selected");
    QTest::addColumn<AddCommand>("command");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("question");
    QTest::addColumn<QList<int>>("parent"); // where the new node goes
    QTest::addColumn<bool>("added");

    const QString groupPrompt =
        QStringLiteral("Введите новую группу препаратов, если хотите ее добавить в раздел \"Местное лечение\" :");
    const QString drugPrompt =
        QStringLiteral("Ввдите новый препарат, если хотите его добавить в группу \"Эмоленты\" :");
    const QString dosagePrompt =
        QStringLiteral("Введите новую дозировку препарата \"Липикар\", если хотите ее добавить:");
    const QString group = QStringLiteral("input: Вы не указали группу препаратов.: ") + groupPrompt;
    const QString drug = QStringLiteral("input: Вы не указали препарат.: ") + drugPrompt;
    const QString dosage = QStringLiteral("input: Вы не указали дозировку препарата.: ") + dosagePrompt;
    const QString menuGroup = QStringLiteral("input: Добавление группы препаратов.: ") + groupPrompt;
    const QString menuDrug = QStringLiteral("input: Добавление препарата.: ") + drugPrompt;
    const QString menuDosage = QStringLiteral("input: Добавление дозировки препарата.: ") + dosagePrompt;

    QTest::newRow("button, section") << QList<int>{1} << AddCommand::Button << "Кератолитики" << group << QList<int>{1}
                                     << true;
    QTest::newRow("button, group") << QList<int>{1, 0} << AddCommand::Button << "Атопалм" << drug << QList<int>{1, 0}
                                   << true;
    QTest::newRow("button, drug") << QList<int>{1, 0, 0} << AddCommand::Button << "1 раз в день" << dosage
                                  << QList<int>{1, 0, 0} << true;
    QTest::newRow("menu, section") << QList<int>{1} << AddCommand::Menu << "Кератолитики" << menuGroup << QList<int>{1}
                                   << true;
    QTest::newRow("menu, group") << QList<int>{1, 0} << AddCommand::Menu << "Атопалм" << menuDrug << QList<int>{1, 0}
                                 << true;
    QTest::newRow("menu, drug") << QList<int>{1, 0, 0} << AddCommand::Menu << "1 раз в день" << menuDosage
                                << QList<int>{1, 0, 0} << true;
    QTest::newRow("menu, dosage: beside it")
        << QList<int>{1, 0, 0, 0} << AddCommand::Menu << "1 раз в день" << menuDosage << QList<int>{1, 0, 0} << true;
    QTest::newRow("empty answer") << QList<int>{1} << AddCommand::Button << "" << group << QList<int>{1} << false;
    QTest::newRow("cancelled") << QList<int>{1, 0} << AddCommand::Menu << "<cancel>" << menuDrug << QList<int>{1, 0}
                               << false;
    QTest::newRow("button, dosage: no question")
        << QList<int>{1, 0, 0, 0} << AddCommand::Button << "x" << QString() << QList<int>{1, 0, 0, 0} << false;
}

void DrugTreeTest::addPrompts()
{
    QFETCH(QList<int>, selected);
    QFETCH(AddCommand, command);
    QFETCH(QString, answer);
    QFETCH(QString, question);
    QFETCH(QList<int>, parent);
    QFETCH(bool, added);
    Answers dialogs;
    dialogs.answers << answer;
    DrugTree tree = sampleTree();
    DrugNode *under = nodeAt(tree, parent);
    const size_t childrenBefore = under->children.size();

    DrugNode *node = askAddNode(*nodeAt(tree, selected), command);

    QCOMPARE(dialogs.transcript, question.isEmpty() ? QStringList{} : QStringList{question});
    if (!question.isEmpty())
        QCOMPARE(dialogs.initials, QStringList{QString()});
    QCOMPARE(node != nullptr, added);
    QCOMPARE(under->children.size(), childrenBefore + (added ? 1 : 0));
    QCOMPARE(tree.nodeCount(), 8 + (added ? 1 : 0));
    if (added) {
        QCOMPARE(under->children.back().get(), node);
        QCOMPARE(node->text, answer);
        QCOMPARE(node->parent, under);
    }
}

void DrugTreeTest::changePrompt_data()
{
    QTest::addColumn<QList<int>>("node");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("text");
    QTest::newRow("section") << QList<int>{0} << "Внутрь"
                             << "Внутрь";
    QTest::newRow("dosage") << QList<int>{0, 0, 0, 0} << "по 2 таб."
                            << "по 2 таб.";
    QTest::newRow("empty answer keeps the text") << QList<int>{0, 0} << ""
                                                 << "Антигистаминные";
    QTest::newRow("cancelled") << QList<int>{0, 0, 0} << "<cancel>"
                               << "Лоратадин";
}

void DrugTreeTest::changePrompt()
{
    QFETCH(QList<int>, node);
    QFETCH(QString, answer);
    QFETCH(QString, text);
    Answers dialogs;
    dialogs.answers << answer;
    DrugTree tree = sampleTree();
    DrugNode *n = nodeAt(tree, node);
    const QString before = n->text;
    QCOMPARE(askChangeNode(*n), text != before);
    QCOMPARE(dialogs.transcript, QStringList{QStringLiteral("input: Введите новый тест: Введите новый тест")});
    QCOMPARE(dialogs.initials, QStringList{before});
    QCOMPARE(n->text, text);
}

void DrugTreeTest::deletePrompts_data()
{
    QTest::addColumn<QList<int>>("node");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("question");
    QTest::addColumn<int>("nodesLeft");
    QTest::newRow("group with everything under it")
        << QList<int>{0, 0} << "yes"
        << "ask: Внимание!: Вы уверены что хотите удалить данное лекарство (Антигистаминные) ?" << 5;
    QTest::newRow("drug") << QList<int>{1, 0, 0} << "yes"
                          << "ask: Внимание!: Вы уверены что хотите удалить данное лекарство (Липикар) ?" << 6;
    QTest::newRow("dosage")
        << QList<int>{1, 0, 0, 0} << "yes"
        << "ask: Внимание!: Вы уверены что хотите удалить данный способ применения (2 раза в день) ?" << 7;
    QTest::newRow("answered No") << QList<int>{0, 0, 0} << "no"
                                 << "ask: Внимание!: Вы уверены что хотите удалить данное лекарство (Лоратадин) ?" << 8;
    QTest::newRow("section: nothing") << QList<int>{1} << "yes" << QString() << 8;
}

void DrugTreeTest::deletePrompts()
{
    QFETCH(QList<int>, node);
    QFETCH(QString, answer);
    QFETCH(QString, question);
    QFETCH(int, nodesLeft);
    Answers dialogs;
    dialogs.answers << answer;
    DrugTree tree = sampleTree();
    QCOMPARE(askDeleteNode(*nodeAt(tree, node)), nodesLeft < 8);
    QCOMPARE(dialogs.transcript, question.isEmpty() ? QStringList{} : QStringList{question});
    QCOMPARE(tree.nodeCount(), nodesLeft);
}

void DrugTreeTest::dosagePicks_data()
{
    QTest::addColumn<QList<int>>("dosage");
    QTest::addColumn<QString>("drug");
    QTest::addColumn<QString>("way");
    QTest::addColumn<bool>("local");
    QTest::newRow("internal") << QList<int>{0, 0, 0, 0} << "Лоратадин"
                              << "по 1 таб." << false;
    QTest::newRow("local treatment") << QList<int>{1, 0, 0, 0} << "Липикар"
                                     << "2 раза в день" << true;
}

void DrugTreeTest::dosagePicks()
{
    QFETCH(QList<int>, dosage);
    QFETCH(QString, drug);
    QFETCH(QString, way);
    QFETCH(bool, local);
    DrugTree tree = sampleTree();
    const DosagePick pick = dosagePick(*nodeAt(tree, dosage));
    QCOMPARE(pick.drug, drug);
    QCOMPARE(pick.dosage, way);
    QCOMPARE(pick.local, local);
}

QTEST_GUILESS_MAIN(DrugTreeTest)
#include "drugtree_test.moc"
