#include "summaries.h"

#include "formbuilder.h"
#include "table.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QVBoxLayout>

namespace pelorin::app {

QWidget *summaryGrid(QWidget *parent, const QList<SummaryMemo> &memos, int columns)
{
    auto *host = new QWidget(parent);
    auto *grid = new QGridLayout(host);
    grid->setContentsMargins(0, 0, 0, 0);
    int i = 0;
    for (const SummaryMemo &row : memos) {
        auto *g = new QGroupBox(QString::fromUtf8(row.caption), host);
        auto *gl = new QVBoxLayout(g);
        gl->setContentsMargins(4, 2, 4, 2);
        const QString name = QStringLiteral("DBMemo_%1_%2").arg(row.table->tableName(), QString::fromLatin1(row.field));
        QWidget *memo = ui::buildControl(
            row.table, {QString(), name, ui::FieldSpec::Memo, QString::fromLatin1(row.field), {}, false}, g);
        memo->setMinimumWidth(60);
        gl->addWidget(memo);
        grid->addWidget(g, i / columns, i % columns);
        ++i;
    }
    return host;
}

} // namespace pelorin::app
