#include "form_recomend.h"

#include "clock.h"
#include "datamodules.h"
#include "dbcontrols.h"
#include "recordops.h"
#include "table.h"

#include <QDateEdit>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace pelorin::clinical {

namespace {

ui::DBCheckBox *check(QWidget *parent, db::Table *t, const QString &caption, const QString &field)
{
    auto *c = new ui::DBCheckBox(caption, t, field, parent);
    c->setObjectName(field);
    return c;
}

} // namespace

Form_recomend::Form_recomend(db::DM2 &dm2, QWidget *parent) : QDialog(parent), m_recomend(dm2.recomend)
{
    setObjectName(QStringLiteral("Form_recomend"));
    setWindowTitle(QStringLiteral("Пелорин."));
    setModal(false);
    setWindowFlag(Qt::WindowStaysOnTopHint);
    db::Table *t = m_recomend;

    auto *title = new QLabel(QStringLiteral("Рекомендации."), this);
    title->setObjectName(QStringLiteral("LabelTitle"));
    QFont bold = title->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.2);
    title->setFont(bold);

    auto *atopic = new QGroupBox(QStringLiteral("При атопическом дерматите:"), this);
    atopic->setObjectName(QStringLiteral("GroupBox1"));
    auto *al = new QVBoxLayout(atopic);
    const std::pair<const char *, const char16_t *> atopicItems[] = {
        {"B1", u"Соблюдение гипоаллергенной диеты (стандартно)"},
        {"B2", u"Элиминационный режим (стандартно)"},
        {"B3", u"Уход за кожей (стандартно)"},
        {"B4", u"Занятия спортом, физкультурой не противопоказаны"},
        {"B5", u"При обострении атонического дерматита: индивидуальная терапия."},
        {"B6", u"Санаторно-курортное лечение."},
        {"B7", u"Наблюдение у дерматолога по месту жительства."},
    };
    for (const auto &[field, caption] : atopicItems)
        al->addWidget(check(atopic, t, QString::fromUtf16(caption), QString::fromLatin1(field)));
    al->addStretch(1);

    auto *psoriasis = new QGroupBox(QStringLiteral("При псориазе:"), this);
    psoriasis->setObjectName(QStringLiteral("GroupBox2"));
    auto *pl = new QVBoxLayout(psoriasis);
    const std::pair<const char *, const char16_t *> psoriasisItems[] = {
        {"A1", u"Занятия спортом, физкультурой не противопоказаны."},
        {"A2", u"Устанить факторы, провоцирующие обострение псориаза."},
        {"A3", u"При обострении псориаза: индивидуальная терапия."},
        {"A4", u"Санаторно-курортное лечение."},
        {"A5", u"Наблюдение у дерматолога по месту жительства."},
    };
    for (const auto &[field, caption] : psoriasisItems) {
        pl->addWidget(check(psoriasis, t, QString::fromUtf16(caption), QString::fromLatin1(field)));
        if (QLatin1String(field) == QLatin1String("A1")) {
            auto *note =
                new QLabel(QStringLiteral("Не рекомендуются контактные виды спорта. Избегать травм."), psoriasis);
            note->setObjectName(QStringLiteral("LabelA1Note"));
            note->setIndent(20);
            pl->addWidget(note);
        }
    }
    pl->addStretch(1);

    auto *groups = new QHBoxLayout;
    groups->addWidget(atopic, 1);
    groups->addWidget(psoriasis, 1);

    auto *standard = check(this, t, QStringLiteral("Стандартные"), QStringLiteral("S"));

    auto memoRow = [this, t](const QString &caption, const QString &field) {
        auto *box = new QVBoxLayout;
        auto *memo = new ui::DBMemo(t, field, this);
        memo->setObjectName(field);
        memo->setFixedHeight(memo->fontMetrics().lineSpacing() * 4 + 10);
        auto *label = new QLabel(caption, this);
        label->setBuddy(memo);
        box->addWidget(label);
        box->addWidget(memo);
        return box;
    };

    auto *dateEdit = new ui::DBEdit(t, QStringLiteral("Data"), this);
    dateEdit->setObjectName(QStringLiteral("DBEdit_recomend_Data"));
    dateEdit->setMaximumWidth(dateEdit->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 12);
    m_picker = new QDateEdit(clock::today(), this);
    m_picker->setObjectName(QStringLiteral("DateTimePicker1"));
    m_picker->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    m_picker->setCalendarPopup(true);
    connect(m_picker, &QDateEdit::dateChanged, this, &Form_recomend::datePicked);
    auto *dateLabel = new QLabel(QStringLiteral("Дата назначения:"), this);
    dateLabel->setBuddy(dateEdit);

    auto *apply = new QPushButton(QStringLiteral("Применить"), this);
    apply->setObjectName(QStringLiteral("Button1"));
    apply->setAutoDefault(false);
    connect(apply, &QPushButton::clicked, this, &Form_recomend::apply);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(dateLabel);
    bottom->addWidget(dateEdit);
    bottom->addWidget(m_picker);
    bottom->addStretch(1);
    bottom->addWidget(apply);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addLayout(groups);
    layout->addWidget(standard);
    layout->addLayout(memoRow(QStringLiteral("Лекарственные препараты:"), QStringLiteral("Lek")));
    layout->addLayout(memoRow(QStringLiteral("Другое:"), QStringLiteral("Komm")));
    layout->addLayout(bottom);
}

void Form_recomend::apply()
{
    db::applyPending(*m_recomend);
    close();
}

void Form_recomend::datePicked(const QDate &date)
{
    db::storePickedDate(*m_recomend, QStringLiteral("Data"), date);
}

} // namespace pelorin::clinical
