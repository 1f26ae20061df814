#include "drugtree.h"

#include "dialogs.h"
#include "reflist.h"
#include "safefile.h"

#include <QDir>
#include <QFile>

#include <functional>

namespace pelorin::treatment {

int DrugNode::depth() const
{
    int d = -1;
    for (const DrugNode *p = parent; p; p = p->parent)
        ++d;
    return d;
}

DrugNode *DrugNode::addChild(const QString &text)
{
    auto node = std::make_unique<DrugNode>();
    node->text = text;
    node->parent = this;
    children.push_back(std::move(node));
    return children.back().get();
}

void DrugNode::removeChild(const DrugNode *child)
{
    for (auto it = children.begin(); it != children.end(); ++it) {
        if (it->get() == child) {
            children.erase(it);
            return;
        }
    }
}

DrugNodeKind kindOf(const DrugNode &node)
{
    switch (node.depth()) {
    case 0:
        return DrugNodeKind::Section;
    case 1:
        return DrugNodeKind::Group;
    case 2:
        return DrugNodeKind::Drug;
    case 3:
        return DrugNodeKind::Dosage;
    default:
        return DrugNodeKind::Deeper;
    }
}

DrugTree::DrugTree() : m_root(std::make_unique<DrugNode>()) {}

void DrugTree::clear()
{
    m_root = std::make_unique<DrugNode>();
}

bool DrugTree::parse(const QStringList &lines, QString *error, int *errorLine)
{
    m_root = std::make_unique<DrugNode>();
    DrugNode *last = m_root.get();
    int lastDepth = -1;
    int number = 0;
    for (const QString &line : lines) {
        ++number;
        int depth = 0;
        while (depth < line.size() && (line.at(depth) == QLatin1Char('\t') || line.at(depth) == QLatin1Char(' ')))
            ++depth;
        const QString text = line.mid(depth);
        if (depth > lastDepth + 1) {
            m_root = std::make_unique<DrugNode>();
            if (error)
                *error = QStringLiteral("Invalid level (%1) for item \"%2\"").arg(depth).arg(text);
            if (errorLine)
                *errorLine = number;
            return false;
        }
        DrugNode *parent = last;
        for (int d = lastDepth; d >= depth; --d)
            parent = parent->parent;
        last = parent->addChild(text);
        lastDepth = depth;
    }
    return true;
}

bool DrugTree::load(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("Не удалось открыть файл «%1»: %2.")
                         .arg(QDir::toNativeSeparators(path), fileOpenFailureReason(path, file));
        return false;
    }
    QString why;
    int line = 0;
    TextEncoding encoding = TextEncoding::Utf8WithMark;
    if (parse(splitLines(decodeTextFile(file.readAll(), &encoding)), &why, &line)) {
        m_encoding = encoding;
        return true;
    }
    // The doctor (or whoever keeps the file) is told where to look; the tree's own words follow.
    if (error)
        *error = QStringLiteral("Ошибка в файле «%1», строка %2: строка вложена глубже, чем на один уровень "
                                "под предыдущей (%3).")
                     .arg(QDir::toNativeSeparators(path))
                     .arg(line)
                     .arg(why);
    return false;
}

QStringList DrugTree::toLines() const
{
    QStringList out;
    std::function<void(const DrugNode &, int)> walk = [&](const DrugNode &n, int depth) {
        for (const auto &c : n.children) {
            out << QString(depth, QLatin1Char('\t')) + c->text;
            walk(*c, depth + 1);
        }
    };
    walk(*m_root, 0);
    return out;
}

bool DrugTree::save(const QString &path, QString *error) const
{
    QString text;
    for (const QString &line : toLines())
        text += line + QStringLiteral("\r\n");
    if (QString reason; !safefile::write(path, encodeTextFile(text, m_encoding), &reason)) {
        if (error)
            *error = QStringLiteral("Не удалось записать файл «%1»: %2").arg(path, reason);
        return false;
    }
    return true;
}

int DrugTree::nodeCount() const
{
    std::function<int(const DrugNode &)> count = [&](const DrugNode &n) {
        int c = int(n.children.size());
        for (const auto &ch : n.children)
            c += count(*ch);
        return c;
    };
    return count(*m_root);
}

namespace {

// A new child of parent from an input box; an empty or cancelled answer adds nothing.
DrugNode *askChild(DrugNode &parent, const QString &caption, const QString &prompt)
{
    const std::optional<QString> answer = Dialogs::instance().input(caption, prompt, QString());
    if (!answer || answer->isEmpty())
        return nullptr;
    return parent.addChild(*answer);
}

QString quoted(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

} // namespace

DrugNode *askAddNode(DrugNode &selected, AddCommand command)
{
    const bool menu = command == AddCommand::Menu;
    switch (kindOf(selected)) {
    case DrugNodeKind::Section:
        return askChild(selected,
                        menu ? QStringLiteral("Добавление группы препаратов.")
                             : QStringLiteral("Вы не указали группу препаратов."),
                        QStringLiteral("Введите новую группу препаратов, если хотите ее добавить в раздел ") +
                            quoted(selected.text) + QStringLiteral(" :"));
    case DrugNodeKind::Group:
        // "Ввдите" is the wording the doctors have always seen.
        return askChild(selected,
                        menu ? QStringLiteral("Добавление препарата.") : QStringLiteral("Вы не указали препарат."),
                        QStringLiteral("Ввдите новый препарат, если хотите его добавить в группу ") +
                            quoted(selected.text) + QStringLiteral(" :"));
    case DrugNodeKind::Drug:
        return askChild(selected,
                        menu ? QStringLiteral("Добавление дозировки препарата.")
                             : QStringLiteral("Вы не указали дозировку препарата."),
                        QStringLiteral("Введите новую дозировку препарата ") + quoted(selected.text) +
                            QStringLiteral(", если хотите ее добавить:"));
    case DrugNodeKind::Dosage:
        if (!menu)
            return nullptr;
        return askChild(*selected.parent, QStringLiteral("Добавление дозировки препарата."),
                        QStringLiteral("Введите новую дозировку препарата ") + quoted(selected.parent->text) +
                            QStringLiteral(", если хотите ее добавить:"));
    case DrugNodeKind::Deeper:
        return nullptr;
    }
    return nullptr;
}

bool askChangeNode(DrugNode &node)
{
    const QString caption = QStringLiteral("Введите новый тест");
    const std::optional<QString> answer = Dialogs::instance().input(caption, caption, node.text);
    if (!answer || answer->isEmpty())
        return false;
    node.text = *answer;
    return true;
}

bool askDeleteNode(DrugNode &node)
{
    QString question;
    switch (kindOf(node)) {
    case DrugNodeKind::Group:
    case DrugNodeKind::Drug:
        question =
            QStringLiteral("Вы уверены что хотите удалить данное лекарство (") + node.text + QStringLiteral(") ?");
        break;
    case DrugNodeKind::Dosage:
        question = QStringLiteral("Вы уверены что хотите удалить данный способ применения (") + node.text +
                   QStringLiteral(") ?");
        break;
    case DrugNodeKind::Section:
    case DrugNodeKind::Deeper:
        return false;
    }
    if (!Dialogs::instance().ask(question, QStringLiteral("Внимание!")))
        return false;
    node.parent->removeChild(&node);
    return true;
}

DosagePick dosagePick(const DrugNode &dosage)
{
    DosagePick pick;
    pick.dosage = dosage.text;
    const DrugNode *drug = dosage.parent;
    if (!drug)
        return pick;
    pick.drug = drug->text;
    const DrugNode *group = drug->parent;
    const DrugNode *section = group ? group->parent : nullptr;
    pick.local = section && section->text == QString::fromUtf16(kLocalSection);
    return pick;
}

} // namespace pelorin::treatment
