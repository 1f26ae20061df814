#include "maintain.h"

#include "appcontext.h"
#include "archive.h"
#include "clock.h"
#include "database.h"
#include "dialogs.h"
#include "maintenance.h"
#include "options.h"
#include "session.h"

#include <QDir>
#include <QLockFile>
#include <QTextStream>

namespace pelorin::cli {

namespace {

constexpr int kMaintainOk = 0;
constexpr int kMaintainFailed = 1;

// Every question and message of the run goes to standard output with the answer given, between the
// change-log lines it belongs to.
class PrintedDialogs : public Dialogs
{
public:
    PrintedDialogs(QTextStream &out, bool yes) : m_out(out), m_yes(yes) {}

    bool ask(const QString &text, const QString &caption, Kind) override
    {
        print(QStringLiteral("Вопрос «%1»: %2 — ответ: %3").arg(caption, text, m_yes ? QStringLiteral("да")
                                                                                      : QStringLiteral("нет")));
        return m_yes;
    }
    void message(const QString &text, const QString &caption, Kind) override
    {
        print(QStringLiteral("Сообщение «%1»: %2").arg(caption, text));
    }
    std::optional<QString> input(const QString &, const QString &, const QString &) override { return std::nullopt; }
    QString openFileName(const QString &, const QString &, const QString &) override { return {}; }
    QString saveFileName(const QString &, const QString &, const QString &) override { return {}; }
    void beep() override {}

    // The program's texts break lines with a lone carriage return, which a terminal would overprint.
    void print(QString line)
    {
        line.remove(QLatin1Char('\r'));
        m_out << line << '\n';
        m_out.flush();
    }

private:
    QTextStream &m_out;
    bool m_yes;
};

int fail(QTextStream &err, const QString &text)
{
    err << text << '\n';
    err.flush();
    return kMaintainFailed;
}

} // namespace

QString maintainUsage()
{
    return QStringLiteral(
        "  pelorin-cli maintain --data ПАПКА --run N [--tab БУКВА] [--answer yes|no]\n"
        "                       [--protection ДНЕЙ] [--archive ДНЕЙ]\n"
        "      кнопка N (1–6) «Панели автоматических действий» по всем пациентам списка:\n"
        "      1 — номера курсов ПУВА, 2 — даты выписки по диагнозам, 3 — перетряхивание диагнозов,\n"
        "      4 — курсы пациентов из диагнозов, 5 — доза, даты и связи процедур ПУВА с осмотрами,\n"
        "      6 — чистка полей последнего обострения в осмотрах. --tab: закладка алфавита («*» —\n"
        "      все пациенты, «А»…«Я», «№»); --archive: список с архивацией пациентов за столько дней;\n"
        "      --protection: защита данных окошками с таким критерием давности, её вопросы получают\n"
        "      ответ --answer (по умолчанию no). Строки журнала изменений, вопросы с ответами и\n"
        "      сообщения — в стандартный вывод. Пока программа открыта с этой папкой, не запускается.\n");
}

QString parseMaintainArguments(const QStringList &words, MaintainArguments *a)
{
    bool runGiven = false;
    auto onFlag = [a](const QString &) {
        a->help = true;
        return QString();
    };
    auto onValue = [&](const QString &option, const QString &value) -> QString {
        qint64 n = 0;
        QString problem;
        if (option == QLatin1String("--data")) {
            a->dataFolder = QDir(value).absolutePath();
        } else if (option == QLatin1String("--run")) {
            problem = wholeNumberOption(option, value, 1, app::kMaintenanceRunCount, &n);
            a->run = int(n);
            runGiven = true;
        } else if (option == QLatin1String("--tab")) {
            const int tab = app::alphabetTabOf(value.toUpper());
            if (tab < 0 || tab == app::kTabCurrent)
                return QStringLiteral("--tab: нужна закладка «*», буква от «А» до «Я» или «№», а не «%1».").arg(value);
            a->tab = value.toUpper();
        } else if (option == QLatin1String("--answer")) {
            if (value != QLatin1String("yes") && value != QLatin1String("no"))
                return QStringLiteral("--answer: нужно yes или no, а не «%1».").arg(value);
            a->answerYes = value == QLatin1String("yes");
        } else if (option == QLatin1String("--protection")) {
            problem = wholeNumberOption(option, value, 1, 1000000, &n);
            a->protectionDays = int(n);
        } else if (option == QLatin1String("--archive")) {
            problem = wholeNumberOption(option, value, 1, 9999, &n);
            a->archiveDays = int(n);
        } else {
            return QStringLiteral("неизвестный параметр «%1».").arg(option);
        }
        return problem;
    };
    if (QString problem = walkOptions(words, {QStringLiteral("--help"), QStringLiteral("-h")}, onFlag, onValue);
        !problem.isEmpty())
        return problem;
    if (a->help)
        return {};
    if (!runGiven)
        return QStringLiteral("не указан обход (--run N, от 1 до %1).").arg(app::kMaintenanceRunCount);
    return {};
}

int runMaintain(const QStringList &words, QTextStream &out, QTextStream &err)
{
    MaintainArguments a;
    if (const QString problem = parseMaintainArguments(words, &a); !problem.isEmpty())
        return refuseArguments(err, problem, maintainUsage());
    if (a.help) {
        out << maintainUsage();
        out.flush();
        return kMaintainOk;
    }
    if (a.dataFolder.isEmpty())
        a.dataFolder = db::Database::resolveDataFolder({});
    if (!db::Database::existsIn(a.dataFolder))
        return fail(err, QStringLiteral("В папке %1 нет базы данных.").arg(QDir::toNativeSeparators(a.dataFolder)));

    // The program keeps every record it shows in memory: a run beside it would be overwritten by its
    // next post, or overwrite what the doctor is typing.
    QLockFile lock(QDir(a.dataFolder).absoluteFilePath(QStringLiteral("tarvelo.lock")));
    if (const QString refused = lockDataFolder(a.dataFolder, lock); !refused.isEmpty())
        return fail(err, refused);

    PrintedDialogs dialogs(out, a.answerYes);
    const DialogsScope dialogsScope(&dialogs);
    app::AppContext ctx;
    QString error;
    if (!ctx.database.open(a.dataFolder, &error, db::Database::OpenMode::Existing))
        return fail(err, error);
    ctx.dm1 = std::make_unique<db::DM1>(ctx.database);
    ctx.dm2 = std::make_unique<db::DM2>(ctx.database, *ctx.dm1);
    if (!app::openDataModule(ctx, 1, &error) || !app::openDataModule(ctx, 2, &error))
        return fail(err, error);
    QObject::connect(&ctx.log, &db::ChangeLog::lineAppended, &ctx.log, [&dialogs](const QString &line) {
        dialogs.print(line);
    });

    if (a.protectionDays > 0) {
        ctx.settings.protectionOn = true;
        ctx.settings.protectionDays = a.protectionDays;
    }
    if (a.archiveDays > 0) {
        ctx.settings.patientArchive = true;
        ctx.settings.patientArchiveDays = a.archiveDays;
    }
    db::Table &reg = *ctx.dm1->register_;
    reg.first();
    const app::PatientListView view = app::patientListView(app::alphabetTabOf(a.tab), reg.asInteger(QStringLiteral("ID_man")),
                                                           ctx.settings.patientArchive,
                                                           ctx.settings.patientArchiveDays, clock::today());
    reg.setOrderField(view.orderField);
    if (!reg.setFilter(view.filter, &error))
        return fail(err, error);
    reg.first();

    app::Maintenance maintenance(*ctx.dm1, *ctx.dm2, ctx.settings, ctx.log);
    const app::MaintenanceResult result = maintenance.run(app::MaintenanceRun(a.run));
    // A stopped run says what reached the file, not what was walked.
    if (result.stopped)
        out << QStringLiteral("Обход %1 остановлен: сохранено пациентов %2 из %3.")
                   .arg(a.run)
                   .arg(result.stored)
                   .arg(result.patients)
            << '\n';
    else
        out << QStringLiteral("Обход %1 закончен: пациентов %2 из %3.").arg(a.run).arg(result.done).arg(result.patients)
            << '\n';
    out.flush();
    for (const QString &line : result.failures)
        err << line << '\n';
    err.flush();
    return result.failures.isEmpty() ? kMaintainOk : kMaintainFailed;
}

} // namespace pelorin::cli
