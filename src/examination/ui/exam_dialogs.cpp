#include "exam_dialogs.h"

#include "datamodules.h"
#include "dbcontrols.h"
#include "formbuilder.h"
#include "settings.h"
#include "table.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHash>
#include <QHideEvent>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace pelorin::examination {

using ui::FieldSpec;

namespace {


FieldSpec check(const QString &caption, const QString &field)
{
    return {caption, field, FieldSpec::Check, field};
}

// The pick lists take only their listed items; a value from elsewhere is still shown.
FieldSpec pick(const QString &caption, const QString &field, const QStringList &items)
{
    return {caption, field, FieldSpec::Combo, field, items, false};
}

FieldSpec edit(const QString &caption, const QString &field)
{
    return {caption, field, FieldSpec::Edit, field};
}

FieldSpec radio(const QString &caption, const QString &field, const QStringList &items, int columns = 1)
{
    return {caption, field, FieldSpec::Radio, field, items, true, columns};
}

QStringList numbers(int from, int to)
{
    QStringList list;
    for (int n = from; n <= to; ++n)
        list << QString::number(n);
    return list;
}

// A captioned group of bound rows laid out in columns, each column a form of its own.
QGroupBox *group(const QString &title, db::Table *table, const QList<QList<FieldSpec>> &columns, QWidget *parent)
{
    auto *box = new QGroupBox(title, parent);
    auto *row = new QHBoxLayout(box);
    for (const QList<FieldSpec> &column : columns) {
        QWidget *form = ui::buildForm(table, column, box);
        form->layout()->setContentsMargins(0, 0, 0, 0);
        row->addWidget(form, 0, Qt::AlignTop);
    }
    return box;
}

QHBoxLayout *buttonRow(QPushButton *button)
{
    auto *row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(button);
    return row;
}

// A bound read-only value with its caption, for the computed indices.
QWidget *indexValue(db::Table *table, const QString &caption, const QString &field, QWidget *parent)
{
    auto *box = new QWidget(parent);
    auto *row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    auto *value = ui::buildControl(table, {caption, field, FieldSpec::Text, field}, box);
    auto *label = new QLabel(caption, box);
    label->setBuddy(value);
    QFont bold = value->font();
    bold.setBold(true);
    value->setFont(bold);
    value->setMinimumWidth(40);
    row->addWidget(label);
    row->addWidget(value);
    return box;
}

} // namespace

// ---------------------------------------------------------------------------------------------------------------
// ExamDialog

ExamDialog::ExamDialog(const QString &name, const QString &caption, db::DM2 &dm2, db::RunSettings &settings,
                       QWidget *mainWindow, QWidget *parent)
    : ui::EditingWindow(parent), m_osmotr(dm2.osmotr1), m_settings(settings)
{
    holdMainWindow(mainWindow, [this] { return m_settings.noFastScrolling; });
    setObjectName(name);
    setWindowTitle(caption);
    setModal(false);
    setWindowFlag(Qt::WindowStaysOnTopHint);
}

ExamDialog::~ExamDialog() = default;

bool ExamDialog::hasUnsavedChanges()
{
    db::Table &t = osmotr();
    if (!t.isEditing())
        return false;
    // Text still being typed counts as a change.
    t.updateRecord();
    return t.isEditing() && t.modified();
}

void ExamDialog::returnToRow(int recNo)
{
    db::Table &t = osmotr();
    // A row the protection left in edit state would be posted again by the move.
    if (t.isEditing())
        return;
    t.first();
    if (recNo > 1)
        t.moveBy(recNo - 1);
}

void ExamDialog::storeIfModifiedAndClose()
{
    db::Table &t = osmotr();
    if (hasUnsavedChanges()) {
        const int recNo = t.recNo();
        t.post();
        returnToRow(recNo);
    }
    close();
}

void ExamDialog::rememberStoreReturnAndClose()
{
    db::Table &t = osmotr();
    const int recNo = t.recNo();
    if (hasUnsavedChanges())
        t.post();
    returnToRow(recNo);
    close();
}

QLabel *ExamDialog::makeTitle(const QString &text)
{
    auto *title = new QLabel(text, this);
    title->setObjectName(QStringLiteral("LabelTitle"));
    QFont font = title->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.3);
    title->setFont(font);
    return title;
}

QPushButton *ExamDialog::makeButton(const QString &objectName, const QString &text)
{
    auto *button = new QPushButton(text, this);
    button->setObjectName(objectName);
    button->setAutoDefault(false);
    return button;
}

// ---------------------------------------------------------------------------------------------------------------
// SCORAD

Form_osmotr_index::Form_osmotr_index(db::DM2 &dm2, db::RunSettings &settings, QWidget *mainWindow, QWidget *parent)
    : ExamDialog(QStringLiteral("Form_osmotr_index"), QStringLiteral("Пелорин. Индекс SCORAD."), dm2, settings,
                 mainWindow, parent)
{
    db::Table *t = &osmotr();
    const QStringList intensity = {QStringLiteral("Нулевая  (0)"), QStringLiteral("Слабая    (1)"),
                                   QStringLiteral("Средняя  (2)"), QStringLiteral("Сильная  (3)")};
    const QList<FieldSpec> intensities = {
        radio(QStringLiteral("Эритема"), QStringLiteral("B2"), intensity),
        radio(QStringLiteral("Отек\\папула"), QStringLiteral("B3"), intensity),
        radio(QStringLiteral("Экскориации"), QStringLiteral("B4"), intensity),
        radio(QStringLiteral("Лихенификация"), QStringLiteral("B5"), intensity),
        radio(QStringLiteral("Корки\\мокнутие"), QStringLiteral("B6"), intensity),
        radio(QStringLiteral("Сухость кожи"), QStringLiteral("B7"), intensity),
    };
    const QList<FieldSpec> subjective = {
        radio(QStringLiteral("Зуд:"), QStringLiteral("B8"), numbers(0, 10), 11),
        radio(QStringLiteral("Нарушение сна:"), QStringLiteral("B9"), numbers(0, 10), 11),
    };
    const FieldSpec extent = pick(QStringLiteral("Распространенность:"), QStringLiteral("B1"), numbers(0, 100));

    auto *intensityBox = new QGroupBox(QStringLiteral("Интенсивность:"), this);
    auto *intensityGrid = new QGridLayout(intensityBox);
    for (int i = 0; i < intensities.size(); ++i)
        intensityGrid->addWidget(ui::buildControl(t, intensities[i], intensityBox), i / 3, i % 3);

    auto *extentRow = new QHBoxLayout;
    QWidget *extentPick = ui::buildControl(t, extent, this);
    auto *extentLabel = new QLabel(extent.caption, this);
    extentLabel->setBuddy(extentPick);
    extentRow->addWidget(extentLabel);
    extentRow->addWidget(extentPick);
    extentRow->addWidget(new QLabel(QStringLiteral("%"), this));
    extentRow->addStretch(1);

    auto *indexRow = new QHBoxLayout;
    indexRow->addWidget(indexValue(t, QStringLiteral("B:"), QStringLiteral("ind1"), this));
    indexRow->addWidget(indexValue(t, QStringLiteral("C:"), QStringLiteral("ind2"), this));
    indexRow->addWidget(indexValue(t, QStringLiteral("SCORAD:"), QStringLiteral("ind3"), this));
    indexRow->addStretch(1);

    QPushButton *apply = makeButton(QStringLiteral("ButtonApply"), QStringLiteral("Применить"));
    connect(apply, &QPushButton::clicked, this, &Form_osmotr_index::storeIfModifiedAndClose);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(makeTitle(QStringLiteral("Индекс SCORAD")));
    layout->addWidget(intensityBox);
    for (const FieldSpec &fieldRow : subjective)
        layout->addWidget(ui::buildControl(t, fieldRow, this));
    layout->addLayout(extentRow);
    layout->addLayout(indexRow);
    layout->addLayout(buttonRow(apply));
}

// ---------------------------------------------------------------------------------------------------------------
// PASI

Form_osmotr_index1::Form_osmotr_index1(db::DM2 &dm2, db::RunSettings &settings, QWidget *mainWindow, QWidget *parent)
    : ExamDialog(QStringLiteral("Form_osmotr_index1"), QStringLiteral("Пелорин. Индекс PASI."), dm2, settings,
                 mainWindow, parent)
{
    db::Table *t = &osmotr();
    const QStringList severity = {QStringLiteral("Отсутствует        (0)"),
                                  QStringLiteral("Легкая                 (1)"),
                                  QStringLiteral("Умеренная          (2)"), QStringLiteral("Выраженная       (3)"),
                                  QStringLiteral("Оч. выраженная (4)")};
    QStringList scaling = severity;
    scaling.last() = QStringLiteral("Оч. выраженное (4)");
    const QStringList area = {QStringLiteral("0 - 0%"),      QStringLiteral("1 - <10%"),
                              QStringLiteral("2 - 10%-30%"), QStringLiteral("3 - 30%-50%"),
                              QStringLiteral("4 - 50%-70%"), QStringLiteral("5 - 70%-90%"),
                              QStringLiteral("6 - 90%-100%")};

    // Columns head, trunk, arms, legs: region digits 1, 4, 2, 3 of the Bb fields.
    const QStringList regions = {QStringLiteral("Голова"), QStringLiteral("Туловище"), QStringLiteral("Руки"),
                                 QStringLiteral("Ноги")};
    const int regionDigit[] = {1, 4, 2, 3};
    struct Score
    {
        QString caption;
        int digit;
        QStringList items;
    };
    const QList<Score> scores = {
        {QStringLiteral("Эритема"), 1, severity},
        {QStringLiteral("Инфильтрация"), 2, severity},
        {QStringLiteral("Шелушение"), 3, scaling},
        {QStringLiteral("Площадь\nпоражения\nобласти тела"), 4, area},
    };

    auto *grid = new QGridLayout;
    for (int c = 0; c < regions.size(); ++c) {
        auto *header = new QLabel(regions[c], this);
        QFont bold = header->font();
        bold.setBold(true);
        header->setFont(bold);
        grid->addWidget(header, 0, c + 1, Qt::AlignHCenter);
    }
    for (int r = 0; r < scores.size(); ++r) {
        grid->addWidget(new QLabel(scores[r].caption, this), r + 1, 0, Qt::AlignLeft | Qt::AlignVCenter);
        for (int c = 0; c < regions.size(); ++c) {
            const QString field = QStringLiteral("Bb%1%2").arg(regionDigit[c]).arg(scores[r].digit);
            QWidget *group = ui::buildControl(t, radio(QString(), field, scores[r].items), this);
            // Sixteen groups of up to seven buttons: the rows are kept tight to fit a laptop screen.
            group->layout()->setContentsMargins(6, 2, 6, 2);
            static_cast<QGridLayout *>(group->layout())->setVerticalSpacing(0);
            grid->addWidget(group, r + 1, c + 1);
        }
    }

    auto *indexRow = new QHBoxLayout;
    indexRow->addWidget(indexValue(t, QStringLiteral("PASI:"), QStringLiteral("index1"), this));
    indexRow->addStretch(1);

    QPushButton *apply = makeButton(QStringLiteral("ButtonApply"), QStringLiteral("Применить"));
    connect(apply, &QPushButton::clicked, this, &Form_osmotr_index1::storeIfModifiedAndClose);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(makeTitle(QStringLiteral("Индекс PASI")));
    layout->addLayout(grid);
    layout->addLayout(indexRow);
    layout->addLayout(buttonRow(apply));
}

// ---------------------------------------------------------------------------------------------------------------
// Clinical signs

Form_osmotr_klsimp::Form_osmotr_klsimp(db::DM2 &dm2, db::RunSettings &settings, QWidget *mainWindow, QWidget *parent)
    : ExamDialog(QStringLiteral("Form_osmotr_klsimp"), QStringLiteral("Пелорин. Клинические симптомы."), dm2, settings,
                 mainWindow, parent)
{
    db::Table *t = &osmotr();
    const QList<FieldSpec> left = {
        check(QStringLiteral("Те же (аналогично пред. осмотру)"), QStringLiteral("Teze_kl_simp")),
        check(QStringLiteral("Ладонный ихтиоз"), QStringLiteral("A1")),
        check(QStringLiteral("Хейлит"), QStringLiteral("A2")),
        check(QStringLiteral("Трещины в углах рта"), QStringLiteral("A14")),
        pick(QStringLiteral("Дермографизм:"), QStringLiteral("A4"),
             {QStringLiteral(" "), QStringLiteral("белый"), QStringLiteral("красный")}),
        pick(QStringLiteral("Цвет кожи лица:"), QStringLiteral("A5"),
             {QStringLiteral(" "), QStringLiteral("застойная эритема"), QStringLiteral("бледный")}),
        check(QStringLiteral("Вторичное инфицирование кожи"), QStringLiteral("A6")),
        check(QStringLiteral("Суборбитальные складки"), QStringLiteral("A8")),
        check(QStringLiteral("Увеличение лимфоузлов"), QStringLiteral("A9")),
        edit(QStringLiteral("Уровень IgE в крови:"), QStringLiteral("A11")),
        check(QStringLiteral("Трещины за ушами"), QStringLiteral("A10")),
        check(QStringLiteral("Шелушение на волосистой части головы"), QStringLiteral("A12")),
    };
    const QList<FieldSpec> right = {
        check(QStringLiteral("Эритродермия"), QStringLiteral("A3")),
        check(QStringLiteral("Положительный с-м Кебнера"), QStringLiteral("A16")),
        check(QStringLiteral("Положительный с-м Воронова"), QStringLiteral("A17")),
        check(QStringLiteral("Положительный с-м Пельнова"), QStringLiteral("A18")),
        check(QStringLiteral("Положительный с-м стеаринового пятна"), QStringLiteral("A19")),
        check(QStringLiteral("Положительный с-м терминальной пленки"), QStringLiteral("A20")),
        check(QStringLiteral("Положительный с-м точечного кровотечения"), QStringLiteral("A21")),
        check(QStringLiteral("Феномен \"наперстка\""), QStringLiteral("A22")),
        edit(QStringLiteral("Другое"), QStringLiteral("Kl_sim_other")),
    };
    QGroupBox *signs = group(QString(), t, {left, right}, this);

    // Kept for the fields they show, never offered to the doctor.
    QWidget *handsFeet =
        ui::buildControl(t, check(QStringLiteral("Локализация на кистях, стопах"), QStringLiteral("A7")), this);
    handsFeet->hide();
    QWidget *reserved = ui::buildControl(t, check(QString(), QStringLiteral("A13")), this);
    reserved->setEnabled(false);
    reserved->hide();

    QPushButton *apply = makeButton(QStringLiteral("ButtonApply"), QStringLiteral("Применить"));
    connect(apply, &QPushButton::clicked, this, &Form_osmotr_klsimp::storeIfModifiedAndClose);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(makeTitle(QStringLiteral("Клинические симптомы")));
    layout->addWidget(signs);
    layout->addLayout(buttonRow(apply));
}

// ---------------------------------------------------------------------------------------------------------------
// Skin and appendages

Form_osmotr_proizv::Form_osmotr_proizv(db::DM2 &dm2, db::RunSettings &settings, QWidget *mainWindow, QWidget *parent)
    : ExamDialog(QStringLiteral("Form_osmotr_proizv"), QStringLiteral("Пелорин. Кожа и производные кожи."), dm2,
                 settings, mainWindow, parent)
{
    db::Table *t = &osmotr();
    QGroupBox *skin = group(
        QStringLiteral("Кожа:"), t,
        {{
            pick(QStringLiteral("Влажность"), QStringLiteral("AAA"),
                 {QStringLiteral(" "), QStringLiteral("умеренной влажности"), QStringLiteral("повышенной влажности"),
                  QStringLiteral("повышенной сухости")}),
            pick(QStringLiteral("Цвет кожи"), QStringLiteral("AAA1"),
                 {QStringLiteral(" "), QStringLiteral("бледно-розового цвета"), QStringLiteral("иктеричная"),
                  QStringLiteral("бледная"), QStringLiteral("\"грязного\" оттенка"), QStringLiteral("гиперемированная"),
                  QStringLiteral("пигментированная"), QStringLiteral("гиперпигментированная")}),
        }},
        this);
    QGroupBox *hair = group(QStringLiteral("Волосы:"), t,
                            {{check(QStringLiteral("Выпадение волос"), QStringLiteral("C"))},
                             {pick(QString(), QStringLiteral("C12"),
                                   {QStringLiteral(" "), QStringLiteral("Диффузное"), QStringLiteral("Очаговое"),
                                    QStringLiteral("Тотальное")})}},
                            this);

    // Each nail sign twice: finger nails in C3..C9, toe nails in C3_..C9_.
    const QList<std::pair<QString, QString>> nailSigns = {
        {QStringLiteral("С точечными углублениями"), QStringLiteral("C3")},
        {QStringLiteral("Подногтевой  гиперкератоз"), QStringLiteral("C4")},
        {QStringLiteral("Гипертрофия эпонихиума"), QStringLiteral("C5")},
        {QStringLiteral("Онихолизис"), QStringLiteral("C9")},
        {QStringLiteral("Паронихии"), QStringLiteral("C6")},
        {QStringLiteral("С поперечными\\продольными бороздами"), QStringLiteral("C7")},
        {QStringLiteral("Папулы ногтевого ложа"), QStringLiteral("C8")},
    };
    QList<FieldSpec> hands{}, feet{};
    for (const auto &[caption, field] : nailSigns) {
        hands << check(caption, field);
        feet << check(caption, field + QLatin1Char('_'));
    }
    auto *nails = new QGroupBox(QStringLiteral("Ногтевые пластинки:"), this);
    auto *nailGrid = new QGridLayout(nails);
    nailGrid->addWidget(group(QStringLiteral("На руках:"), t, {hands}, nails), 0, 0);
    nailGrid->addWidget(group(QStringLiteral("На ногах:"), t, {feet}, nails), 0, 1);
    QWidget *nailRest = ui::buildForm(
        t,
        {pick(QStringLiteral("Оттенок цвета ногтевых пластин:"), QStringLiteral("C10"),
              {QStringLiteral(" "), QStringLiteral("неизмененный"), QStringLiteral("белый"), QStringLiteral("тусклый"),
               QStringLiteral("желтоватый"), QStringLiteral("желто-серый"), QStringLiteral("розовый"),
               QStringLiteral("подногтевая эритема"), QStringLiteral("коричневый")}),
         edit(QStringLiteral("Другое:"), QStringLiteral("C11"))},
        nails);
    nailRest->layout()->setContentsMargins(0, 0, 0, 0);
    nailGrid->addWidget(nailRest, 1, 0, 1, 2);

    QWidget *same = ui::buildControl(
        t, check(QStringLiteral("Те же (аналогично пред. осмотру)"), QStringLiteral("Teze_pr_kozi")), this);
    same->hide();

    QPushButton *apply = makeButton(QStringLiteral("ButtonApply"), QStringLiteral("Применить"));
    connect(apply, &QPushButton::clicked, this, &Form_osmotr_proizv::storeIfModifiedAndClose);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(makeTitle(QStringLiteral("Кожа и производные кожи:")));
    layout->addWidget(skin);
    layout->addWidget(hair);
    layout->addWidget(nails);
    layout->addLayout(buttonRow(apply));
}

// ---------------------------------------------------------------------------------------------------------------
// Complaints

Form_osmotr_zalobi::Form_osmotr_zalobi(db::DM2 &dm2, db::RunSettings &settings, QWidget *mainWindow, QWidget *parent)
    : ExamDialog(QStringLiteral("Form_osmotr_zalobi"), QStringLiteral("Пелорин. Жалобы пациента."), dm2, settings,
                 mainWindow, parent)
{
    db::Table *t = &osmotr();
    QWidget *brief =
        ui::buildForm(t,
                      {pick(QStringLiteral("Краткое описание:"), QStringLiteral("Zalob"),
                            {QStringLiteral(" "), QStringLiteral("те же"), QStringLiteral("усиление симптомов"),
                             QStringLiteral("уменьшение симптомов")})},
                      this);
    brief->layout()->setContentsMargins(0, 0, 0, 0);

    QGroupBox *general = group(QStringLiteral("Общие симптомы:"), t,
                               {{
                                   check(QStringLiteral("Головокружение"), QStringLiteral("A1_1")),
                                   check(QStringLiteral("Повышение температуры"), QStringLiteral("A1_2")),
                                   check(QStringLiteral("Головная боль"), QStringLiteral("A1_3")),
                                   check(QStringLiteral("Ухудшение общего состояния"), QStringLiteral("A1_4")),
                                   check(QStringLiteral("Потеря аппетита"), QStringLiteral("A1_5")),
                                   check(QStringLiteral("Снижение массы тела"), QStringLiteral("A1_6")),
                                   check(QStringLiteral("Нарушение сна"), QStringLiteral("A1_7")),
                               }},
                               this);

    auto *skinBox = new QGroupBox(QStringLiteral("Кожные симптомы:"), this);
    auto *skinRow = new QHBoxLayout(skinBox);
    QWidget *skinSigns = ui::buildForm(t,
                                       {
                                           check(QStringLiteral("Боль в области высыпания"), QStringLiteral("A2_1")),
                                           check(QStringLiteral("Чувство стянутости"), QStringLiteral("A2_2")),
                                           check(QStringLiteral("Зуд"), QStringLiteral("A2_3")),
                                           check(QStringLiteral("Жжение"), QStringLiteral("A2_4")),
                                           check(QStringLiteral("Сухость"), QStringLiteral("A2_5")),
                                           check(QStringLiteral("Шелушение"), QStringLiteral("A2_6")),
                                           check(QStringLiteral("Трещины"), QStringLiteral("A2_7")),
                                           check(QStringLiteral("Покраснение"), QStringLiteral("A2_8")),
                                           check(QStringLiteral("Мокнутие"), QStringLiteral("A2_9")),
                                       },
                                       skinBox);
    skinSigns->layout()->setContentsMargins(0, 0, 0, 0);
    skinRow->addWidget(skinSigns, 0, Qt::AlignTop);
    skinRow->addWidget(group(QStringLiteral("Высыпания на:"), t,
                             {{
                                 check(QStringLiteral("голове"), QStringLiteral("A2_10")),
                                 check(QStringLiteral("верхних конечностях"), QStringLiteral("A2_11")),
                                 check(QStringLiteral("нижних конечностях"), QStringLiteral("A2_12")),
                                 check(QStringLiteral("туловище"), QStringLiteral("A2_13")),
                             }},
                             skinBox),
                       0, Qt::AlignTop);

    QGroupBox *other = group(QStringLiteral("Другие симптомы:"), t,
                             {{
                                 check(QStringLiteral("Изменение формы ногтей"), QStringLiteral("A3_1")),
                                 check(QStringLiteral("Выпадение волос"), QStringLiteral("A3_2")),
                                 check(QStringLiteral("Изменение формы суставов"), QStringLiteral("A3_3")),
                                 check(QStringLiteral("Боль в суставах"), QStringLiteral("A3_4")),
                                 edit(QStringLiteral("Другое"), QStringLiteral("Zal_other")),
                             }},
                             this);

    auto *exacerbation = new QGroupBox(QStringLiteral("Последнее обострение связано с:"), this);
    auto *exacerbationRow = new QHBoxLayout(exacerbation);
    exacerbationRow->addWidget(
        ui::buildControl(t, check(QStringLiteral("Наличие данных"), QStringLiteral("Ob")), exacerbation));
    QPushButton *showForm = makeButton(QStringLiteral("ButtonShowOb"), QStringLiteral("Показать форму."));
    exacerbationRow->addWidget(showForm);
    exacerbationRow->addStretch(1);
    connect(showForm, &QPushButton::clicked, this, &Form_osmotr_zalobi::showExacerbation);

    QPushButton *apply = makeButton(QStringLiteral("ButtonApply"), QStringLiteral("Применить"));
    connect(apply, &QPushButton::clicked, this, &Form_osmotr_zalobi::rememberStoreReturnAndClose);

    auto *columns = new QHBoxLayout;
    auto *leftColumn = new QVBoxLayout;
    leftColumn->addWidget(general);
    leftColumn->addWidget(other);
    leftColumn->addStretch(1);
    auto *rightColumn = new QVBoxLayout;
    rightColumn->addWidget(skinBox);
    rightColumn->addWidget(exacerbation);
    rightColumn->addStretch(1);
    columns->addLayout(leftColumn);
    columns->addLayout(rightColumn);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(makeTitle(QStringLiteral("Жалобы пациента")));
    layout->addWidget(brief);
    layout->addLayout(columns);
    layout->addLayout(buttonRow(apply));
}

void Form_osmotr_zalobi::showExacerbation()
{
    Q_EMIT exacerbationRequested();
    if (m_exacerbation) {
        m_exacerbation->show();
        m_exacerbation->raise();
        m_exacerbation->activateWindow();
    }
}

// ---------------------------------------------------------------------------------------------------------------
// Last exacerbation

Form_osm_ob::Form_osm_ob(db::DM2 &dm2, db::RunSettings &settings, QWidget *mainWindow, QWidget *parent)
    : ExamDialog(QStringLiteral("Form_osm_ob"), QStringLiteral("Пелорин. Данные последнего обострения."), dm2, settings,
                 mainWindow, parent)
{
    db::Table *t = &osmotr();

    auto *data = new QGroupBox(QStringLiteral("Данные последнего обострения:"), this);
    auto *dataGrid = new QGridLayout(data);
    const FieldSpec onsetCount =
        pick(QStringLiteral("Начало последнего обострения:"), QStringLiteral("Ob_ndate"), numbers(1, 31));
    const FieldSpec onsetUnit =
        pick(QString(), QStringLiteral("Ob_date"),
             {QStringLiteral("недель(я\\и)"), QStringLiteral("месяц(а\\ев)"), QStringLiteral("год(а)\\лет")});
    const FieldSpec result = pick(
        QStringLiteral("Результат от лечения:"), QStringLiteral("Ob_result"),
        {QStringLiteral("не отмечается"), QStringLiteral("кратковременный"), QStringLiteral("стойкий положительный")});
    QWidget *count = ui::buildControl(t, onsetCount, data);
    auto *onsetLabel = new QLabel(onsetCount.caption, data);
    onsetLabel->setBuddy(count);
    dataGrid->addWidget(onsetLabel, 0, 0);
    auto *onsetRow = new QHBoxLayout;
    onsetRow->addWidget(count);
    onsetRow->addWidget(ui::buildControl(t, onsetUnit, data));
    onsetRow->addWidget(new QLabel(QStringLiteral("назад."), data));
    onsetRow->addStretch(1);
    dataGrid->addLayout(onsetRow, 0, 1);
    QWidget *resultPick = ui::buildControl(t, result, data);
    auto *resultLabel = new QLabel(result.caption, data);
    resultLabel->setBuddy(resultPick);
    dataGrid->addWidget(resultLabel, 1, 0);
    dataGrid->addWidget(resultPick, 1, 1, Qt::AlignLeft);

    auto *triggers = new QGroupBox(QStringLiteral("Спровоцировали обострение:"), this);
    auto *triggerRow = new QHBoxLayout(triggers);
    triggerRow->addWidget(group(QStringLiteral("Аллергенные факторы:"), t,
                                {{
                                    check(QStringLiteral("Пищевые продукты"), QStringLiteral("Ob_pr_a11")),
                                    check(QStringLiteral("Пыльца растений"), QStringLiteral("Ob_pr_a12")),
                                    check(QStringLiteral("Плесень"), QStringLiteral("Ob_pr_a13")),
                                    check(QStringLiteral("Шерсть животных"), QStringLiteral("Ob_pr_a14")),
                                    check(QStringLiteral("Пыль"), QStringLiteral("Ob_pr_a15")),
                                    check(QStringLiteral("Прием лекарств"), QStringLiteral("Ob_pr_a16")),
                                    edit(QStringLiteral("Другое"), QStringLiteral("Ob_pr_a10")),
                                }},
                                triggers),
                          0, Qt::AlignTop);
    triggerRow->addWidget(
        group(QStringLiteral("Неаллергенные факторы:"), t,
              {{
                   check(QStringLiteral("Зима"), QStringLiteral("Ob_pr_a21")),
                   check(QStringLiteral("Лето"), QStringLiteral("Ob_pr_a22")),
                   check(QStringLiteral("Весна"), QStringLiteral("Ob_pr_a23")),
                   check(QStringLiteral("Осень"), QStringLiteral("Ob_pr_a24")),
                   check(QStringLiteral("Перенесенная инфекция"), QStringLiteral("Ob_pr_a25")),
                   check(QStringLiteral("Обострение хронических заболеваний"), QStringLiteral("Ob_pr_a26")),
                   check(QStringLiteral("Стресс"), QStringLiteral("Ob_pr_a27")),
                   check(QStringLiteral("Нарушения сна"), QStringLiteral("Ob_pr_a28")),
               },
               {
                   check(QStringLiteral("Потение"), QStringLiteral("Ob_pr_a29")),
                   check(QStringLiteral("Расчесывание кожи"), QStringLiteral("Ob_pr_a210")),
                   check(QStringLiteral("Синтетическая одежда"), QStringLiteral("Ob_pr_a211")),
                   check(QStringLiteral("Химические раздражающие средства"), QStringLiteral("Ob_pr_a212")),
                   check(QStringLiteral("Беременность"), QStringLiteral("Ob_pr_a213")),
                   check(QStringLiteral("Роды"), QStringLiteral("Ob_pr_a214")),
                   edit(QStringLiteral("Другое"), QStringLiteral("Ob_pr_a20")),
               }},
              triggers),
        0, Qt::AlignTop);

    QWidget *treatment = ui::buildForm(t,
                                       {{QStringLiteral("Принято лечение:"), QStringLiteral("Ob_pr_lech"),
                                         FieldSpec::Memo, QStringLiteral("Ob_pr_lech")}},
                                       this);
    treatment->layout()->setContentsMargins(0, 0, 0, 0);
    treatment->findChild<QWidget *>(QStringLiteral("Ob_pr_lech"))->setMaximumHeight(80);

    QPushButton *closeButton = makeButton(QStringLiteral("ButtonClose"), QStringLiteral("Закрыть."));
    connect(closeButton, &QPushButton::clicked, this, &Form_osm_ob::close);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(data);
    layout->addWidget(triggers);
    layout->addWidget(treatment);
    layout->addLayout(buttonRow(closeButton));
}

} // namespace pelorin::examination
