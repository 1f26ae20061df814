#include "application.h"
#include "form1.h"
#include "summaries.h"
#include "wiring.h"

#include <QLayout>

namespace pelorin::app {

QDialog *createAnamnesisWindow(Application &, const QString &)
{
    return nullptr;
}

void wireAnamnesis(Application &app)
{
    Form1 *form = app.form1();
    db::DM1 &dm1 = *app.context().dm1;
    form->host(QStringLiteral("HostAnamnezZab"))->layout()->addWidget(summaryGrid(
        form, {{"Жалобы:", dm1.anamnez_zab_zalobi, "List"},
               {"Начало заболевания:", dm1.anamnez_zab_start, "List"},
               {"Ранее проводимое лечение:", dm1.anamnez_zab_ranlech, "List"},
               {"Провоцируют обострение:", dm1.anamnez_zab_obostr_prich, "List"},
               {"Лечение при последнем обострении:", dm1.anamnez_zab_obostr_lech, "List"}},
        2));
    QList<SummaryMemo> life;
    static const char *const lists[] = {"list1", "list2", "list3", "list4", "list5",
                                        "list6", "list7", "list8", "list9", "list10"};
    for (const char *l : lists)
        life.append({"Сопутствующие заболевания:", dm1.anamnez_life_zab, l});
    life.append({"Семейный анамнез:", dm1.anamnez_life_sem, "List"});
    form->host(QStringLiteral("HostAnamnezLive"))->layout()->addWidget(summaryGrid(form, life, 3));
}

} // namespace pelorin::app
