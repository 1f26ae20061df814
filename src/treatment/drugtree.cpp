#include "drugtree.h"

#include "reflist.h"

#include <QFile>
#include <QSaveFile>

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

DrugTree::DrugTree() : m_root(std::make_unique<DrugNode>())
{
}

bool DrugTree::parse(const QStringList &lines, QString *error)
{
    m_root = std::make_unique<DrugNode>();
    DrugNode *last = m_root.get();
    int lastDepth = -1;
    for (const QString &line : lines) {
        int depth = 0;
        while (depth < line.size() && (line.at(depth) == QLatin1Char('\t') || line.at(depth) == QLatin1Char(' ')))
            ++depth;
        const QString text = line.mid(depth);
        if (depth > lastDepth + 1) {
            m_root = std::make_unique<DrugNode>();
            if (error)
                *error = QStringLiteral("Invalid level (%1) for item \"%2\"").arg(depth).arg(text);
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
            *error = QStringLiteral("Не удалось открыть файл «%1»: %2").arg(path, file.errorString());
        return false;
    }
    return parse(splitLines(decodeTextFile(file.readAll())), error);
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
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = QStringLiteral("Не удалось записать файл «%1»: %2").arg(path, file.errorString());
        return false;
    }
    QByteArray bytes("\xEF\xBB\xBF");
    for (const QString &line : toLines())
        bytes += line.toUtf8() + "\r\n";
    file.write(bytes);
    if (!file.commit()) {
        if (error)
            *error = QStringLiteral("Не удалось записать файл «%1»: %2").arg(path, file.errorString());
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

} // namespace pelorin::treatment
