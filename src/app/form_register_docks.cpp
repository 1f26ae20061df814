#include "form_register_docks.h"

#include "datamodules.h"
#include "dbcontrols.h"
#include "table.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTextCursor>
#include <QVBoxLayout>

namespace pelorin::app {

namespace {

struct Row
{
    const char16_t *label;
    const char *field;
    int limit;
};

// Label and edit rows of one group; the edits take the window's limits, not the stored widths.
void addRows(QWidget *box, QGridLayout *grid, db::Table *t, std::initializer_list<Row> rows, int firstRow = 0)
{
    int r = firstRow;
    for (const Row &row : rows) {
        auto *edit = new ui::DBEdit(t, QString::fromLatin1(row.field), box);
        edit->setObjectName(QString::fromLatin1(row.field));
        edit->setMaxLength(row.limit);
        edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QLatin1Char('0')) * std::min(row.limit, 30));
        auto *label = new QLabel(QString::fromUtf16(row.label), box);
        label->setBuddy(edit);
        grid->addWidget(label, r, 0);
        grid->addWidget(edit, r, 1);
        ++r;
    }
    grid->setColumnStretch(1, 1);
}

} // namespace

Form_register_docks::Form_register_docks(db::DM1 &dm1, QWidget *parent) : QDialog(parent), m_register(dm1.register_)
{
    setObjectName(QStringLiteral("Form_register_docks"));
    setWindowTitle(QStringLiteral("Пелорин. Документы пациента."));
    setModal(false);
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
    db::Table *t = m_register;

    auto *title = new QLabel(QStringLiteral("Документы пациента:"), this);
    title->setObjectName(QStringLiteral("LabelTitle"));
    QFont bold = title->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.2);
    title->setFont(bold);
    QPalette blue = title->palette();
    blue.setColor(QPalette::WindowText, Qt::blue);
    title->setPalette(blue);

    auto *passport = new QGroupBox(QStringLiteral("Паспорт"), this);
    passport->setObjectName(QStringLiteral("GroupBoxPassport"));
    addRows(passport, new QGridLayout(passport), t,
            {{u"Серия", "Passp_serial", 10},
             {u"Номер", "Passp_number", 10},
             {u"Кем выдан", "Passp_vidan", 50},
             {u"Когда выдан", "Passp_data", 15},
             {u"Код подразд.", "Passp_cod", 10}});

    auto *polis = new QGroupBox(QStringLiteral("Страховой полис"), this);
    polis->setObjectName(QStringLiteral("GroupBoxPolis"));
    addRows(polis, new QGridLayout(polis), t,
            {{u"Серия", "Polis_serial", 10}, {u"Номер", "Polis_number", 10}, {u"Компания", "Polis_company", 20}});

    auto *lgot = new QGroupBox(QStringLiteral("Льготность"), this);
    lgot->setObjectName(QStringLiteral("GroupBoxLgot"));
    auto *lgotGrid = new QGridLayout(lgot);
    addRows(lgot, lgotGrid, t, {{u"Категория льготности", "Lgot_cat", 3}, {u"Срок ", "Lgot_spr_date", 15}});
    auto *certificate = new QGroupBox(lgot);
    certificate->setObjectName(QStringLiteral("GroupBoxSpravka"));
    auto *cl = new QVBoxLayout(certificate);
    auto *certTitle = new QHBoxLayout;
    certTitle->addWidget(new QLabel(QStringLiteral("Справка"), certificate));
    certTitle->addWidget(new QLabel(QStringLiteral(" МСЭК"), certificate));
    certTitle->addStretch(1);
    cl->addLayout(certTitle);
    auto *certGrid = new QGridLayout;
    addRows(certificate, certGrid, t,
            {{u"Серия", "Lgot_spr_serial", 10}, {u"Номер", "Lgot_spr_number", 10}, {u"Категория", "Lgot_spr_cat", 10}});
    cl->addLayout(certGrid);
    lgotGrid->addWidget(certificate, 2, 0, 1, 2);

    auto *extra = new QGroupBox(QStringLiteral("Дополнительные данные"), this);
    extra->setObjectName(QStringLiteral("GroupBoxOther"));
    auto *other = new ui::DBMemo(t, QStringLiteral("Other"), extra);
    other->setObjectName(QStringLiteral("Other"));
    other->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    other->setFixedHeight(other->fontMetrics().lineSpacing() * 5 + 10);
    // The memo takes at most kOtherLimit characters, like an edit's limit: what the user types or
    // pastes beyond it is taken back at the cursor. A longer stored text is shown whole.
    connect(other, &QPlainTextEdit::textChanged, other, [other] {
        const int excess = int(other->toPlainText().size()) - kOtherLimit;
        if (excess <= 0 || !other->hasPendingText())
            return;
        QTextCursor cursor = other->textCursor();
        const int end = cursor.position();
        cursor.setPosition(std::max(0, end - excess));
        cursor.setPosition(end, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        other->setTextCursor(cursor);
    });
    (new QVBoxLayout(extra))->addWidget(other);

    auto *apply = new QPushButton(QStringLiteral("Применить"), this);
    apply->setObjectName(QStringLiteral("Button1"));
    apply->setAutoDefault(false);
    connect(apply, &QPushButton::clicked, this, &Form_register_docks::apply);

    auto *left = new QVBoxLayout;
    left->addWidget(passport);
    left->addWidget(polis);
    left->addStretch(1);
    auto *right = new QVBoxLayout;
    right->addWidget(lgot);
    right->addWidget(extra);
    right->addStretch(1);
    auto *columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addLayout(right);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(apply);

    auto *layout = new QVBoxLayout(this);
    // A fixed dialog border: the window keeps the size of its content.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(title);
    layout->addLayout(columns);
    layout->addLayout(buttons);
}

void Form_register_docks::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void Form_register_docks::apply()
{
    hide();
    db::Table &t = *m_register;
    if (!t.isEditing())
        return;
    // Text still being typed counts as a change.
    t.updateRecord();
    if (t.isEditing() && t.modified())
        t.post();
}

} // namespace pelorin::app
