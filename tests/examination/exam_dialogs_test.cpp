#include <QtTest>

class ExamDialogsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void placeholder() {}
};

QTEST_MAIN(ExamDialogsTest)
#include "exam_dialogs_test.moc"
