// Fills the shipped templates with a long made-up card and summary, for a look at how they print:
//   office_samples TEMPLATE_FOLDER OUTPUT_FOLDER
//   soffice --headless --convert-to pdf --outdir OUTPUT_FOLDER OUTPUT_FOLDER/*.xlsx OUTPUT_FOLDER/*.docx

#include "worddocument.h"
#include "workbook.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QTextStream>

#include <cstdio>

using namespace pelorin::office;

namespace {

const QStringList kFindings{
    QStringLiteral("Жалобы: на зуд кожи умеренной интенсивности, усиливающийся в вечернее время, шелушение.\n"),
    QStringLiteral("Объективно: В динамике - улучшение. Индекс PASI - 12,4. \nНа коже - папулы розового цвета, "
                   "бляшки с чёткими границами, покрытые серебристо-белыми чешуйками на разгибательных "
                   "поверхностях локтевых и коленных суставов, волосистой части головы. "),
    QStringLiteral("Определяются дополнительные клинические симптомы: феномен стеаринового пятна, "
                   "терминальной плёнки, точечного кровотечения. Производные кожи: ногти не изменены.\n"),
    QStringLiteral("Назначено лечение: \nВнутрь: Лоратадин - по 1 таб. 1 раз в день, 10 дней.\n"),
};

QString longDate(const QDate &date)
{
    static const char *months[] = {"января", "февраля", "марта",    "апреля",  "мая",    "июня",
                                   "июля",   "августа", "сентября", "октября", "ноября", "декабря"};
    return QStringLiteral("%1 %2 %3 г.")
        .arg(date.day())
        .arg(QString::fromUtf8(months[date.month() - 1]))
        .arg(date.year());
}

bool check(bool ok, const QString &what)
{
    if (!ok)
        std::fprintf(stderr, "%s\n", qPrintable(what));
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "office_samples TEMPLATE_FOLDER OUTPUT_FOLDER\n");
        return 2;
    }
    const QDir templates(QString::fromLocal8Bit(argv[1]));
    const QDir output(QString::fromLocal8Bit(argv[2]));
    QString error;

    QFile letterheadFile(templates.filePath(QStringLiteral("../docs_had.txt")));
    letterheadFile.open(QIODevice::ReadOnly | QIODevice::Text);
    const QString letterhead = QString::fromUtf8(letterheadFile.readAll()).remove(QChar(0xFEFF)).trimmed();

    const QString left = QStringLiteral("&7Амбулаторная карта № 1254. Константинопольская Екатерина Александровна.");
    const QString right = QStringLiteral("&7Дата составления:") + longDate(QDate(2025, 3, 1));
    const QString sign = QStringLiteral("&12 Подпись лечащего врача: ______________");

    for (const QString &name : {QStringLiteral("karta1"), QStringLiteral("karta")}) {
        Workbook book;
        if (!check(book.open(templates.filePath(name + QStringLiteral(".xlsx")), &error), error))
            return 1;
        const bool full = name == QLatin1String("karta1");
        book.setCell(1, 1, 2, letterhead);
        for (int sheet = 1; sheet <= book.sheetCount(); ++sheet) {
            book.setLeftHeader(sheet, full ? left : QStringLiteral("&7Амбулаторная карта № 1254"));
            book.setRightHeader(sheet, right);
            if (full && sheet > 1)
                book.setRightFooter(sheet, sign);
        }
        book.setCell(1, 3, 11, QStringLiteral("1254"));
        book.setCell(1, 5, 5, QStringLiteral("Константинопольская Екатерина Александровна"));
        book.setCell(1, 7, 4, QStringLiteral("женский"));
        book.setCell(1, 9, 4, QStringLiteral("14.07.1968"));
        book.setCell(1, 12, 4,
                     QStringLiteral("Тульская область, г. Новомосковск, ул. Комсомольская, д. 112, кв. 48. "));
        book.setCell(1, 8, 9, QStringLiteral("+7 910 555-12-34"));
        book.setCell(1, 9, 9, QStringLiteral("(48762) 5-12-34"));
        book.setCell(1, 10, 9, QStringLiteral("(48762) 6-40-00, доб. 215"));
        book.setCell(1, 14, 5,
                     QStringLiteral("Профессия - инженер-технолог. ОАО «Новомосковский химический комбинат», "
                                    "начальник смены. "));
        book.setCell(1, 17, 6, QStringLiteral("12.01.2021"));
        book.setCell(1, 19, 3,
                     QStringLiteral("Псориаз обыкновенный, распространённая форма, прогрессирующая стадия, "
                                    "зимний тип. Псориатическая ониходистрофия."));
        for (int i = 0; i < 12; ++i) {
            const QDate day = QDate(2021, 1, 12).addMonths(i * 3);
            book.setCell(2, 4 + i, 2, day.toString(QStringLiteral("dd.MM.yyyy")));
            book.setCell(2, 4 + i, 3, i % 2 ? QStringLiteral("Выписка") : QStringLiteral("Поступление"));
            book.setCell(2, 4 + i, 4,
                         QStringLiteral("Псориаз обыкновенный, распространённая форма, %1 стадия.")
                             .arg(i % 2 ? QStringLiteral("регрессирующая") : QStringLiteral("прогрессирующая")));
        }
        QString anamnesis =
            longDate(QDate(2021, 1, 12)) + QStringLiteral(" Пациент взят на диспансерное наблюдение.\n");
        for (int i = 0; i < 6; ++i)
            anamnesis += QStringLiteral("Анамнез заболевания: болеет с 1995 года, обострения в осенне-зимний период, "
                                        "лечилась амбулаторно и стационарно, эффект от ПУВА-терапии положительный.\n");
        book.setCell(3, 2, 2, anamnesis);
        for (int i = 0; i < 100; ++i) {
            const QDate day = QDate(2021, 1, 14).addDays(i * 3);
            QString entry =
                longDate(day) + QStringLiteral("\nПроизведен осмотр. Процедура №%1 курса №%2 ПУВА-терапии. \n")
                                    .arg(i % 25 + 1)
                                    .arg(i / 25 + 1);
            for (int k = 0; k <= i % 4; ++k)
                entry += kFindings[k];
            if (!full)
                book.setCell(3, 3 + i, 1, day.toString(QStringLiteral("dd.MM.yyyy")));
            book.setCell(3, 3 + i, 2, entry);
        }
        if (full) {
            for (int i = 0; i < 150; ++i) {
                const int row = 3 + i;
                book.setCell(4, row, 1, QString::number(i % 25 + 1));
                book.setCell(4, row, 2, QString::number(i / 25 + 1));
                book.setCell(4, row, 3, QDate(2021, 1, 14).addDays(i * 2).toString(QStringLiteral("dd.MM.yyyy")));
                book.setCell(4, row, 4, QStringLiteral("П-54"));
                book.setCell(4, row, 5, QString::number(2 + i % 9));
                book.setCell(4, row, 6, (50 + 25 * (i % 25)) / 100.0);
                book.setCell(4, row, 7, QStringLiteral("Аммифурин"));
                book.setCell(4, row, 8,
                             i % 7 == 3 ? QStringLiteral("Умеренная эритема, зуд после процедуры; "
                                                         "доза не повышалась.")
                                        : QString());
            }
        }
        if (!check(book.save(output.filePath(name + QStringLiteral("_sample.xlsx")), &error), error))
            return 1;
    }

    WordDocument summary;
    if (!check(summary.open(templates.filePath(QStringLiteral("vipiska.docx")), &error), error))
        return 1;
    QString text = QStringLiteral("Выписка из амбулаторной карты № 1254\nКонстантинопольская Екатерина Александровна, "
                                  "14.07.1968 г. р.\n\n");
    for (int i = 0; i < 60; ++i) {
        text += longDate(QDate(2021, 1, 14).addDays(i * 3)) + QStringLiteral(" ");
        for (int k = 0; k <= i % 4; ++k)
            text += kFindings[k];
        text += QLatin1Char('\n');
    }
    text += QStringLiteral("Суммарная доза УФА: 312,50Дж\\см2\n\tС табуляцией и <знаками> & \"кавычками\".");
    if (!check(summary.replacePlaceholder(QStringLiteral("Текст"), text), QStringLiteral("no placeholder")) ||
        !check(summary.save(output.filePath(QStringLiteral("vipiska_sample.docx")), &error), error))
        return 1;
    return 0;
}
