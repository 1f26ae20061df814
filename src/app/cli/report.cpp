#include "report.h"

#include "options.h"

#include "analyz_calc.h"
#include "certificates.h"
#include "anamnesis_calc.h"
#include "clock.h"
#include "database.h"
#include "puva_exposure.h"
#include "datamodules.h"
#include "diagnoz_calc.h"
#include "dialogs.h"
#include "documentviewer.h"
#include "elements.h"
#include "osmotr_calc.h"
#include "puva_calc.h"
#include "recomend_calc.h"
#include "register.h"
#include "legacy_card.h"
#include "report_files.h"
#include "rtfwriter.h"
#include "safefile.h"
#include "settings.h"
#include "table.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>
#include <limits>

namespace pelorin::cli {

using documents::ReportMode;

namespace {

constexpr int kReportOk = 0;
constexpr int kReportFailed = 1;

const std::pair<ReportMode, const char *> kModeNames[] = {
    {ReportMode::FullCard, "full-card"},           {ReportMode::CourseCard, "course-card"},
    {ReportMode::Admission, "admission"},          {ReportMode::LastExamination, "last-exam"},
    {ReportMode::OneExamination, "exam"},          {ReportMode::BetweenDates, "between"},
    {ReportMode::CourseExtract, "extract-course"}, {ReportMode::AllCoursesExtract, "extract-all"},
};

bool takesCourse(ReportMode mode)
{
    return mode == ReportMode::CourseCard || mode == ReportMode::CourseExtract;
}

bool takesExamination(ReportMode mode)
{
    return mode == ReportMode::Admission || mode == ReportMode::OneExamination;
}

// The operation's messages, one per line on standard error; nobody is there to answer a question.
class StreamDialogs : public Dialogs
{
public:
    explicit StreamDialogs(QTextStream &err) : m_err(err) {}

    bool ask(const QString &text, const QString &, Kind) override
    {
        print(text);
        return false;
    }
    void message(const QString &text, const QString &, Kind) override { print(text); }
    std::optional<QString> input(const QString &, const QString &, const QString &) override { return std::nullopt; }
    QString openFileName(const QString &, const QString &, const QString &) override { return {}; }
    QString saveFileName(const QString &, const QString &, const QString &) override { return {}; }
    void beep() override {}

private:
    void print(const QString &text)
    {
        m_err << text << '\n';
        m_err.flush();
    }
    QTextStream &m_err;
};

class ViewerScope
{
public:
    explicit ViewerScope(office::DocumentViewer *viewer) : m_previous(&office::DocumentViewer::instance())
    {
        office::DocumentViewer::setInstance(viewer);
    }
    ~ViewerScope() { office::DocumentViewer::setInstance(m_previous); }

private:
    office::DocumentViewer *m_previous;
};

// The command line's text area as the window's "Сохранить как файл" would write it: each line a
// paragraph at the text area's default size.
bool saveTextAreaRtf(const documents::PlainTextArea &area, const QString &path, QString *error)
{
    QStringList paragraphs;
    for (const QString &entry : area.entries)
        paragraphs << entry.split(QLatin1Char('\n'));
    return documents::saveRtfFile(path, documents::writeRtf(documents::rtfDocument(paragraphs)), error);
}

// A period whose start comes after its end holds nothing; a card of nothing is no answer.
QString emptyPeriodComplaint(const QDate &from, const QDate &to)
{
    return QStringLiteral("--from: начало периода (%1) позже его конца (%2).")
        .arg(from.toString(QStringLiteral("dd.MM.yyyy")), to.toString(QStringLiteral("dd.MM.yyyy")));
}

int fail(QTextStream &err, const QString &text)
{
    err << text << '\n';
    err.flush();
    return kReportFailed;
}

// "Подготовить документ" of the certificate or referral page as it opens: its initial texts, every
// picker on today, the pick lists of --choice set first.
int printCertificate(const ReportArguments &a, const db::Table &reg, QTextStream &out, QTextStream &err)
{
    const QDate today = clock::today();
    documents::CertificateChoices certificate = documents::CertificateChoices::initial(today);
    documents::ReferralChoices referral = documents::ReferralChoices::initial(today);
    for (const QString &choice : a.choices) {
        const qsizetype eq = choice.indexOf(QLatin1Char('='));
        const QString control = choice.left(eq);
        const QString text = choice.mid(eq + 1);
        if (a.certificate ? !certificate.setChoice(control, text) : !referral.setChoice(control, text))
            return fail(err, QStringLiteral("--choice: на странице «%1» нет списка %2.")
                                 .arg(a.certificate ? QStringLiteral("Справка") : QStringLiteral("Направление"),
                                      control));
    }
    QStringList letterhead;
    QString error;
    if (!documents::readLetterheadLines(&letterhead, &error))
        return fail(err, error);
    const documents::CertificatePatient patient = documents::CertificatePatient::fromRegister(reg);
    const QList<documents::DocParagraph> paragraphs =
        a.certificate ? documents::composeCertificate(letterhead, patient, certificate)
                      : documents::composeReferral(letterhead, patient, referral);
    out << documents::plainText(paragraphs);
    out.flush();
    if (!a.rtfFile.isEmpty()) {
        // The paragraph settings go into the file as the text area would keep them.
        documents::RtfDocument rtf;
        for (const documents::DocParagraph &p : paragraphs) {
            documents::RtfParagraph paragraph;
            paragraph.align = p.alignment == documents::ParagraphAlignment::Center  ? documents::RtfParagraph::Align::Centre
                              : p.alignment == documents::ParagraphAlignment::Right ? documents::RtfParagraph::Align::Right
                                                                                    : documents::RtfParagraph::Align::Left;
            paragraph.firstLineIndent = p.firstIndent;
            paragraph.leftIndent = p.leftIndent;
            paragraph.rightIndent = p.rightIndent;
            paragraph.runs << documents::RtfRun{p.text, p.bold, false, false, p.pointSize};
            rtf.paragraphs << paragraph;
        }
        QString rtfError;
        if (!documents::saveRtfFile(a.rtfFile, documents::writeRtf(rtf), &rtfError))
            return fail(err, rtfError);
        err << QStringLiteral("Записан файл: ") << QDir::toNativeSeparators(a.rtfFile) << '\n';
        err.flush();
    }
    return kReportOk;
}

} // namespace

QString modeName(ReportMode mode)
{
    for (const auto &[m, name] : kModeNames) {
        if (m == mode)
            return QString::fromLatin1(name);
    }
    return {};
}

std::optional<ReportMode> modeFromName(const QString &name)
{
    for (const auto &[m, n] : kModeNames) {
        if (name == QLatin1String(n))
            return m;
    }
    return std::nullopt;
}

QString reportUsage()
{
    return QStringLiteral(
        "  pelorin-cli report --data ПАПКА --patient ID_man --mode РЕЖИМ [--course N]\n"
        "                     [--from ДД.ММ.ГГГГ --to ДД.ММ.ГГГГ] [--exam ID] [--out ПАПКА]\n"
        "      «Подготовить данные к печати.» для пациента: текст документа — в стандартный вывод,\n"
        "      амбулаторная карта и выписка — в папку --out (по умолчанию reports/ и sourses/reports/\n"
        "      папки программы). РЕЖИМ: full-card (полная амбулаторная карта), course-card (карта с\n"
        "      курсом ПУВА --course N), admission (информация при поступлении, осмотр --exam ID),\n"
        "      last-exam (последний осмотр), exam (отдельный осмотр --exam ID; по умолчанию первый\n"
        "      осмотр пациента), between (все события между датами --from и --to, по умолчанию\n"
        "      сегодня), extract-course (выписка по курсу --course N), extract-all (выписка по всем\n"
        "      курсам). --course по умолчанию 1. «Сегодня» задаёт PELORIN_TODAY=ГГГГ-ММ-ДД.\n"
        "      --legacy: «Старый отчет.» в том же режиме; копия карты — reports/karta.xlsx (или в --out).\n"
        "      --rtf ФАЙЛ: текст документа сохраняется ещё и в этот файл в формате RTF.\n"
        "  pelorin-cli report --data ПАПКА --patient ID_man --certificate|--referral\n"
        "                     [--choice ComboBoxN=ТЕКСТ ...]\n"
        "      «Подготовить документ» на странице «Справка» (--certificate) или «Направление»\n"
        "      (--referral): начальные тексты страницы, все даты — сегодня; --choice сначала задаёт\n"
        "      текст списка ComboBoxN этой страницы (можно несколько раз).\n"
        "      Вместо --data ПАПКА — --db postgresql://ПОЛЬЗОВАТЕЛЬ@СЕРВЕР:ПОРТ/БАЗА: записи на сервере.\n"
        "      Сообщения — в стандартный поток ошибок; код завершения 1, если документ не получен;\n");
}

QString parseReportArguments(const QStringList &words, ReportArguments *a)
{
    bool modeGiven = false;
    bool patientGiven = false;
    bool courseGiven = false;
    auto onFlag = [a](const QString &word) {
        if (word == QLatin1String("--legacy"))
            a->legacy = true;
        else if (word == QLatin1String("--help") || word == QLatin1String("-h"))
            a->help = true;
        else
            (word == QLatin1String("--certificate") ? a->certificate : a->referral) = true;
        return QString();
    };
    auto onValue = [&](const QString &option, const QString &value) -> QString {
        auto wholeNumber = [&](qint64 least, qint64 most, qint64 *out) {
            return wholeNumberOption(option, value, least, most, out);
        };
        auto date = [&](QDate *out) {
            *out = QDate::fromString(value, QStringLiteral("dd.MM.yyyy"));
            return out->isValid() ? QString()
                                  : QStringLiteral("%1: нужна дата в виде ДД.ММ.ГГГГ, а не «%2».").arg(option, value);
        };
        QString problem;
        if (option == QLatin1String("--data")) {
            a->dataFolder = QDir(value).absolutePath();
        } else if (option == QLatin1String("--db")) {
            problem = serverOption(option, value, &a->server);
        } else if (option == QLatin1String("--rtf")) {
            // As the button's save dialog does, a name without the extension gets it.
            a->rtfFile = QDir(value).absolutePath();
            if (!a->rtfFile.endsWith(QLatin1String(".rtf"), Qt::CaseInsensitive))
                a->rtfFile += QStringLiteral(".rtf");
        } else if (option == QLatin1String("--out")) {
            a->outFolder = QDir(value).absolutePath();
        } else if (option == QLatin1String("--patient")) {
            problem = wholeNumber(1, std::numeric_limits<qint64>::max(), &a->patient);
            patientGiven = true;
        } else if (option == QLatin1String("--mode")) {
            const std::optional<ReportMode> mode = modeFromName(value);
            if (!mode)
                return QStringLiteral("--mode: неизвестный режим «%1»; режимы: full-card, course-card, admission, "
                                      "last-exam, exam, between, extract-course, extract-all.")
                    .arg(value);
            a->mode = *mode;
            modeGiven = true;
        } else if (option == QLatin1String("--course")) {
            qint64 n = 0;
            problem = wholeNumber(1, 99, &n);
            a->course = int(n);
            courseGiven = true;
        } else if (option == QLatin1String("--exam")) {
            qint64 n = 0;
            problem = wholeNumber(1, std::numeric_limits<qint64>::max(), &n);
            a->examination = n;
        } else if (option == QLatin1String("--choice")) {
            if (value.indexOf(QLatin1Char('=')) <= 0)
                return QStringLiteral("--choice: нужно ComboBoxN=ТЕКСТ, а не «%1».").arg(value);
            a->choices << value;
        } else if (option == QLatin1String("--from")) {
            problem = date(&a->from);
        } else if (option == QLatin1String("--to")) {
            problem = date(&a->to);
        } else {
            return QStringLiteral("неизвестный параметр «%1».").arg(option);
        }
        return problem;
    };
    const QStringList flags = {QStringLiteral("--legacy"), QStringLiteral("--help"), QStringLiteral("-h"),
                               QStringLiteral("--certificate"), QStringLiteral("--referral")};
    if (QString problem = walkOptions(words, flags, onFlag, onValue); !problem.isEmpty())
        return problem;
    if (a->help)
        return {};
    if (!patientGiven)
        return QStringLiteral("не указан пациент (--patient ID_man).");
    if (a->certificate && a->referral)
        return QStringLiteral("--certificate и --referral нельзя указать вместе.");
    if (a->certificate || a->referral) {
        if (modeGiven)
            return QStringLiteral("--mode не относится к --certificate и --referral.");
        return {};
    }
    if (!a->choices.isEmpty())
        return QStringLiteral("--choice относится только к --certificate и --referral.");
    if (!modeGiven)
        return QStringLiteral("не указан режим (--mode).");
    const QString mode = modeName(a->mode);
    if (courseGiven && !takesCourse(a->mode))
        return QStringLiteral("--course относится только к режимам course-card и extract-course, а не к %1.").arg(mode);
    if (a->examination && !takesExamination(a->mode))
        return QStringLiteral("--exam относится только к режимам admission и exam, а не к %1.").arg(mode);
    if ((a->from.isValid() || a->to.isValid()) && a->mode != ReportMode::BetweenDates)
        return QStringLiteral("--from и --to относятся только к режиму between, а не к %1.").arg(mode);
    if (a->from.isValid() && a->to.isValid() && a->from > a->to)
        return emptyPeriodComplaint(a->from, a->to);
    return {};
}

int runReport(const QStringList &words, QTextStream &out, QTextStream &err)
{
    ReportArguments a;
    if (const QString problem = parseReportArguments(words, &a); !problem.isEmpty())
        return refuseArguments(err, problem, reportUsage());
    if (a.help) {
        out << QStringLiteral("Использование:\n") << reportUsage();
        out.flush();
        return kReportOk;
    }
    // An existing file is never replaced from the command line, where nobody can be asked; neither
    // is a link written through.
    if (const QFileInfo rtf(a.rtfFile); !a.rtfFile.isEmpty() && (rtf.exists() || rtf.isSymLink()))
        return fail(err, QStringLiteral("Файл «%1» уже существует; укажите в --rtf другое имя.")
                             .arg(QDir::toNativeSeparators(a.rtfFile)));
    if (a.server.isEmpty() && a.dataFolder.isEmpty())
        a.server = db::Database::resolveServerAlias({});
    if (a.dataFolder.isEmpty())
        a.dataFolder = db::Database::resolveDataFolder({});

    // The documents only read, so the file is opened as it is, and stays as it was.
    db::Database database;
    QString error;
    if (!a.server.isEmpty() ? !database.openServer(a.server, &error, db::Database::OpenMode::ReadOnly)
                            : !database.open(a.dataFolder, &error, db::Database::OpenMode::ReadOnly))
        return fail(err, error);
    db::RunSettings settings;
    // The clinic's choice of the lifetime PUVA line in the extract, as the program reads it.
    treatment::loadExposureSettings(database, settings);
    db::DM1 dm1(database);
    db::DM2 dm2(database, dm1);
    // The calculated texts the documents read, installed as the program's start-up installs them.
    db::installRegisterCalc(*dm1.register_, settings);
    documents::installDocumentTexts(dm1, dm2);
    if (!dm1.open(&error) || !dm2.open(&error))
        return fail(err, error);

    if (!dm1.register_->locate(QStringLiteral("ID_man"), a.patient))
        return fail(err, QStringLiteral("Пациент с ID_man = %1 не найден.").arg(a.patient));
    if (a.certificate || a.referral)
        return printCertificate(a, *dm1.register_, out, err);

    documents::ReportInput input;
    input.mode = a.mode;
    input.exposureLine = settings.puvaExposureLine;
    input.course = a.course;
    input.from = a.from;
    input.to = a.to;
    if (a.mode == ReportMode::BetweenDates) {
        // The pickers start on today's date.
        const QDate today = clock::today();
        if (!input.from.isValid())
            input.from = today;
        if (!input.to.isValid())
            input.to = today;
        if (input.from > input.to)
            return fail(err, QStringLiteral("Ошибка: ") + emptyPeriodComplaint(input.from, input.to));
    }
    if (takesExamination(a.mode)) {
        db::Table &exams = *dm2.osmotr1;
        if (a.examination) {
            if (!exams.locate(QStringLiteral("ID"), *a.examination))
                return fail(err, QStringLiteral("Осмотр с ID = %1 у пациента с ID_man = %2 не найден.")
                                     .arg(*a.examination)
                                     .arg(a.patient));
            input.examinationId = a.examination;
        } else {
            exams.first();
            if (!exams.isEmpty())
                input.examinationId = exams.asInteger(QStringLiteral("ID"));
        }
    }

    documents::ReportFilesOptions options;
    if (!a.outFolder.isEmpty()) {
        if (!safefile::makeFolder(a.outFolder))
            return fail(err,
                        QStringLiteral("Не удалось создать папку «%1».").arg(QDir::toNativeSeparators(a.outFolder)));
        options.cardFolder = a.outFolder;
        options.summaryFolder = a.outFolder;
    }
    StreamDialogs dialogs(err);
    const DialogsScope dialogsScope(&dialogs);
    // Nothing is shown from the command line; the files are where the arguments said.
    office::RecordingDocumentViewer viewer;
    const ViewerScope viewerScope(&viewer);

    documents::PlainTextArea area;
    documents::ReportFilesResult result;
    if (a.legacy) {
        documents::LegacyCardInput legacy;
        legacy.mode = input.mode;
        legacy.course = input.course;
        legacy.examinationId = input.examinationId;
        result = documents::prepareLegacyCard(dm1, dm2, legacy, area, options);
    } else {
        result = documents::prepareReport(dm1, dm2, input, area, options);
    }
    out << area.plainText();
    out.flush();
    for (const QString &path : viewer.opened)
        err << QStringLiteral("Записан файл: ") << QDir::toNativeSeparators(path) << '\n';
    err.flush();
    if (result.ok && !a.rtfFile.isEmpty()) {
        QString rtfError;
        if (!saveTextAreaRtf(area, a.rtfFile, &rtfError)) {
            err << rtfError << '\n';
            result.ok = false;
        } else {
            err << QStringLiteral("Записан файл: ") << QDir::toNativeSeparators(a.rtfFile) << '\n';
        }
        err.flush();
    }
    return result.ok ? kReportOk : kReportFailed;
}

} // namespace pelorin::cli
