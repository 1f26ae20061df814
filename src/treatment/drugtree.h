#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

namespace pelorin::treatment {

// The drug tree of lekar.txt: sections, groups of drugs, drugs, dosages. One node per line; the
// number of leading tabs (or blanks) is the depth.
struct DrugNode
{
    QString text;
    DrugNode *parent = nullptr;
    std::vector<std::unique_ptr<DrugNode>> children;

    int depth() const;
    DrugNode *addChild(const QString &text);
};

class DrugTree
{
public:
    DrugTree();
    DrugNode &root() { return *m_root; } // invisible root; sections are its children
    const DrugNode &root() const { return *m_root; }

    // Parses the lines of a tree file. A line two or more levels deeper than the line before it
    // stops the parse with "Invalid level (<depth>) for item "<text>"" in *error; the tree is left empty.
    bool parse(const QStringList &lines, QString *error);
    // Reads a tree file (byte-order mark: UTF-8 / UTF-16, otherwise Windows-1251).
    bool load(const QString &path, QString *error);
    // Lines in tree order, one tab per level.
    QStringList toLines() const;
    // Writes the tree as UTF-8 with a byte-order mark and CR LF line ends, which the reader recognises.
    bool save(const QString &path, QString *error) const;

    int nodeCount() const;

private:
    std::unique_ptr<DrugNode> m_root;
};

} // namespace pelorin::treatment
