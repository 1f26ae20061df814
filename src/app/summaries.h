#pragma once

#include <QList>

class QWidget;

namespace pelorin::db {
class Table;
}

namespace pelorin::app {

struct SummaryMemo
{
    const char *caption;
    db::Table *table;
    const char *field;
};

// Read-only memos of calculated summaries in a grid of `columns`, each in a titled box; the memos
// are named DBMemo_<table>_<field>.
QWidget *summaryGrid(QWidget *parent, const QList<SummaryMemo> &memos, int columns);

} // namespace pelorin::app
