#include "report_tab.h"

#include "clock.h"
#include "datamodules.h"
#include "dbgrid.h"

#include <QButtonGroup>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QStyle>
#include <QTextCursor>
#include <QTextEdit>

namespace pelorin::documents {

void TextEditArea::clear()
{
    m_edit->clear();
    m_added = 0;
}

void TextEditArea::add(const QString &entry)
{
    QTextCursor cursor(m_edit->document());
    cursor.movePosition(QTextCursor::End);
    if (m_added > 0)
        cursor.insertBlock();
    cursor.insertText(entry);
    ++m_added;
}

QString TextEditArea::plainText() const
{
    const QString text = m_edit->toPlainText();
    // A rich-text box hands out its text with every paragraph ended, the last one too.
    return text.isEmpty() && m_added == 0 ? text : text + QLatin1Char('\n');
}

namespace {

QRadioButton *modeButton(QWidget *parent, QButtonGroup *group, ReportMode mode, const char *name, bool bold = false)
{
    auto *b = new QRadioButton(modeCaption(mode), parent);
    b->setObjectName(QString::fromLatin1(name));
    if (bold) {
        QFont f = b->font();
        f.setBold(true);
        b->setFont(f);
    }
    group->addButton(b, int(mode));
    return b;
}

QDateEdit *picker(QWidget *parent, const char *name)
{
    auto *d = new QDateEdit(clock::today(), parent);
    d->setObjectName(QString::fromLatin1(name));
    d->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    d->setCalendarPopup(true);
    return d;
}

QPushButton *pushButton(QWidget *parent, const char *name, const QString &caption)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

} // namespace

ReportTab::ReportTab(db::DM1 &dm1, db::DM2 &dm2, QTextEdit *textArea, QWidget *parent)
    : QWidget(parent), m_dm1(dm1), m_dm2(dm2), m_textArea(textArea)
{
    setObjectName(QStringLiteral("ReportTab"));
    m_modes = new QButtonGroup(this);
    m_modes->setObjectName(QStringLiteral("RadioGroupReport"));
    m_modes->setExclusive(true);

    // Four rows at most, so that the page leaves the text area below it most of the section: the card
    // and extract modes of a course beside the course number they share, the examination modes beside
    // the examinations, the period beside its pickers, the buttons last.
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(2);

    auto *full = modeButton(this, m_modes, ReportMode::FullCard, "RadioButton1");
    auto *courseCard = modeButton(this, m_modes, ReportMode::CourseCard, "RadioButton3");
    auto *courseExtract = modeButton(this, m_modes, ReportMode::CourseExtract, "RadioButton8", true);
    auto *allExtract = modeButton(this, m_modes, ReportMode::AllCoursesExtract, "RadioButton2", true);
    grid->addWidget(full, 0, 0);
    grid->addWidget(courseCard, 1, 0);
    grid->addWidget(courseExtract, 2, 0);
    grid->addWidget(allExtract, 3, 0);

    m_course = new QSpinBox(this);
    m_course->setObjectName(QStringLiteral("SpinEdit1"));
    m_course->setRange(1, 99);
    m_course->setValue(1);
    grid->addWidget(m_course, 1, 1, 2, 1, Qt::AlignVCenter);

    grid->addWidget(modeButton(this, m_modes, ReportMode::Admission, "RadioButton4"), 0, 2);
    grid->addWidget(modeButton(this, m_modes, ReportMode::LastExamination, "RadioButton5"), 1, 2);
    grid->addWidget(modeButton(this, m_modes, ReportMode::OneExamination, "RadioButton6"), 2, 2);

    m_exams = new ui::DBGrid(m_dm2.osmotr1,
                             {{QStringLiteral("PUVA_k"), QStringLiteral("№кур.")},
                              {QStringLiteral("PUVA_p"), QStringLiteral("№пр.")},
                              {QStringLiteral("Date"), QStringLiteral("Дата")}},
                             this);
    m_exams->setObjectName(QStringLiteral("DBGrid8"));
    // Narrow columns that still show their captions and a whole date, and no more width than they need.
    QHeaderView *header = m_exams->horizontalHeader();
    const int headerMargin = 2 * style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header) + 6;
    const QString widest[] = {QStringLiteral("99"), QStringLiteral("99"), QStringLiteral("00.00.0000")};
    for (int c = 0; c < 3; ++c) {
        const QString caption = m_exams->model()->headerData(c, Qt::Horizontal).toString();
        m_exams->setColumnWidth(c, std::max(header->fontMetrics().horizontalAdvance(caption) + headerMargin,
                                            m_exams->fontMetrics().horizontalAdvance(widest[c]) + 12));
    }
    m_exams->setFixedWidth(header->length() + m_exams->verticalScrollBar()->sizeHint().width() +
                           2 * m_exams->frameWidth() + 2);
    m_exams->setMinimumHeight(60);
    grid->addWidget(m_exams, 0, 3, 4, 1);

    grid->addWidget(modeButton(this, m_modes, ReportMode::BetweenDates, "RadioButton7"), 0, 4);
    m_from = picker(this, "DateTimePicker5");
    m_to = picker(this, "DateTimePicker6");
    auto *period = new QHBoxLayout;
    period->addWidget(new QLabel(QStringLiteral("с"), this));
    period->addWidget(m_from);
    period->addWidget(new QLabel(QStringLiteral("по"), this));
    period->addWidget(m_to);
    grid->addLayout(period, 1, 4);

    auto *prepareButton = pushButton(this, "Button54", QStringLiteral("Подготовить данные к печати."));
    grid->addWidget(prepareButton, 2, 4);
    auto *legacyButton = pushButton(this, "Button38", QStringLiteral("Старый отчет."));
    grid->addWidget(legacyButton, 3, 4);
    // The older card's "Все события между датами" reports the course of this control, which the user
    // never sees: it always reports course 1.
    m_hiddenCourse = new QSpinBox(this);
    m_hiddenCourse->setObjectName(QStringLiteral("SpinEdit2"));
    m_hiddenCourse->setRange(1, 10);
    m_hiddenCourse->setValue(1);
    m_hiddenCourse->setVisible(false);
    // Every run names the files it wrote and where they are, so that nobody has to guess.
    m_written = new QLabel(this);
    m_written->setObjectName(QStringLiteral("LabelFiles"));
    m_written->setWordWrap(true);
    m_written->setTextFormat(Qt::RichText);
    m_written->setTextInteractionFlags(Qt::TextBrowserInteraction);
    m_written->setOpenExternalLinks(false);
    connect(m_written, &QLabel::linkActivated, this,
            [](const QString &folder) { QDesktopServices::openUrl(QUrl::fromLocalFile(folder)); });
    grid->addWidget(m_written, 4, 0, 1, 6);
    grid->setColumnStretch(5, 1);
    grid->setRowStretch(5, 1);

    full->setChecked(true);
    connect(prepareButton, &QPushButton::clicked, this, [this] { prepare(); });
    connect(legacyButton, &QPushButton::clicked, this, [this] { legacyReport(); });
}

ReportMode ReportTab::mode() const
{
    return ReportMode(m_modes->checkedId());
}

void ReportTab::setMode(ReportMode mode)
{
    if (QAbstractButton *b = m_modes->button(int(mode)))
        b->setChecked(true);
}

ReportInput ReportTab::input() const
{
    ReportInput in;
    in.mode = mode();
    in.course = m_course->value();
    in.from = m_from->date();
    in.to = m_to->date();
    in.exposureLine = m_exposureLine && m_exposureLine();
    // The examination modes take osmotr1's current record, which DBGrid8 moves.
    return in;
}

ReportFilesResult ReportTab::prepare()
{
    TextEditArea area(m_textArea);
    ReportFilesOptions options;
    options.wait = m_wait;
    const ReportFilesResult result = prepareReport(m_dm1, m_dm2, input(), area, options);
    showWritten(result);
    return result;
}

void ReportTab::showWritten(const ReportFilesResult &result)
{
    QStringList parts;
    for (const QString &path : {result.cardPath, result.summaryPath}) {
        if (path.isEmpty())
            continue;
        const QFileInfo file(path);
        parts << QStringLiteral("«%1» в папке <a href=\"%2\">%3</a>")
                     .arg(file.fileName().toHtmlEscaped(), file.absolutePath().toHtmlEscaped(),
                          QDir::toNativeSeparators(file.absolutePath()).toHtmlEscaped());
    }
    m_written->setText(parts.isEmpty() ? QString() : QStringLiteral("Записано: ") + parts.join(QStringLiteral("; ")));
}

ReportFilesResult ReportTab::legacyReport()
{
    LegacyCardInput in;
    in.mode = mode();
    in.course = m_course->value();
    in.hiddenCourse = m_hiddenCourse->value();
    // "Отдельный осмотр" takes osmotr1's current record, which DBGrid8 moves.
    TextEditArea area(m_textArea);
    ReportFilesOptions options;
    options.wait = m_wait;
    const ReportFilesResult result = prepareLegacyCard(m_dm1, m_dm2, in, area, options);
    showWritten(result);
    return result;
}

} // namespace pelorin::documents
