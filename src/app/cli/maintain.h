#pragma once

#include <QString>
#include <QStringList>

class QTextStream;

// "pelorin-cli maintain": one run of the maintenance window over the patients of the register as an
// alphabet tab lists them, without windows, for a night-time schedule.
namespace pelorin::cli {

struct MaintainArguments
{
    QString dataFolder; // empty: the folder the program itself would open
    int run = 0;        // 1…6, the buttons' order
    QString tab = QStringLiteral("*");
    bool answerYes = false; // the answer to every question of the record protection
    int protectionDays = 0; // > 0: "Включить защиту данных окошками" with this age limit
    int archiveDays = 0;    // > 0: "Включить архивацию пациентов" with this age limit
    bool help = false;
};

QString parseMaintainArguments(const QStringList &words, MaintainArguments *arguments);
QString maintainUsage();

// 0 when every listed patient was walked and all his records stored; 1 when the arguments, the
// database or a record refused.
int runMaintain(const QStringList &words, QTextStream &out, QTextStream &err);

} // namespace pelorin::cli
