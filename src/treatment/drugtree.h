#pragma once

#include "reflist.h"

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
    // Destroys child with everything under it.
    void removeChild(const DrugNode *child);
};

// What a node is by its depth; anything deeper than a dosage takes no part in the commands.
enum class DrugNodeKind { Section, Group, Drug, Dosage, Deeper };
DrugNodeKind kindOf(const DrugNode &node);

// The section whose drugs are prescribed as local treatment ("Наружно: " + drug).
inline constexpr char16_t kLocalSection[] = u"Местное лечение";

class DrugTree
{
public:
    DrugTree();
    DrugNode &root() { return *m_root; } // invisible root; sections are its children
    const DrugNode &root() const { return *m_root; }

    // Parses the lines of a tree file. A line two or more levels deeper than the line before it
    // stops the parse with "Invalid level (<depth>) for item "<text>"" in *error; the tree is left empty.
    bool parse(const QStringList &lines, QString *error, int *errorLine = nullptr);
    // Reads a tree file (byte-order mark: UTF-8 / UTF-16, otherwise Windows-1251).
    bool load(const QString &path, QString *error);
    // Lines in tree order, one tab per level.
    QStringList toLines() const;
    // Writes the tree as UTF-8 with a byte-order mark and CR LF line ends, which the reader recognises.
    bool save(const QString &path, QString *error) const;

    int nodeCount() const;
    // Empties the tree (a failed load leaves it so).
    void clear();

private:
    std::unique_ptr<DrugNode> m_root;
    // A tree read from a file is written back in that file's encoding.
    TextEncoding m_encoding = TextEncoding::Utf8WithMark;
};

// The commands of the drug window on a node, with their questions through Dialogs.
//
// "Добавить" asks for a new group (selected section), drug (selected group) or dosage (selected
// drug); from the pop-up menu a selected dosage asks for a new dosage of the same drug. A
// non-empty answer becomes the last child of that parent. The button and the menu ask the same
// questions under different captions.
enum class AddCommand { Button, Menu };
// The new node, or nullptr when the answer was cancelled or empty, or when the command does not
// add under this node (the button on a dosage prescribes instead; deeper nodes take nothing).
DrugNode *askAddNode(DrugNode &selected, AddCommand command);
// "Изменить": a non-empty answer replaces the node's text. True when the text was replaced.
bool askChangeNode(DrugNode &node);
// "Удалить": a group or a drug (with everything under it) or a dosage, after a Yes. Sections are
// never deleted. True when the node was deleted; it is destroyed then.
bool askDeleteNode(DrugNode &node);

// The prescription a dosage node gives: its drug, its own text as the way of use, and whether
// the drug belongs to local treatment.
struct DosagePick
{
    QString drug;
    QString dosage;
    bool local = false;
};
DosagePick dosagePick(const DrugNode &dosage);

} // namespace pelorin::treatment
