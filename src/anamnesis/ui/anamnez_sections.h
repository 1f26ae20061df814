#pragma once

#include <QString>
#include <QWidget>

namespace pelorin::db {
class DM1;
class DM2;
} // namespace pelorin::db

// The contents of the main window's two anamnesis sections. Controls carry the names the main window's
// other parts and the tests know them by: the pick lists DBComboBox5, 21, 22, 6, 12, 11, 15, 16, 10, 13, 18,
// the summary memos DBMemo3..DBMemo7, the diagnosis edit DBEdit11 with "Поставить" (Button6).
namespace pelorin::anamnesis {

// "Анамнез болезни": anamnez_zab with the summaries of its five details and the admission diagnosis.
// "Рассчитать" is "Button_onset"; the "Выбрать" buttons are Button_zab_start, Button_zab_ranlech,
// Button_zab_obostr_prich, Button_zab_obostr_lech and Button_zab_zalobi; "Отсутствие ремиссии" is
// DBCheckBox_Remis.
class AnamnezZabSection : public QWidget
{
    Q_OBJECT

public:
    AnamnezZabSection(db::DM1 &dm1, db::DM2 &dm2, QWidget *parent = nullptr);

Q_SIGNALS:
    // A "Выбрать" button: the pick-list window of that name is to be shown.
    void windowRequested(const QString &windowName);
    // "Поставить": the quick diagnosis window is to be shown.
    void diagnosisRequested();

private:
    db::DM1 &m_dm1;
};

// "Анамнез жизни": the conditions of anamnez_life (DBCheckBox_Vrednie_privichki, DBRadioGroup_Bitovie,
// DBRadioGroup_Pitanie, DBCheckBox_Dom_zivotnie), the ten accompanying disease texts DBMemo_list1 ..
// DBMemo_list10 with Button_life_zab, and the family text DBMemo_sem with Button_life_sem.
class AnamnezLiveSection : public QWidget
{
    Q_OBJECT

public:
    explicit AnamnezLiveSection(db::DM1 &dm1, QWidget *parent = nullptr);

Q_SIGNALS:
    void windowRequested(const QString &windowName);
};

} // namespace pelorin::anamnesis
