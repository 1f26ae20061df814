#include "analyz_section.h"

#include "analyz_ops.h"
#include "clock.h"
#include "dbcontrols.h"
#include "dbgrid.h"
#include "form_analyz.h"
#include "recordops.h"
#include "table.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace pelorin::clinical {

namespace {

QPushButton *makeButton(QWidget *parent, const QString &name, const QString &text)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

} // namespace

AnalyzSection::AnalyzSection(db::Table &analyz, Form_analyz *testWindow, QWidget *parent)
    : QWidget(parent), m_analyz(analyz), m_window(testWindow)
{
    setObjectName(QStringLiteral("AnalyzSection"));

    // The list of tests with its buttons.
    auto *listTitle = new QLabel(QStringLiteral("Список\nобследований"), this);
    auto *grid = new ui::DBGrid(&analyz, {{QStringLiteral("Data"), QStringLiteral("Дата")}}, this);
    grid->setObjectName(QStringLiteral("DBGrid_analyz"));
    grid->setColumnWidthChars(0, 13);
    auto *add = makeButton(this, QStringLiteral("Button32"), QStringLiteral("Добавить новое."));
    auto *remove = makeButton(this, QStringLiteral("Button33"), QStringLiteral("Удалить текущее."));
    grid->setFixedWidth(std::max({grid->charWidth() * 16, add->sizeHint().width(), remove->sizeHint().width()}));
    connect(add, &QPushButton::clicked, this, [this] { addBloodTest(m_analyz); });
    connect(remove, &QPushButton::clicked, this, [this] { deleteBloodTest(m_analyz); });
    auto *list = new QVBoxLayout;
    list->addWidget(listTitle);
    list->addWidget(grid, 1);
    list->addWidget(add);
    list->addWidget(remove);

    // The date of the current test: typed into the edit, or picked and stored at once.
    auto *dateEdit = new ui::DBEdit(&analyz, QStringLiteral("Data"), this);
    dateEdit->setObjectName(QStringLiteral("DBEdit_analyz_Data"));
    dateEdit->setMaximumWidth(dateEdit->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 12);
    m_picker = new QDateEdit(clock::today(), this);
    m_picker->setObjectName(QStringLiteral("DateTimePicker2"));
    m_picker->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    m_picker->setCalendarPopup(true);
    connect(m_picker, &QDateEdit::dateChanged, this, &AnalyzSection::datePicked);
    auto *dateLabel = new QLabel(QStringLiteral("Дата обследования:"), this);
    dateLabel->setBuddy(dateEdit);
    auto *dateRow = new QHBoxLayout;
    dateRow->addWidget(dateLabel);
    dateRow->addWidget(dateEdit);
    dateRow->addWidget(m_picker);
    dateRow->addStretch(1);

    // The three summaries.
    struct Summary
    {
        const char16_t *caption;
        const char *field;
        const char *button;
        Form_analyz::Group group;
    };
    const Summary summaries[] = {
        {u"Исследование крови:", "List1", "Button4", Form_analyz::Blood},
        {u"Исследование кала:", "List2", "Button28", Form_analyz::Stool},
        {u"Другие методы исследования:", "List3", "Button41", Form_analyz::Other},
    };
    auto *texts = new QVBoxLayout;
    texts->addLayout(dateRow);
    for (const Summary &s : summaries) {
        auto *memo = new ui::DBMemo(&analyz, QString::fromLatin1(s.field), this);
        memo->setObjectName(QStringLiteral("DBMemo_analyz_") + QString::fromLatin1(s.field));
        memo->setReadOnly(true);
        auto *choose = makeButton(this, QString::fromLatin1(s.button), QStringLiteral("Выбрать"));
        const Form_analyz::Group group = s.group;
        connect(choose, &QPushButton::clicked, this, [this, group] {
            if (m_window)
                m_window->showGroup(group);
        });
        auto *caption = new QLabel(QString::fromUtf16(s.caption), this);
        caption->setBuddy(memo);
        auto *head = new QHBoxLayout;
        head->addWidget(caption);
        head->addStretch(1);
        head->addWidget(choose);
        texts->addLayout(head);
        texts->addWidget(memo, 1);
    }

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(list);
    layout->addLayout(texts, 1);
}

void AnalyzSection::datePicked(const QDate &date)
{
    // Start-up presets the picker with its signals blocked, so every change here is the user's.
    db::storePickedDate(m_analyz, QStringLiteral("Data"), date);
}

} // namespace pelorin::clinical
