#include "recomend_sheets.h"

#include "dialogs.h"
#include "docprinter.h"
#include "programfolder.h"
#include "reflist.h"
#include "rtfreader.h"

#include <QButtonGroup>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QVBoxLayout>

namespace pelorin::documents {

namespace {

constexpr double kSheetPointSize = 12;

bool readFile(const QString &path, QByteArray *bytes)
{
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        *bytes = file.readAll();
        if (file.error() == QFileDevice::NoError)
            return true;
    }
    const QFileInfo info(path);
    const QString reason = !info.exists() ? QStringLiteral("файл не найден") : file.errorString();
    Dialogs::instance().message(QStringLiteral("Не удалось открыть файл «") + QDir::toNativeSeparators(path) +
                                    QStringLiteral("»: ") + reason,
                                QStringLiteral("Пелорин."), Dialogs::Kind::Error);
    return false;
}

// Reads the file first, so that a missing sheet leaves the text area untouched.
bool load(QTextEdit *editor, const QString &path, bool sheetDefaults)
{
    QByteArray bytes;
    if (!readFile(path, &bytes))
        return false;
    editor->clear();
    QTextCursor cursor(editor->document());
    if (sheetDefaults) {
        QTextBlockFormat left;
        left.setAlignment(Qt::AlignLeft);
        cursor.setBlockFormat(left);
        QTextCharFormat size;
        size.setFontPointSize(kSheetPointSize);
        cursor.setCharFormat(size);
        editor->setCurrentCharFormat(size);
    }
    // A CR of its own would end a paragraph too: CR LF is one line end.
    if (!insertRtf(cursor, bytes))
        cursor.insertText(decodeTextFile(bytes).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    editor->moveCursor(QTextCursor::Start);
    return true;
}

} // namespace

bool loadSheet(QTextEdit *editor, const QString &path)
{
    return load(editor, path, false);
}

bool showRecommendationSheet(QTextEdit *editor, const QString &fileName)
{
    // The text area is emptied first, so a sheet that cannot be read leaves it empty.
    editor->clear();
    return load(editor, folder::sourses() + fileName, true);
}

bool printRecommendationSheet(QTextEdit *editor, const QString &fileName)
{
    if (!loadSheet(editor, folder::sourses() + fileName))
        return false;
    return DocumentPrinter::instance().print(*editor->document(), QStringLiteral("BD"));
}

DocsRecomendPage::DocsRecomendPage(QTextEdit *editor, QWidget *parent) : QWidget(parent), m_editor(editor)
{
    setObjectName(QStringLiteral("DocsRecomendPage"));
    auto *box = new QGroupBox(QStringLiteral("Выберите необходимые рекомендации:"), this);
    box->setObjectName(QStringLiteral("RadioGroupSheets"));
    auto *bl = new QVBoxLayout(box);
    m_choice = new QButtonGroup(box);
    // "дераматите" is how the choice has always been spelled on this page.
    const QString names[] = {QStringLiteral("Рекомендации при атопическом дераматите"),
                             QStringLiteral("Рекомендации при псориазе")};
    for (int i = 0; i < 2; ++i) {
        auto *b = new QRadioButton(names[i], box);
        b->setObjectName(QStringLiteral("RadioSheet%1").arg(i));
        m_choice->addButton(b, i);
        bl->addWidget(b);
    }
    auto *show = new QPushButton(QStringLiteral("Вывести список рекомендаций."), this);
    show->setObjectName(QStringLiteral("Button48"));
    show->setAutoDefault(false);
    connect(show, &QPushButton::clicked, this, [this] {
        if (!m_editor)
            return;
        switch (m_choice->checkedId()) {
        case 0:
            showRecommendationSheet(m_editor, QString::fromLatin1(kAtopicSheet));
            break;
        case 1:
            showRecommendationSheet(m_editor, QString::fromLatin1(kPsoriasisSheet));
            break;
        default:
            m_editor->clear();
            break;
        }
    });
    auto *row = new QHBoxLayout;
    row->addWidget(box);
    row->addWidget(show, 0, Qt::AlignBottom);
    row->addStretch(1);
    // The choice keeps its own height; the text area below takes the rest.
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(row);
    layout->addStretch(1);
}

} // namespace pelorin::documents
