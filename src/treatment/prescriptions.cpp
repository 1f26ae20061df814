#include "prescriptions.h"

#include "database.h"
#include "datamodules.h"
#include "dialogs.h"
#include "settings.h"
#include "table.h"

#include <QVariant>
#include <algorithm>
#include <utility>
#include <vector>

namespace pelorin::treatment {

namespace {

const QString kId = QStringLiteral("Id");
const QString kData = QStringLiteral("Data");
const QString kLek = QStringLiteral("Lek");
const QString kRecept = QStringLiteral("Recept");
const QString kKomm = QStringLiteral("Komm");

const QString kLocalMark = QStringLiteral("Наружно");
constexpr int kReceptWidth = 100;

// One prescription held while the patient's list is rewritten. The values are kept as read, so
// a blank date or text stays blank.
struct Entry
{
    QVariant data;
    QVariant lek;
    QVariant recept;
    QVariant komm;
    QDate date; // the date compared; a blank date counts as the zero date

    bool isLocal() const { return lek.toString().left(7) == kLocalMark; }
};

std::vector<Entry> readEntries(db::Table &t)
{
    std::vector<Entry> entries;
    t.first();
    while (!t.eof()) {
        Entry e;
        e.data = t.value(kData);
        e.lek = t.value(kLek);
        const QVariant recept = t.value(kRecept);
        e.recept = recept.isValid() ? QVariant(recept.toString().left(kReceptWidth)) : recept;
        e.komm = t.value(kKomm);
        e.date = t.asDate(kData);
        entries.push_back(std::move(e));
        t.next();
    }
    return entries;
}

// Appends the entries in their order, each posted, then deletes the records the patient had
// before. The result is the list the entries make; when a post fails, the records appended so far
// are taken away again and the list stays as it was.
bool rewrite(db::Table &t, const std::vector<Entry> &entries)
{
    // All of the new list or none of it: a crash must not leave the records twice or half of them.
    const db::Transaction transaction(t.database());
    std::vector<qint64> before;
    for (t.first(); !t.eof(); t.next())
        before.push_back(t.currentRowKey());

    std::vector<qint64> appended;
    for (const Entry &e : entries) {
        t.append();
        t.setValue(kData, e.data);
        t.setValue(kLek, e.lek);
        t.setValue(kRecept, e.recept);
        t.setValue(kKomm, e.komm);
        // A before-post handler may also drop the new record and still let the post succeed.
        const bool stored = t.post() && !t.isEditing() && t.currentRowKey() != 0 &&
                            std::find(before.begin(), before.end(), t.currentRowKey()) == before.end() &&
                            std::find(appended.begin(), appended.end(), t.currentRowKey()) == appended.end();
        if (!stored) {
            if (t.isEditing())
                t.cancel();
            for (qint64 key : appended) {
                if (t.locate(kId, key))
                    t.deleteRecord();
            }
            t.first();
            return false;
        }
        appended.push_back(t.currentRowKey());
    }
    for (qint64 key : before) {
        if (t.locate(kId, key))
            t.deleteRecord();
    }
    t.first();
    return true;
}

// The exchange passes over entries 1 … n: for i = 1 … n−1, for j = i … n, exchange when swap(i, j).
template <typename Swap> void exchangePass(std::vector<Entry> &entries, Swap swap)
{
    const size_t n = entries.size();
    for (size_t i = 0; i + 1 < n; ++i) {
        for (size_t j = i; j < n; ++j) {
            if (swap(entries[i], entries[j]))
                std::swap(entries[i], entries[j]);
        }
    }
}

} // namespace

bool prescribe(db::DM2 &dm2, db::RunSettings &settings, const QDate &date, const QString &drugText,
               const QString &dosageText, bool localTreatment, bool nodeClicked)
{
    db::Table &t = *dm2.lech_lekar;
    if (!t.checkBrowseMode())
        return false;
    t.first();
    if (t.recordCount() == 1 && t.asString(kLek).isEmpty())
        t.edit();
    else
        t.insert();

    t.setValue(kData, date);
    if (nodeClicked) {
        t.setValue(kLek, localTreatment ? QString::fromUtf16(kLocalPrefix) + drugText : drugText);
        t.setValue(kRecept, dosageText);
    }
    if (!t.post()) {
        t.cancel();
        return false;
    }

    const db::ProtectionSuspension suspended(settings);
    return resortWindow(t);
}

bool resortWindow(db::Table &lech_lekar)
{
    std::vector<Entry> entries = readEntries(lech_lekar);
    exchangePass(entries, [](const Entry &a, const Entry &b) { return a.date > b.date; });
    exchangePass(entries,
                 [](const Entry &a, const Entry &b) { return a.date == b.date && a.isLocal() && !b.isLocal(); });
    return rewrite(lech_lekar, entries);
}

bool resortPanel(db::Table &lech_lekar, db::RunSettings &settings)
{
    Dialogs::instance().beep();
    if (!lech_lekar.checkBrowseMode())
        return false;
    std::vector<Entry> entries = readEntries(lech_lekar);
    exchangePass(entries, [](const Entry &a, const Entry &b) { return a.date >= b.date; });
    bool done = false;
    {
        const db::ProtectionSuspension suspended(settings);
        done = rewrite(lech_lekar, entries);
    }
    Dialogs::instance().beep();
    return done;
}

bool deletePrescription(db::Table &lech_lekar)
{
    const bool yes = Dialogs::instance().ask(QStringLiteral("Вы уверены что хотите удалить это лечение?"),
                                             QStringLiteral("Внимание!"));
    if (yes && !lech_lekar.isEmpty())
        lech_lekar.deleteRecord();
    if (lech_lekar.isEmpty()) {
        lech_lekar.insert();
        if (!lech_lekar.post() && lech_lekar.isEditing())
            lech_lekar.cancel();
    }
    return yes;
}

} // namespace pelorin::treatment
