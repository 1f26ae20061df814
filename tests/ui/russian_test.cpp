// Qt's own texts speak Russian whatever the machine's locale: standard buttons, the file dialog and
// the text fields' context menu.
#include "qtdialogs.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QtTest>

class RussianTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY2(pelorin::ui::installRussianTranslations(*qApp), "qtbase_ru is not installed"); }

    void standardButtons_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("text");
        QTest::newRow("Cancel") << int(QDialogButtonBox::Cancel) << QStringLiteral("Отмена");
        QTest::newRow("Open") << int(QDialogButtonBox::Open) << QStringLiteral("Открыть");
        QTest::newRow("Save") << int(QDialogButtonBox::Save) << QStringLiteral("Сохранить");
    }

    void standardButtons()
    {
        QFETCH(int, button);
        QFETCH(QString, text);
        QDialogButtonBox box{QDialogButtonBox::StandardButtons(button)};
        QCOMPARE(box.button(QDialogButtonBox::StandardButton(button))->text().remove(QLatin1Char('&')), text);
    }

    void dialogAndMenuTexts_data()
    {
        QTest::addColumn<QString>("context");
        QTest::addColumn<QString>("source");
        QTest::newRow("file dialog: look in") << "QFileDialog" << "Look in:";
        QTest::newRow("file dialog: file name") << "QFileDialog" << "File &name:";
        QTest::newRow("context menu: undo") << "QLineEdit" << "&Undo";
        QTest::newRow("context menu: select all") << "QLineEdit" << "Select All";
    }

    void dialogAndMenuTexts()
    {
        QFETCH(QString, context);
        QFETCH(QString, source);
        const QString text = QCoreApplication::translate(context.toLatin1().constData(), source.toLatin1().constData());
        QVERIFY2(text != source, qPrintable(text));
        static const QRegularExpression cyrillic(QStringLiteral("[А-Яа-я]"));
        QVERIFY2(text.contains(cyrillic), qPrintable(text));
    }

    void numbersAreRussian() { QCOMPARE(QLocale().toString(72.5), QStringLiteral("72,5")); }
};

QTEST_MAIN(RussianTest)
#include "russian_test.moc"
