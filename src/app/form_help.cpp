#include "form_help.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QKeyEvent>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>

namespace pelorin::app {

namespace {

// The guide's contents link to its chapters as web pages name their headings ("#рабочий-день-врача");
// Qt's Markdown reader gives headings no names, so they are given here.
void nameHeadings(QTextDocument *document)
{
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().headingLevel() == 0 || block.text().isEmpty())
            continue;
        QString name;
        for (const QChar ch : block.text().toLower()) {
            if (ch.isLetterOrNumber() || ch == QLatin1Char('-') || ch == QLatin1Char('_'))
                name += ch;
            else if (ch.isSpace())
                name += QLatin1Char('-');
        }
        QTextCursor cursor(block);
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        QTextCharFormat format;
        format.setAnchor(true);
        format.setAnchorNames({name});
        cursor.mergeCharFormat(format);
    }
}

} // namespace

Form_help::Form_help(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("Form_help"));
    setWindowTitle(QStringLiteral("Пелорин. Справка."));
    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("TextBrowserGuide"));
    // Links inside the guide move through it; an address outside it opens in the system's browser.
    m_browser->setOpenExternalLinks(true);
    connect(m_browser, &QTextBrowser::sourceChanged, this, [this] { nameHeadings(m_browser->document()); });
    m_browser->setSource(QUrl(guideSource()), QTextDocument::MarkdownResource);

    auto *back = new QPushButton(QStringLiteral("Назад"), this);
    back->setObjectName(QStringLiteral("ButtonBack"));
    back->setEnabled(false);
    auto *home = new QPushButton(QStringLiteral("Оглавление"), this);
    home->setObjectName(QStringLiteral("ButtonHome"));
    auto *close = new QPushButton(QStringLiteral("Закрыть"), this);
    close->setObjectName(QStringLiteral("ButtonClose"));
    connect(back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(home, &QPushButton::clicked, m_browser, &QTextBrowser::home);
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(back);
    buttons->addWidget(home);
    buttons->addStretch();
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_browser, 1);
    layout->addLayout(buttons);
    // The pictures of the guide are a thousand pixels wide: they fit without a sideways scroll.
    resize(1080, 660);
}

void Form_help::keyPressEvent(QKeyEvent *event)
{
    // Esc closes as the button and the title bar do.
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace pelorin::app
