#include "certificate_tabs.h"

#include "clock.h"
#include "dbcontrols.h"
#include "dialogs.h"
#include "table.h"

#include <QAbstractItemModel>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

namespace pelorin::documents {

PickList::PickList(const QString &objectName, QWidget *parent) : QComboBox(parent)
{
    setObjectName(objectName);
    setEditable(true);
    // A typed value is used as it is, never added to the items.
    setInsertPolicy(QComboBox::NoInsert);
    // The items run to seventy letters; the page would not fit the window if the list grew to them.
    setMinimumContentsLength(14);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    QAbstractItemModel *m = model();
    // The combo box reacts first (it was connected first) and moves to an item; the held text is then
    // put back over it.
    connect(m, &QAbstractItemModel::modelAboutToBeReset, this, &PickList::hold);
    connect(m, &QAbstractItemModel::rowsAboutToBeRemoved, this, &PickList::hold);
    connect(m, &QAbstractItemModel::rowsAboutToBeInserted, this, &PickList::hold);
    connect(m, &QAbstractItemModel::modelReset, this, &PickList::restore);
    connect(m, &QAbstractItemModel::rowsRemoved, this, &PickList::restore);
    connect(m, &QAbstractItemModel::rowsInserted, this, &PickList::restore);
}

void PickList::hold()
{
    if (m_holding)
        return;
    m_held = currentText();
    m_holding = true;
}

void PickList::restore()
{
    if (!m_holding)
        return;
    m_holding = false;
    if (currentText() != m_held)
        setEditText(m_held);
}

void putParagraphs(QTextDocument *document, const QList<DocParagraph> &paragraphs)
{
    document->clear();
    QFont font = document->defaultFont();
    font.setPointSizeF(12);
    document->setDefaultFont(font);
    QTextCursor cursor(document);
    bool first = true;
    for (const DocParagraph &p : paragraphs) {
        QTextBlockFormat block;
        switch (p.alignment) {
        case ParagraphAlignment::Left:
            block.setAlignment(Qt::AlignLeft);
            break;
        case ParagraphAlignment::Center:
            block.setAlignment(Qt::AlignHCenter);
            break;
        case ParagraphAlignment::Right:
            block.setAlignment(Qt::AlignRight);
            break;
        }
        block.setLeftMargin(p.leftIndent);
        block.setRightMargin(p.rightIndent);
        block.setTextIndent(p.firstIndent);
        QTextCharFormat chars;
        chars.setFontPointSize(p.pointSize);
        chars.setFontWeight(p.bold ? QFont::Bold : QFont::Normal);
        if (first) {
            cursor.setBlockFormat(block);
            cursor.setBlockCharFormat(chars);
            first = false;
        } else {
            cursor.insertBlock(block, chars);
        }
        // Inserted as text, never as markup: a "<" in a name stays a "<".
        cursor.insertText(p.text, chars);
    }
}

namespace {

QDateEdit *picker(QWidget *parent, const char *name)
{
    auto *d = new QDateEdit(clock::today(), parent);
    d->setObjectName(QString::fromLatin1(name));
    d->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    d->setCalendarPopup(true);
    return d;
}

QLabel *label(QWidget *parent, const QString &text, QWidget *buddy)
{
    auto *l = new QLabel(text, parent);
    l->setBuddy(buddy);
    return l;
}

PickList *pickList(QWidget *parent, const char *name)
{
    auto *c = new PickList(QString::fromLatin1(name), parent);
    c->setEditText(initialChoice(c->objectName()));
    return c;
}

QWidget *doctorEdit(db::Table &reg, QWidget *parent, const char *name)
{
    auto *e = new ui::DBEdit(&reg, QStringLiteral("Vrach"), parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setReadOnly(true);
    e->setMinimumWidth(e->fontMetrics().horizontalAdvance(QStringLiteral("Иванова-Петрова И. И.")) + 12);
    return e;
}

QPushButton *prepareButton(QWidget *parent, const char *name)
{
    auto *b = new QPushButton(QStringLiteral("Подготовить документ"), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

// The first step of both documents: the area is cleared before the letterhead is read, so a missing
// file leaves it empty.
bool startDocument(QTextEdit *textArea, QStringList *letterhead)
{
    textArea->clear();
    QString error;
    if (!readLetterheadLines(letterhead, &error)) {
        Dialogs::instance().message(error, QStringLiteral("Пелорин."), Dialogs::Kind::Error);
        return false;
    }
    return true;
}

QGridLayout *pageGrid(QWidget *page)
{
    auto *grid = new QGridLayout(page);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(4);
    return grid;
}

} // namespace

CertificateTab::CertificateTab(db::Table &reg, QTextEdit *textArea, QWidget *parent)
    : QWidget(parent), m_reg(reg), m_textArea(textArea)
{
    setObjectName(QStringLiteral("CertificateTab"));
    m_now = pickList(this, "ComboBox1");
    m_from = picker(this, "DateTimePicker11");
    m_to = picker(this, "DateTimePicker12");
    m_place = pickList(this, "ComboBox2");
    QWidget *doctor = doctorEdit(reg, this, "DBEdit24");
    m_issued = picker(this, "DateTimePicker9");
    QPushButton *prepareButton = documents::prepareButton(this, "Button39");

    // Four rows, the captions in the first column, so that the text area below keeps most of the section.
    auto *grid = pageGrid(this);
    grid->addWidget(label(this, QStringLiteral("Выдана пациенту в том, что он "), m_now), 0, 0);
    grid->addWidget(m_now, 0, 1, 1, 5);

    auto *period = new QHBoxLayout;
    period->addWidget(label(this, QStringLiteral("с"), m_from));
    period->addWidget(m_from);
    period->addWidget(label(this, QStringLiteral("по"), m_to));
    period->addWidget(m_to);
    period->addStretch(1);
    grid->addWidget(label(this, QStringLiteral("В период "), m_from), 1, 0);
    grid->addLayout(period, 1, 1, 1, 5);

    grid->addWidget(label(this, QStringLiteral("К предъявлению"), m_place), 2, 0);
    grid->addWidget(m_place, 2, 1, 1, 5);

    grid->addWidget(label(this, QStringLiteral("Врач"), doctor), 3, 0);
    grid->addWidget(doctor, 3, 1);
    grid->addWidget(label(this, QStringLiteral("Дата выдачи:"), m_issued), 3, 2);
    grid->addWidget(m_issued, 3, 3);
    grid->addWidget(prepareButton, 3, 4);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(5, 1);
    grid->setRowStretch(4, 1);

    connect(prepareButton, &QPushButton::clicked, this, [this] { prepare(); });
}

CertificateChoices CertificateTab::choices() const
{
    CertificateChoices c;
    c.ComboBox1 = m_now->currentText();
    c.DateTimePicker11 = m_from->date();
    c.DateTimePicker12 = m_to->date();
    c.ComboBox2 = m_place->currentText();
    c.DateTimePicker9 = m_issued->date();
    return c;
}

bool CertificateTab::prepare()
{
    QStringList letterhead;
    if (!startDocument(m_textArea, &letterhead))
        return false;
    putParagraphs(m_textArea->document(),
                  composeCertificate(letterhead, CertificatePatient::fromRegister(m_reg), choices()));
    return true;
}

ReferralTab::ReferralTab(db::Table &reg, QTextEdit *textArea, QWidget *parent)
    : QWidget(parent), m_reg(reg), m_textArea(textArea)
{
    setObjectName(QStringLiteral("ReferralTab"));
    m_send = pickList(this, "ComboBox6");
    m_sendTo = pickList(this, "ComboBox7");
    m_for = pickList(this, "ComboBox3");
    m_forFrom = pickList(this, "ComboBox8");
    m_and = pickList(this, "ComboBox9");
    m_issued = picker(this, "DateTimePicker10");
    m_diagnosis = pickList(this, "ComboBox10");
    m_diagnosis->addItems(diagnosisItems());
    m_place = pickList(this, "ComboBox5");
    QWidget *doctor = doctorEdit(reg, this, "DBEdit25");
    QPushButton *prepareButton = documents::prepareButton(this, "Button40");

    // The sentence reads down the two columns: the kind and the specialist, "для", "со стороны",
    // "и", then where it is presented; the date, the diagnosis and the doctor stand on the right.
    auto *grid = pageGrid(this);
    grid->addWidget(label(this, QStringLiteral("Направление на"), m_send), 0, 0);
    grid->addWidget(m_send, 0, 1);
    grid->addWidget(m_sendTo, 0, 2, 1, 2);
    grid->addWidget(label(this, QStringLiteral("Дата выдачи:"), m_issued), 0, 4);
    grid->addWidget(m_issued, 0, 5);

    grid->addWidget(label(this, QStringLiteral("для"), m_for), 1, 0);
    grid->addWidget(m_for, 1, 1);
    grid->addWidget(label(this, QStringLiteral("со стороны"), m_forFrom), 1, 2);
    grid->addWidget(m_forFrom, 1, 3);
    grid->addWidget(label(this, QStringLiteral("Диагноз:"), m_diagnosis), 1, 4);
    grid->addWidget(m_diagnosis, 1, 5);

    grid->addWidget(label(this, QStringLiteral("и"), m_and), 2, 0);
    grid->addWidget(m_and, 2, 1, 1, 3);
    grid->addWidget(label(this, QStringLiteral("Врач"), doctor), 2, 4);
    grid->addWidget(doctor, 2, 5);

    grid->addWidget(label(this, QStringLiteral("Для предъявления"), m_place), 3, 0);
    grid->addWidget(m_place, 3, 1, 1, 3);
    grid->addWidget(prepareButton, 3, 5);
    grid->setColumnStretch(1, 2);
    grid->setColumnStretch(3, 2);
    grid->setRowStretch(4, 1);

    connect(prepareButton, &QPushButton::clicked, this, [this] { prepare(); });
}

ReferralChoices ReferralTab::choices() const
{
    ReferralChoices c;
    c.ComboBox6 = m_send->currentText();
    c.ComboBox7 = m_sendTo->currentText();
    c.ComboBox3 = m_for->currentText();
    c.ComboBox8 = m_forFrom->currentText();
    c.ComboBox9 = m_and->currentText();
    c.ComboBox10 = m_diagnosis->currentText();
    c.ComboBox5 = m_place->currentText();
    c.DateTimePicker10 = m_issued->date();
    return c;
}

bool ReferralTab::prepare()
{
    QStringList letterhead;
    if (!startDocument(m_textArea, &letterhead))
        return false;
    putParagraphs(m_textArea->document(),
                  composeReferral(letterhead, CertificatePatient::fromRegister(m_reg), choices()));
    return true;
}

} // namespace pelorin::documents
