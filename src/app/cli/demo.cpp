#include "demo.h"

#include "clock.h"
#include "database.h"
#include "fieldvalue.h"
#include "puva_calc.h"
#include "schema.h"
#include "texts.h"

#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <span>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace pelorin::cli {

using db::FieldDef;
using db::FieldType;
using db::TableDef;

namespace {

// ---------------------------------------------------------------------------------------------
// Random choices. The distributions of <random> differ between standard libraries, so the
// numbers are drawn straight from the engine: the same seed gives the same data everywhere.

class Dice
{
public:
    explicit Dice(quint32 seed) : m_engine(seed) {}

    quint32 next() { return m_engine(); }
    // A whole number from lo to hi, both included.
    int between(int lo, int hi) { return lo + int(m_engine() % quint32(hi - lo + 1)); }
    bool chance(int percent) { return between(1, 100) <= percent; }
    template <typename T> const T &pick(std::span<const T> items)
    {
        return items[size_t(between(0, int(items.size()) - 1))];
    }
    // Up to count different items, in the order they stand in the list.
    template <typename T> std::vector<T> some(std::span<const T> items, int count)
    {
        std::vector<size_t> order(items.size());
        for (size_t i = 0; i < order.size(); ++i)
            order[i] = i;
        for (size_t i = order.size(); i > 1; --i)
            std::swap(order[i - 1], order[size_t(between(0, int(i) - 1))]);
        order.resize(std::min(order.size(), size_t(std::max(count, 0))));
        std::sort(order.begin(), order.end());
        std::vector<T> out;
        for (size_t i : order)
            out.push_back(items[i]);
        return out;
    }

private:
    std::mt19937 m_engine;
};

// ---------------------------------------------------------------------------------------------
// Texts the clinic would type or pick. Lists that the program ships in sourses/ are quoted
// from there, so that the pick lists of the windows know these values.

const QString kMale = QStringLiteral("Мужской");
const QString kFemale = QStringLiteral("Женский");

const QString kMaleNames[] = {
    QStringLiteral("Александр"),  QStringLiteral("Алексей"),  QStringLiteral("Андрей"),  QStringLiteral("Антон"),
    QStringLiteral("Артём"),      QStringLiteral("Борис"),    QStringLiteral("Вадим"),   QStringLiteral("Валерий"),
    QStringLiteral("Василий"),    QStringLiteral("Виктор"),   QStringLiteral("Виталий"), QStringLiteral("Владимир"),
    QStringLiteral("Вячеслав"),   QStringLiteral("Геннадий"), QStringLiteral("Георгий"), QStringLiteral("Григорий"),
    QStringLiteral("Денис"),      QStringLiteral("Дмитрий"),  QStringLiteral("Евгений"), QStringLiteral("Егор"),
    QStringLiteral("Иван"),       QStringLiteral("Игорь"),    QStringLiteral("Илья"),    QStringLiteral("Кирилл"),
    QStringLiteral("Константин"), QStringLiteral("Леонид"),   QStringLiteral("Максим"),  QStringLiteral("Михаил"),
    QStringLiteral("Никита"),     QStringLiteral("Николай"),  QStringLiteral("Олег"),    QStringLiteral("Павел"),
    QStringLiteral("Пётр"),       QStringLiteral("Роман"),    QStringLiteral("Руслан"),  QStringLiteral("Сергей"),
    QStringLiteral("Станислав"),  QStringLiteral("Степан"),   QStringLiteral("Тимофей"), QStringLiteral("Фёдор"),
    QStringLiteral("Юрий"),       QStringLiteral("Ярослав"),
};

const QString kFemaleNames[] = {
    QStringLiteral("Александра"), QStringLiteral("Алина"),     QStringLiteral("Алла"),     QStringLiteral("Анастасия"),
    QStringLiteral("Анна"),       QStringLiteral("Валентина"), QStringLiteral("Валерия"),  QStringLiteral("Вера"),
    QStringLiteral("Виктория"),   QStringLiteral("Галина"),    QStringLiteral("Дарья"),    QStringLiteral("Евгения"),
    QStringLiteral("Екатерина"),  QStringLiteral("Елена"),     QStringLiteral("Жанна"),    QStringLiteral("Зинаида"),
    QStringLiteral("Зоя"),        QStringLiteral("Ирина"),     QStringLiteral("Карина"),   QStringLiteral("Кристина"),
    QStringLiteral("Ксения"),     QStringLiteral("Лариса"),    QStringLiteral("Любовь"),   QStringLiteral("Людмила"),
    QStringLiteral("Маргарита"),  QStringLiteral("Марина"),    QStringLiteral("Мария"),    QStringLiteral("Надежда"),
    QStringLiteral("Наталья"),    QStringLiteral("Нина"),      QStringLiteral("Оксана"),   QStringLiteral("Ольга"),
    QStringLiteral("Полина"),     QStringLiteral("Раиса"),     QStringLiteral("Светлана"), QStringLiteral("София"),
    QStringLiteral("Тамара"),     QStringLiteral("Татьяна"),   QStringLiteral("Юлия"),     QStringLiteral("Яна"),
};

struct Patronymic
{
    QString male;
    QString female;
};

const Patronymic kPatronymics[] = {
    {QStringLiteral("Александрович"), QStringLiteral("Александровна")},
    {QStringLiteral("Алексеевич"), QStringLiteral("Алексеевна")},
    {QStringLiteral("Анатольевич"), QStringLiteral("Анатольевна")},
    {QStringLiteral("Андреевич"), QStringLiteral("Андреевна")},
    {QStringLiteral("Борисович"), QStringLiteral("Борисовна")},
    {QStringLiteral("Васильевич"), QStringLiteral("Васильевна")},
    {QStringLiteral("Викторович"), QStringLiteral("Викторовна")},
    {QStringLiteral("Владимирович"), QStringLiteral("Владимировна")},
    {QStringLiteral("Геннадьевич"), QStringLiteral("Геннадьевна")},
    {QStringLiteral("Григорьевич"), QStringLiteral("Григорьевна")},
    {QStringLiteral("Дмитриевич"), QStringLiteral("Дмитриевна")},
    {QStringLiteral("Евгеньевич"), QStringLiteral("Евгеньевна")},
    {QStringLiteral("Иванович"), QStringLiteral("Ивановна")},
    {QStringLiteral("Игоревич"), QStringLiteral("Игоревна")},
    {QStringLiteral("Ильич"), QStringLiteral("Ильинична")},
    {QStringLiteral("Константинович"), QStringLiteral("Константиновна")},
    {QStringLiteral("Кузьмич"), QStringLiteral("Кузьминична")},
    {QStringLiteral("Леонидович"), QStringLiteral("Леонидовна")},
    {QStringLiteral("Михайлович"), QStringLiteral("Михайловна")},
    {QStringLiteral("Николаевич"), QStringLiteral("Николаевна")},
    {QStringLiteral("Олегович"), QStringLiteral("Олеговна")},
    {QStringLiteral("Павлович"), QStringLiteral("Павловна")},
    {QStringLiteral("Петрович"), QStringLiteral("Петровна")},
    {QStringLiteral("Романович"), QStringLiteral("Романовна")},
    {QStringLiteral("Сергеевич"), QStringLiteral("Сергеевна")},
    {QStringLiteral("Степанович"), QStringLiteral("Степановна")},
    {QStringLiteral("Фёдорович"), QStringLiteral("Фёдоровна")},
    {QStringLiteral("Юрьевич"), QStringLiteral("Юрьевна")},
    {QStringLiteral("Ярославович"), QStringLiteral("Ярославовна")},
};

// Surnames in their masculine form, grouped by the letter of the alphabet tab they fall under;
// every tab of the patient list from "А" to "Я" has at least one.
const QString kSurnames[][9] = {
    {QStringLiteral("Абрамов"), QStringLiteral("Алексеев"), QStringLiteral("Андреев"), QStringLiteral("Антонов"),
     QStringLiteral("Афанасьев"), QStringLiteral("Агеев")},
    {QStringLiteral("Баранов"), QStringLiteral("Белов"), QStringLiteral("Беляев"), QStringLiteral("Богданов"),
     QStringLiteral("Борисов"), QStringLiteral("Быков"), QStringLiteral("Блинов")},
    {QStringLiteral("Васильев"), QStringLiteral("Виноградов"), QStringLiteral("Волков"), QStringLiteral("Воробьёв"),
     QStringLiteral("Воронин"), QStringLiteral("Веселов")},
    {QStringLiteral("Гаврилов"), QStringLiteral("Герасимов"), QStringLiteral("Голубев"), QStringLiteral("Горбунов"),
     QStringLiteral("Григорьев"), QStringLiteral("Гусев")},
    {QStringLiteral("Давыдов"), QStringLiteral("Данилов"), QStringLiteral("Денисов"), QStringLiteral("Дмитриев"),
     QStringLiteral("Долгов"), QStringLiteral("Дорофеев")},
    {QStringLiteral("Егоров"), QStringLiteral("Ефимов"), QStringLiteral("Ершов"), QStringLiteral("Евдокимов"),
     QStringLiteral("Елисеев")},
    {QStringLiteral("Ёлкин"), QStringLiteral("Ёжиков"), QStringLiteral("Ёлшин")},
    {QStringLiteral("Жуков"), QStringLiteral("Жданов"), QStringLiteral("Журавлёв")},
    {QStringLiteral("Зайцев"), QStringLiteral("Захаров"), QStringLiteral("Зиновьев"), QStringLiteral("Зуев")},
    {QStringLiteral("Иванов"), QStringLiteral("Ильин"), QStringLiteral("Исаев"), QStringLiteral("Игнатьев")},
    {QStringLiteral("Калинин"), QStringLiteral("Карпов"), QStringLiteral("Киселёв"), QStringLiteral("Ковалёв"),
     QStringLiteral("Козлов"), QStringLiteral("Комаров"), QStringLiteral("Кудрявцев"), QStringLiteral("Кузнецов"),
     QStringLiteral("Куликов")},
    {QStringLiteral("Лазарев"), QStringLiteral("Лебедев"), QStringLiteral("Логинов"), QStringLiteral("Лукин"),
     QStringLiteral("Львов")},
    {QStringLiteral("Макаров"), QStringLiteral("Максимов"), QStringLiteral("Медведев"), QStringLiteral("Мельников"),
     QStringLiteral("Миронов"), QStringLiteral("Морозов")},
    {QStringLiteral("Назаров"), QStringLiteral("Никитин"), QStringLiteral("Никифоров"), QStringLiteral("Новиков"),
     QStringLiteral("Носков")},
    {QStringLiteral("Овчинников"), QStringLiteral("Орлов"), QStringLiteral("Осипов")},
    {QStringLiteral("Павлов"), QStringLiteral("Петров"), QStringLiteral("Поляков"), QStringLiteral("Попов"),
     QStringLiteral("Прохоров"), QStringLiteral("Пономарёв")},
    {QStringLiteral("Родионов"), QStringLiteral("Романов"), QStringLiteral("Рябов"), QStringLiteral("Рыбаков")},
    {QStringLiteral("Савельев"), QStringLiteral("Семёнов"), QStringLiteral("Сергеев"), QStringLiteral("Сидоров"),
     QStringLiteral("Смирнов"), QStringLiteral("Соловьёв"), QStringLiteral("Соколов"), QStringLiteral("Степанов")},
    {QStringLiteral("Тарасов"), QStringLiteral("Титов"), QStringLiteral("Тимофеев"), QStringLiteral("Тихонов"),
     QStringLiteral("Ткаченко")},
    {QStringLiteral("Уваров"), QStringLiteral("Ульянов"), QStringLiteral("Устинов")},
    {QStringLiteral("Фёдоров"), QStringLiteral("Филиппов"), QStringLiteral("Фомин"), QStringLiteral("Фролов")},
    {QStringLiteral("Хабаров"), QStringLiteral("Харитонов"), QStringLiteral("Хохлов")},
    {QStringLiteral("Цветков"), QStringLiteral("Царёв"), QStringLiteral("Цой")},
    {QStringLiteral("Чернов"), QStringLiteral("Чернышёв"), QStringLiteral("Чистяков")},
    {QStringLiteral("Шаров"), QStringLiteral("Шестаков"), QStringLiteral("Широков"), QStringLiteral("Шевчук")},
    {QStringLiteral("Щербаков"), QStringLiteral("Щукин"), QStringLiteral("Щеглов")},
    {QStringLiteral("Эминов"), QStringLiteral("Эфендиев"), QStringLiteral("Эйдельман")},
    {QStringLiteral("Юдин"), QStringLiteral("Юсупов"), QStringLiteral("Юрьев")},
    {QStringLiteral("Яковлев"), QStringLiteral("Якушев"), QStringLiteral("Яшин")},
};
constexpr int kSurnameLetters = int(std::size(kSurnames));

int surnamesOfLetter(int letter)
{
    int n = 0;
    while (n < 9 && !kSurnames[letter][n].isEmpty())
        ++n;
    return n;
}

QString surnameFor(const QString &masculine, bool female)
{
    if (!female)
        return masculine;
    static const QString feminineAddsA[] = {QStringLiteral("ов"), QStringLiteral("ев"), QStringLiteral("ёв"),
                                            QStringLiteral("ин"), QStringLiteral("ын")};
    for (const QString &ending : feminineAddsA) {
        if (masculine.endsWith(ending))
            return masculine + QStringLiteral("а");
    }
    if (masculine.endsWith(QStringLiteral("ский")) || masculine.endsWith(QStringLiteral("цкий")))
        return masculine.chopped(2) + QStringLiteral("ая");
    return masculine; // Ткаченко, Шевчук, Цой, Эйдельман do not change
}

struct Place
{
    QString region;
    QString town;
    int postIndex;
    QString passportOffice;
    QString passportCode;
};

// The clinic serves its own region first of all.
const Place kPlaces[] = {
    {QStringLiteral("Тульская область"), QStringLiteral("Тула"), 300000,
     QStringLiteral("ОВД Центрального р-на г. Тулы"), QStringLiteral("712-001")},
    {QStringLiteral("Тульская область"), QStringLiteral("Тула"), 300000,
     QStringLiteral("ОУФМС России по Тульской обл."), QStringLiteral("710-001")},
    {QStringLiteral("Тульская область"), QStringLiteral("Новомосковск"), 301650, QStringLiteral("ОВД г. Новомосковска"),
     QStringLiteral("712-015")},
    {QStringLiteral("Тульская область"), QStringLiteral("Алексин"), 301360, QStringLiteral("ОВД г. Алексина"),
     QStringLiteral("712-009")},
    {QStringLiteral("Тульская область"), QStringLiteral("Щёкино"), 301240, QStringLiteral("ОВД Щёкинского р-на"),
     QStringLiteral("712-026")},
    {QStringLiteral("Тульская область"), QStringLiteral("Узловая"), 301600, QStringLiteral("ОВД Узловского р-на"),
     QStringLiteral("712-022")},
    {QStringLiteral("Тульская область"), QStringLiteral("Ефремов"), 301840, QStringLiteral("ОВД г. Ефремова"),
     QStringLiteral("712-013")},
    {QStringLiteral("Московская область"), QStringLiteral("Серпухов"), 142200, QStringLiteral("ОВД г. Серпухова"),
     QStringLiteral("502-040")},
    {QStringLiteral("Москва"), QStringLiteral("Москва"), 115000, QStringLiteral("ОВД района Царицыно г. Москвы"),
     QStringLiteral("772-089")},
    {QStringLiteral("Калужская область"), QStringLiteral("Калуга"), 248000,
     QStringLiteral("ОВД Ленинского округа г. Калуги"), QStringLiteral("402-001")},
    {QStringLiteral("Орловская область"), QStringLiteral("Орёл"), 302000, QStringLiteral("ОВД Советского р-на г. Орла"),
     QStringLiteral("572-003")},
    {QStringLiteral("Рязанская область"), QStringLiteral("Рязань"), 390000,
     QStringLiteral("ОВД Советского округа г. Рязани"), QStringLiteral("622-004")},
    {QStringLiteral("Липецкая область"), QStringLiteral("Липецк"), 398000, QStringLiteral("ОВД Правобережного округа"),
     QStringLiteral("482-007")},
};

const QString kStreets[] = {
    QStringLiteral("ул. Ленина"),      QStringLiteral("ул. Советская"),  QStringLiteral("пр. Ленина"),
    QStringLiteral("ул. Мира"),        QStringLiteral("ул. Пушкинская"), QStringLiteral("ул. Гагарина"),
    QStringLiteral("ул. Октябрьская"), QStringLiteral("ул. Садовая"),    QStringLiteral("ул. Луначарского"),
    QStringLiteral("ул. Кирова"),      QStringLiteral("ул. Жуковского"), QStringLiteral("ул. Металлургов"),
};

struct Job
{
    QString profession; // from profess.txt
    QString position;
};

const Job kJobs[] = {
    {QStringLiteral("Инженер"), QStringLiteral("инженер-конструктор")},
    {QStringLiteral("Врач"), QStringLiteral("врач-терапевт")},
    {QStringLiteral("Учитель"), QStringLiteral("учитель математики")},
    {QStringLiteral("Бухгалтер"), QStringLiteral("главный бухгалтер")},
    {QStringLiteral("Водитель"), QStringLiteral("водитель")},
    {QStringLiteral("Слесарь"), QStringLiteral("слесарь-ремонтник")},
    {QStringLiteral("Продавец"), QStringLiteral("продавец-консультант")},
    {QStringLiteral("Менеджер"), QStringLiteral("менеджер по продажам")},
    {QStringLiteral("Программист"), QStringLiteral("ведущий программист")},
    {QStringLiteral("Медицинская сестра"), QStringLiteral("процедурная медсестра")},
    {QStringLiteral("Электрик"), QStringLiteral("электромонтёр")},
    {QStringLiteral("Повар"), QStringLiteral("повар")},
    {QStringLiteral("Экономист"), QStringLiteral("экономист")},
    {QStringLiteral("Служащий"), QStringLiteral("специалист")},
    {QStringLiteral("Рабочий"), QStringLiteral("оператор линии")},
    {QStringLiteral("Охранник"), QStringLiteral("охранник")},
    {QStringLiteral("Предприниматель"), QStringLiteral("директор")},
    {QStringLiteral("Строитель"), QStringLiteral("каменщик")},
};

const QString kEmployers[] = {
    QStringLiteral("АО «Тулачермет»"),   QStringLiteral("АО «КБП»"),        QStringLiteral("ГУЗ ГБ №3"),
    QStringLiteral("МБОУ СОШ №12"),      QStringLiteral("ПАО «Сбербанк»"),  QStringLiteral("ООО «Вектор»"),
    QStringLiteral("ООО «Стройинвест»"), QStringLiteral("АО «Щёкиноазот»"), QStringLiteral("ООО «Тульский хлеб»"),
    QStringLiteral("ИП Соколов"),
};

// vrach.txt
const QString kDoctors[] = {
    QStringLiteral("Иванова Н.П."),   QStringLiteral("Петров С.А."),  QStringLiteral("Смирнова Е.В."),
    QStringLiteral("Кузнецова О.И."), QStringLiteral("Соколов А.М."), QStringLiteral("Волкова Т.Г."),
};

const QString kInsurers[] = {
    QStringLiteral("СОГАЗ-Мед"), QStringLiteral("Капитал МС"),           QStringLiteral("Ингосстрах-М"),
    QStringLiteral("РЕСО-Мед"),  QStringLiteral("АльфаСтрахование-ОМС"),
};

// ust_name.txt, power.txt, fotosens.txt
const QString kUnits[] = {
    QStringLiteral("UV 7001 K"), QStringLiteral("UV 5040"),   QStringLiteral("П-54"),
    QStringLiteral("Кабина №1"), QStringLiteral("Кабина №2"),
};
const int kPowers[] = {15, 18, 20, 22, 25, 28, 30, 32, 35, 38, 40, 45};
const QString kAmmifurin = QStringLiteral("Аммифурин");
const QString kOxoralen = QStringLiteral("Оксорален");
const QString kMethoxsalen = QStringLiteral("Метоксален");

// Lower case where the unit pick lists of the anamnesis are cut to their field's width on storing.
const QString kWeeks = QStringLiteral("недель(я\\и)");
const QString kMonths = QStringLiteral("месяц(а\\ев)");
const QString kYears = QStringLiteral("год(а)\\лет");
const QString kTreatmentResults[] = {QStringLiteral("не отмечается"), QStringLiteral("кратковременный"),
                                     QStringLiteral("стойкий положительный")};

struct Prescription
{
    QString drug;
    QString use;
    bool local;  // from the section "Местное лечение": written as "Наружно: " + drug
    int disease; // 0 both, 1 psoriasis, 2 atopic dermatitis
};

// Nodes of lekar.txt.
const Prescription kPrescriptions[] = {
    {QStringLiteral("Лоратадин 10 мг"), QStringLiteral("по 1 таб. 1 раз в день 10 дней"), false, 2},
    {QStringLiteral("Цетиризин 10 мг"), QStringLiteral("по 1 таб. 1 раз в день вечером 10 дней"), false, 2},
    {QStringLiteral("Дезлоратадин 5 мг"), QStringLiteral("по 1 таб. 1 раз в день 14 дней"), false, 0},
    {QStringLiteral("Хлоропирамин (Супрастин) 25 мг"), QStringLiteral("по 1 таб. 2 раза в день 7 дней"), false, 2},
    {QStringLiteral("Эссенциале форте Н"), QStringLiteral("по 2 капс. 3 раза в день во время еды 1 месяц"), false, 1},
    {QStringLiteral("Энтеросгель"), QStringLiteral("по 1 ст. л. 3 раза в день за 1,5 часа до еды 10 дней"), false, 0},
    {QStringLiteral("Аевит"), QStringLiteral("по 1 капс. 1 раз в день 30 дней"), false, 1},
    {QStringLiteral("Афобазол 10 мг"), QStringLiteral("по 1 таб. 3 раза в день после еды 1 месяц"), false, 0},
    {QStringLiteral("Натрия тиосульфат 30% - 10 мл"), QStringLiteral("10 мл в/в медленно ежедневно № 10"), false, 0},
    {QStringLiteral("Мильгамма 2 мл"), QStringLiteral("2 мл в/м через день № 10"), false, 1},
    {QStringLiteral("Адвантан крем 0,1%"), QStringLiteral("наносить тонким слоем 1 раз в день на очаги 2 недели"), true,
     2},
    {QStringLiteral("Элоком лосьон 0,1%"), QStringLiteral("на очаги волосистой части головы 1 раз в день 2 недели"),
     true, 1},
    {QStringLiteral("Белосалик мазь"), QStringLiteral("наносить тонким слоем 2 раза в день на очаги 3 недели"), true,
     1},
    {QStringLiteral("Салициловая мазь 2%"), QStringLiteral("наносить на очаги 2 раза в день"), true, 1},
    {QStringLiteral("Дайвонекс мазь (кальципотриол)"),
     QStringLiteral("наносить на очаги 1 раз в день вечером после процедуры ПУВА"), true, 1},
    {QStringLiteral("Вазелин медицинский"), QStringLiteral("наносить на очаги за 30 минут до процедуры ПУВА"), true, 1},
    {QStringLiteral("Эмолиум крем"),
     QStringLiteral("наносить на всю поверхность кожи 2 раза в день и после водных процедур"), true, 2},
    {QStringLiteral("Атодерм крем"), QStringLiteral("наносить на всю поверхность кожи 2 раза в день"), true, 2},
    {QStringLiteral("Элидел крем 1%"), QStringLiteral("наносить тонким слоем 2 раза в день на очаги лица и шеи"), true,
     2},
    {QStringLiteral("Нафталановая мазь 10%"), QStringLiteral("наносить на очаги 1-2 раза в день 2 недели"), true, 1},
};

// Body locations of the lesion elements where each disease typically shows.
const char *const kPsoriasisSites[] = {"A332", "A334", "A442", "A444", "A131", "A133", "A134", "A136",
                                       "A141", "A241", "A252", "A253", "A312", "A314", "A322", "A324",
                                       "A412", "A414", "A422", "A424", "A222", "A223", "A244", "A245"};
const char *const kDermatitisSites[] = {"A331", "A333", "A441", "A443", "A341", "A343", "A113", "A124", "A212",
                                        "A213", "A214", "A351", "A352", "A162", "A164", "A451", "A453", "A232"};

// ---------------------------------------------------------------------------------------------
// A record to be written: field names of the table and their values in the in-memory forms
// of the dataset engine (QDate, bool, numbers, text); blank fields are simply left out.

struct Row
{
    std::vector<std::pair<const char *, QVariant>> values;

    void set(const char *field, const QVariant &value) { values.emplace_back(field, value); }
    void tick(const char *field) { set(field, true); }
    void setIfNotEmpty(const char *field, const QString &text)
    {
        if (!text.isEmpty())
            set(field, text);
    }
};

// One prepared INSERT per table, reused for every record of that table. Its column list holds
// every stored field except the AutoInc key, so each record is written whole; the fields a
// record does not set get the value a freshly created record of that table has. The query keeps
// its bound values from one record to the next, so only the columns that differ are bound again:
// binding is what costs most on the wide examination and element tables.
class TableWriter
{
public:
    bool prepare(QSqlDatabase &db, const TableDef &def, bool booleansStartFalse, QString *error)
    {
        m_def = &def;
        QStringList columns;
        QStringList marks;
        for (const FieldDef &f : def.fields) {
            if (f.calculated || f.type == FieldType::AutoInc)
                continue;
            m_index.emplace(std::string_view(f.name), int(m_columns.size()));
            m_columns.push_back(&f);
            columns << db::quoteIdentifier(QString::fromLatin1(f.name));
            marks << QStringLiteral("?");
            const bool startsFalse = booleansStartFalse && f.type == FieldType::Boolean;
            m_blank.push_back(db::toStorage(f.type, startsFalse ? QVariant(false) : QVariant()));
        }
        m_stale.assign(m_columns.size(), false);
        m_query = QSqlQuery(db);
        m_query.setForwardOnly(true);
        const QString sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                .arg(db::quoteIdentifier(QString::fromLatin1(def.sqlName)),
                                     columns.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
        if (!m_query.prepare(sql)) {
            *error = QStringLiteral("Не удалось подготовить запись в таблицу %1: %2")
                         .arg(QString::fromLatin1(def.sqlName), db::describeEngineError(m_query.lastError().text()));
            return false;
        }
        for (size_t i = 0; i < m_blank.size(); ++i)
            m_query.bindValue(int(i), m_blank[i]);
        return true;
    }

    // Writes the record; newKey receives the AutoInc key the database gave it.
    bool write(const Row &row, qint64 *newKey, QString *error)
    {
        for (int column : m_lastSet)
            m_stale[size_t(column)] = true;
        m_set.clear();
        for (const auto &[name, value] : row.values) {
            const auto it = m_index.find(std::string_view(name));
            if (it == m_index.end()) {
                *error = QStringLiteral("В таблице %1 нет поля %2.")
                             .arg(QString::fromLatin1(m_def->sqlName), QString::fromLatin1(name));
                return false;
            }
            const int column = it->second;
            const FieldDef &f = *m_columns[size_t(column)];
            bool ok = true;
            const QVariant normal = db::normalizeValue(f.type, f.width, value, &ok);
            if (!ok) {
                *error = QStringLiteral("Значение «%1» не подходит полю %2 таблицы %3.")
                             .arg(value.toString(), QString::fromLatin1(name), QString::fromLatin1(m_def->sqlName));
                return false;
            }
            m_query.bindValue(column, db::toStorage(f.type, normal));
            m_stale[size_t(column)] = false;
            m_set.push_back(column);
        }
        for (int column : m_lastSet) {
            if (m_stale[size_t(column)]) {
                m_query.bindValue(column, m_blank[size_t(column)]);
                m_stale[size_t(column)] = false;
            }
        }
        std::swap(m_set, m_lastSet);
        if (!m_query.exec()) {
            *error = QStringLiteral("Не удалось записать в таблицу %1: %2")
                         .arg(QString::fromLatin1(m_def->sqlName), db::describeEngineError(m_query.lastError().text()));
            return false;
        }
        if (newKey)
            *newKey = m_query.lastInsertId().toLongLong();
        ++m_written;
        return true;
    }

    qint64 written() const { return m_written; }

private:
    const TableDef *m_def = nullptr;
    QSqlQuery m_query;
    std::vector<const FieldDef *> m_columns;
    std::unordered_map<std::string_view, int> m_index;
    std::vector<QVariant> m_blank;
    std::vector<int> m_set;     // columns the record being written sets
    std::vector<int> m_lastSet; // columns the previous record set
    std::vector<bool> m_stale;
    qint64 m_written = 0;
};

// ---------------------------------------------------------------------------------------------
// The course of a patient's treatment in time: admissions, procedures, examinations, discharges.

QDate addWorkingDays(QDate date, int days)
{
    while (days > 0) {
        date = date.addDays(1);
        if (date.dayOfWeek() <= 5)
            --days;
    }
    return date;
}

QDate onWorkingDay(QDate date)
{
    while (date.dayOfWeek() > 5)
        date = date.addDays(1);
    return date;
}

struct Course
{
    QDate admission;
    QDate discharge; // blank while the course runs
    std::vector<QDate> procedures;
    std::vector<QDate> examinations; // the first on the day of admission, the last on the discharge
    bool running() const { return discharge.isNull(); }
};

enum class Status { InTreatment, RecentlyDischarged, Archived };

struct Timeline
{
    Status status = Status::Archived;
    std::vector<Course> courses;
    QDate registration() const { return courses.front().admission; }
};

Timeline makeTimeline(Dice &dice, const QDate &today, int recentDays)
{
    Timeline t;
    const int roll = dice.between(1, 100);
    t.status = roll <= 15 ? Status::InTreatment : roll <= 45 ? Status::RecentlyDischarged : Status::Archived;
    const int roll2 = dice.between(1, 100);
    const int courseCount = roll2 <= 45 ? 1 : roll2 <= 80 ? 2 : 3;

    // Built from an arbitrary Monday, then moved by whole weeks so that working days stay working days.
    QDate day(2001, 1, 1);
    for (int c = 0; c < courseCount; ++c) {
        Course course;
        course.admission = day;
        const bool running = t.status == Status::InTreatment && c == courseCount - 1;
        const int planned = dice.between(10, 25);
        // A running course is somewhere in its middle.
        const int done = running ? dice.between(3, planned - 1) : planned;
        QDate p = dice.chance(50) ? day : addWorkingDays(day, 1);
        for (int k = 0; k < done; ++k) {
            if (k > 0)
                p = addWorkingDays(p, dice.chance(40) ? 1 : 2);
            course.procedures.push_back(p);
        }
        course.examinations.push_back(course.admission);
        if (running) {
            if (done >= 4)
                course.examinations.push_back(course.procedures[size_t(done / 2)]);
            if (done >= 8 && dice.chance(50))
                course.examinations.push_back(course.procedures[size_t(done - 1)]);
        } else {
            course.discharge = dice.chance(50) ? p : addWorkingDays(p, 1);
            const int exams = dice.between(2, 4);
            for (int j = 1; j < exams - 1; ++j)
                course.examinations.push_back(course.procedures[size_t(j * (done - 1) / (exams - 1))]);
            course.examinations.push_back(course.discharge);
        }
        const QDate end = running ? p : course.discharge;
        t.courses.push_back(std::move(course));
        day = onWorkingDay(end.addDays(dice.between(120, 420)));
    }

    const Course &last = t.courses.back();
    const QDate end = last.running() ? last.procedures.back() : last.discharge;
    QDate target;
    switch (t.status) {
    case Status::InTreatment:
        target = today.addDays(-dice.between(0, 2));
        break;
    case Status::RecentlyDischarged:
        target = today.addDays(-dice.between(7, std::max(8, recentDays - 10)));
        break;
    case Status::Archived:
        target = today.addDays(-dice.between(recentDays + 1, recentDays + 2900));
        break;
    }
    const qint64 diff = end.daysTo(target);
    const qint64 weeks = diff >= 0 ? diff / 7 : -((-diff + 6) / 7);
    const qint64 shift = weeks * 7; // the end lands within the week up to the target, never after it
    for (Course &c : t.courses) {
        c.admission = c.admission.addDays(shift);
        if (!c.discharge.isNull())
            c.discharge = c.discharge.addDays(shift);
        for (QDate &d : c.procedures)
            d = d.addDays(shift);
        for (QDate &d : c.examinations)
            d = d.addDays(shift);
    }
    return t;
}

// ---------------------------------------------------------------------------------------------
// Texts the program derives and keeps in stored fields.

// The age category the card's button "Вычислить" stores: the difference of the years of
// registration and birth decides, the months only in the first year.
QString ageCategory(const QDate &born, const QDate &registered, const QDate &today)
{
    const int s = registered.year() - born.year();
    if (s < 0 || s > 110)
        return QStringLiteral("Неправильная дата рождения");
    if (s == 0) {
        const int m = today.month() - born.month();
        if (m == 0)
            return QStringLiteral("Новорожденный (менее 1 мес)");
        if (m >= 1 && m <= 3)
            return QStringLiteral("Грудной (1-3 месяцы)");
        if (m >= 4 && m <= 12)
            return QStringLiteral("Грудной (4-12 месяцы)");
        return {};
    }
    if (s <= 6)
        return QStringLiteral("Дошкольный (1-6 )");
    if (s <= 12)
        return QStringLiteral("Препубератный (7-12)");
    if (s <= 18)
        return QStringLiteral("Пубератный (13-18)");
    if (s <= 24)
        return QStringLiteral("Юность (19-24)");
    if (s <= 30)
        return QStringLiteral("Взрослый (25-30)");
    if (s <= 40)
        return QStringLiteral("Взрослый (31-40)");
    if (s <= 50)
        return QStringLiteral("Взрослый (41-50)");
    if (s <= 60)
        return QStringLiteral("Взрослый (51-60)");
    return QStringLiteral("Пенсионер (более 60)");
}

// The onset pick list item for the age at which the disease began.
QString onsetText(int years)
{
    if (years <= 0)
        return QStringLiteral("на первом году жизни");
    if (years <= 2)
        return QStringLiteral("от 1 до 3 лет");
    if (years <= 4)
        return QStringLiteral("от 3 до 5 лет");
    if (years <= 7)
        return QStringLiteral("от 5 до 7 лет");
    if (years <= 10)
        return QStringLiteral("от 8 до 10 лет");
    if (years <= 15)
        return QStringLiteral("от 11 до 16 лет");
    if (years <= 19)
        return QStringLiteral("от 16 до 20 лет");
    if (years <= 29)
        return QStringLiteral("от 20 до 30 лет");
    if (years <= 39)
        return QStringLiteral("от 30 до 40 лет");
    if (years <= 49)
        return QStringLiteral("от 40 до 50 лет");
    if (years <= 59)
        return QStringLiteral("от 50 до 60 лет");
    return QStringLiteral("позднее 60 лет");
}

// What a diagnosis event says; the documents read this sentence from the stored copy Text1,
// which the diagnosis window writes on every post.
struct Diagnosis
{
    std::vector<const char *> ticked;
    int severity = 0; // field "30"
    int effect = 0;   // field "40"
    QString other;    // C1

    bool on(const char *field) const
    {
        return std::any_of(ticked.begin(), ticked.end(),
                           [field](const char *t) { return std::string_view(t) == field; });
    }

    QString sentence() const
    {
        auto block = [this](std::initializer_list<std::pair<const char *, const char16_t *>> phrases) {
            QString b;
            for (const auto &[field, phrase] : phrases)
                text::appendIf(b, on(field), QString::fromUtf16(phrase));
            return b;
        };
        QString w;
        QString pso;
        text::appendIf(pso, on("A1_1"), QStringLiteral("фолликулярня форма, "));
        text::appendIf(pso, on("A1_2"), QStringLiteral("каплевидная форма, "));
        text::appendIf(pso, on("A1_3") && on("12"), QStringLiteral("распространенно - бляшечная форма, "));
        text::appendIf(pso, on("A1_3") && !on("12"), QStringLiteral("бляшечная форма, "));
        pso += block({{"A1_4", u"экссудативная форма, "},
                      {"A1_5", u"себорейная форма, "},
                      {"A1_6", u"эритродермическая форма, "},
                      {"A1_7", u"артропатическая форма, "},
                      {"A1_8", u"пустулезная форма, "},
                      {"A1_9", u"ладоней и подошв, "},
                      {"A1_10", u"ногтей, "},
                      {"A1_11", u"волосистой части головы, "},
                      {"A1_12", u"складок, "}});
        if (!pso.isEmpty())
            w += QStringLiteral("псориаз, ") + pso;
        else if (on("B1"))
            w += QStringLiteral("псориаз, ");
        const QString ad = block({{"B1_1", u"экссудативная  форма, "},
                                  {"B1_2", u"эритерматозно-сквамозная  форма, "},
                                  {"B1_3", u"эритерматозно-сквамозная  форма с лихенификацией, "},
                                  {"B1_4", u"лихеноидная  форма, "},
                                  {"B1_5", u"пругигоподобная  форма, "}});
        if (!ad.isEmpty())
            w += QStringLiteral("атопический дерматит, ") + ad;
        else if (on("B2"))
            w += QStringLiteral("атопический дерматит, ");
        QString spread;
        const QString sites = block({{"111", u"волосистой части головы, "},
                                     {"112", u"ладоней, "},
                                     {"113", u"подошв, "},
                                     {"114", u"ногтей, "},
                                     {"115", u"складок, "},
                                     {"116", u"коленных суставов, "},
                                     {"117", u"локтевых суставов, "},
                                     {"118", u"лица, "},
                                     {"119", u"шеи, "},
                                     {"1110", u"стоп, "},
                                     {"1111", u"кистей рук, "}});
        if (!sites.isEmpty())
            spread = QStringLiteral("локализованный ( ") + sites.chopped(2) + QStringLiteral(" ), ");
        text::appendIf(spread, on("12") && !on("A1_3"), QStringLiteral("распространенный, "));
        text::appendIf(spread, on("13"), QStringLiteral("диффузный, "));
        w += spread;
        const QString stage = block({{"21", u"стадия обострения, "},
                                     {"22", u"стадия подострая, "},
                                     {"23", u"хроническая стадия, "},
                                     {"24", u"стационарная стадия, "},
                                     {"25", u"стадия регресса высыпаний, "},
                                     {"26", u"стадия ремиссии, "}});
        if (!stage.isEmpty())
            w += QLatin1Char(' ') + stage;
        static const QString severities[] = {QStringLiteral("лёгкое течение, "), QStringLiteral("средней тяжести, "),
                                             QStringLiteral("тяжелое течение, ")};
        if (severity >= 1 && severity <= 3)
            w += severities[severity - 1];
        static const QString effects[] = {QStringLiteral("клиническое выздоровление. "),
                                          QStringLiteral("значительное улучшение. "), QStringLiteral("улучшение. "),
                                          QStringLiteral("без улучшения. ")};
        if (effect >= 1 && effect <= 4)
            w += effects[effect - 1];
        if (!w.isEmpty())
            w = text::closeList(w);
        if (!other.isEmpty()) {
            if (!on("B1") && !on("B2")) {
                w = other + QLatin1Char(' ') + w;
            } else {
                if (w.size() >= 2)
                    w[w.size() - 2] = QLatin1Char(';');
                w += other + QLatin1Char('.');
            }
        }
        return text::cutToWidth(w, 300);
    }
};

// ---------------------------------------------------------------------------------------------
// One patient with everything that belongs to him, before it is written.

struct Examination
{
    QDate date;
    Row row;
    std::vector<Row> elements;
};

struct Procedure
{
    QDate date;
    int course = 0;
    int number = 0;
    int dose = 0;
    QString linkedExamination; // Osmotr
    Row row;
};

struct Patient
{
    Row reg;
    std::vector<Row> anamnesis; // in the order of kAnamnesisTables
    std::vector<Row> admissions;
    std::vector<Examination> examinations;
    std::vector<Procedure> procedures;
    std::vector<Row> diagnoses;
    std::vector<Row> bloodTests;
    std::vector<Row> prescriptions;
    std::vector<Row> recommendations;
};

const char *const kAnamnesisTables[] = {"anamnez_zab",
                                        "anamnez_zab_start",
                                        "anamnez_zab_ranlech",
                                        "anamnez_zab_obostr_prich",
                                        "anamnez_zab_obostr_lech",
                                        "anamnez_zab_zalobi",
                                        "anamnez_life",
                                        "anamnez_life_zab",
                                        "anamnez_life_sem"};

// What stays the same for the patient through all his courses.
struct Traits
{
    bool female = false;
    bool psoriasis = true;
    int severity = 2; // 1 mild .. 3 severe
    int age = 30;     // at registration
    double weight = 70;
    QString unit;
    int power = 25;
    QString sensitiser;
    int tablets = 0;
    QString therapy;
};

template <size_t N> void tickSome(Dice &dice, Row &row, const char *const (&fields)[N], int lo, int hi)
{
    for (const char *f : dice.some(std::span<const char *const>(fields), dice.between(lo, hi)))
        row.tick(f);
}

void makeAnamnesis(Dice &dice, const Traits &tr, Patient &p)
{
    // The disease began this many years before the first admission.
    const int sinceOnset = tr.psoriasis ? dice.between(1, std::max(1, std::min(tr.age - 3, 30)))
                                        : std::max(1, tr.age - dice.between(0, std::min(tr.age - 1, 6)));
    Row zab;
    zab.set("Zalobi", onsetText(tr.age - sinceOnset));
    zab.set("NachZabCount", std::min(sinceOnset, 99));
    zab.set("NachZabText", kYears);
    const bool noRemission = dice.chance(10);
    zab.set("Remis", noRemission);
    if (!noRemission) {
        zab.set("Prodolz_remis_ot_ind", dice.between(1, 3));
        zab.set("Prodolz_remis_ot_name", kMonths);
        zab.set("Prodolz_remis_do_ind", dice.between(4, 12));
        zab.set("Prodolz_remis_do_name", kMonths);
    }
    zab.set("Ran_lech_rez", dice.pick(std::span<const QString>(kTreatmentResults)));
    zab.set("Posl_obostr_rez", dice.pick(std::span<const QString>(kTreatmentResults)));
    zab.set("Posl_obostr_ind", dice.between(1, 6));
    zab.set("Posl_obostr_name", dice.chance(70) ? kWeeks : kMonths);
    p.anamnesis.push_back(std::move(zab));

    static const char *const triggersPso[] = {"A1_1", "A1_4", "A1_9", "A1_10", "A1_11", "A1_13"};
    static const char *const triggersAd[] = {
        "Allerg_eda", "Allerg_zivotnie", "Allerg_pil", "Allerg_piltsa", "A1_1", "A1_5", "A1_6",
        "A1_7",       "A1_11",           "A1_13"};
    Row start;
    if (tr.psoriasis && dice.chance(25)) {
        start.tick("A1_15"); // "ни с чем не связывает"
    } else if (tr.psoriasis) {
        tickSome(dice, start, triggersPso, 1, 2);
    } else {
        tickSome(dice, start, triggersAd, 1, 3);
    }
    p.anamnesis.push_back(std::move(start));

    Row earlier;
    if (dice.chance(15)) {
        earlier.tick("Lech"); // "не проводилось"
    } else {
        static const char *const methods[] = {"A2_3_3", "A2_3_4", "A2_4_1", "A2_5_1", "A2_1_2", "A2_2_1", "A2_3_1"};
        earlier.tick(dice.chance(30) ? "A1_1" : "A1_2");
        if (tr.psoriasis && dice.chance(40))
            earlier.tick("A2_1_1"); // PUVA before
        tickSome(dice, earlier, methods, 1, 2);
    }
    p.anamnesis.push_back(std::move(earlier));

    static const char *const provokersPso[] = {"A1_1", "A1_4", "A1_9", "A1_10", "A1_11"};
    static const char *const provokersAd[] = {
        "Allerg_eda", "Allerg_pil", "Allerg_zivotnie", "A1_1", "A1_5", "A1_6", "A1_7", "A1_8", "A1_11"};
    Row provoked;
    if (tr.psoriasis)
        tickSome(dice, provoked, provokersPso, 1, 3);
    else
        tickSome(dice, provoked, provokersAd, 1, 3);
    if (tr.female && dice.chance(5))
        provoked.tick("A1_15"); // "роды"
    p.anamnesis.push_back(std::move(provoked));

    static const char *const lastTreatmentPso[] = {"A2_3_1", "A4_1", "A4_2", "A4_4", "A4_6", "A2_5_1", "A3_4"};
    static const char *const lastTreatmentAd[] = {"A2_1_1", "A2_1_2", "A2_2_1", "A4_1", "A4_8", "A5_4", "A5_5"};
    Row lastTreatment;
    if (dice.chance(10))
        lastTreatment.tick("Lech");
    else if (tr.psoriasis)
        tickSome(dice, lastTreatment, lastTreatmentPso, 1, 3);
    else
        tickSome(dice, lastTreatment, lastTreatmentAd, 1, 3);
    p.anamnesis.push_back(std::move(lastTreatment));

    static const char *const rashSites[] = {"A2_8", "A2_9", "A2_10", "A2_11"};
    Row complaints;
    tickSome(dice, complaints, rashSites, 1, 3);
    if (tr.psoriasis) {
        complaints.tick("A2_5"); // шелушение
        if (dice.chance(50))
            complaints.tick("A2_3");
        if (dice.chance(15))
            complaints.tick("A3_1"); // joints
        if (dice.chance(10))
            complaints.tick("A3_2"); // nails
    } else {
        complaints.tick("A2_3"); // зуд
        complaints.tick("A1_4"); // сухость
        if (dice.chance(40))
            complaints.tick("A3_5"); // sleep
        if (dice.chance(30))
            complaints.tick("A2_7");
    }
    p.anamnesis.push_back(std::move(complaints));

    Row life;
    life.set("Pitanie", dice.chance(tr.psoriasis ? 90 : 40));
    life.set("Vrednie_privichki", tr.age >= 16 && dice.chance(30));
    life.set("Bitovie", dice.chance(85));
    life.set("Dom_zivotnie", dice.chance(40));
    p.anamnesis.push_back(std::move(life));

    static const char *const accompanying[] = {"A1_1", "A2_1", "A3_1", "A3_3", "A3_6", "A3_8", "A4_1", "A6_3", "A7_3"};
    static const char *const atopic[] = {"A9_1", "A9_2", "A9_3", "A9_4", "A12_1", "A12_2", "A12_5"};
    Row lifeDiseases;
    tickSome(dice, lifeDiseases, accompanying, 0, 2);
    if (!tr.psoriasis)
        tickSome(dice, lifeDiseases, atopic, 1, 2);
    if (dice.chance(15)) {
        lifeDiseases.tick("A5_1");
        lifeDiseases.set("A5_1_1", dice.between(2, 3));
        lifeDiseases.set("A5_1_2", dice.between(4, 6));
    }
    if (dice.chance(20))
        lifeDiseases.tick("Travm");
    p.anamnesis.push_back(std::move(lifeDiseases));

    // Relatives: disease digit d (1 psoriasis ... 6 atopic dermatitis), relative digit r.
    Row family;
    if (dice.chance(tr.psoriasis ? 35 : 45)) {
        static const char *const psoriasisRelatives[] = {"A10", "A13", "A14", "A16", "A17"};
        static const char *const atopicRelatives[] = {"A20", "A23", "A30", "A50", "A60", "A63", "A66"};
        if (tr.psoriasis)
            tickSome(dice, family, psoriasisRelatives, 1, 2);
        else
            tickSome(dice, family, atopicRelatives, 1, 2);
    }
    if (tr.psoriasis && dice.chance(5))
        family.set("Other", QStringLiteral("среди родственников есть больные псориазом"));
    p.anamnesis.push_back(std::move(family));
}

// Severity scores of one examination; progress runs from 0 at admission to 1 at discharge.
int eased(int start, double progress, double strength)
{
    return int(std::lround(start * (1.0 - strength * progress)));
}

struct CourseFindings
{
    std::array<int, 5> area{}; // PASI area score by region digit 1 head, 2 arms, 3 legs, 4 trunk
    std::array<int, 5> erythema{};
    std::array<int, 5> infiltration{};
    std::array<int, 5> scaling{};
    int extent = 0;                 // SCORAD, per cent
    std::array<int, 8> intensity{}; // B2..B7
    int itch = 0;
    int sleep = 0;
    std::vector<Row> elements;
};

CourseFindings courseFindings(Dice &dice, const Traits &tr)
{
    CourseFindings f;
    if (tr.psoriasis) {
        for (int r = 1; r <= 4; ++r) {
            f.area[size_t(r)] = dice.chance(r == 1 ? 50 : 85) ? dice.between(1, 1 + tr.severity) : 0;
            if (f.area[size_t(r)] == 0)
                continue;
            f.erythema[size_t(r)] = dice.between(1, std::min(4, tr.severity + 1));
            f.infiltration[size_t(r)] = dice.between(1, std::min(4, tr.severity + 1));
            f.scaling[size_t(r)] = dice.between(1, std::min(4, tr.severity + 1));
        }
    } else {
        f.extent = dice.between(5, 20 * tr.severity + 10);
        for (int &v : f.intensity)
            v = dice.between(0, std::min(3, tr.severity + 1));
        f.itch = dice.between(3 + tr.severity, 10);
        f.sleep = dice.between(0, 3 * tr.severity);
    }

    static const QString psoriasisElements[] = {QStringLiteral("Папулы"), QStringLiteral("Чешуйки"),
                                                QStringLiteral("Трещины")};
    static const QString dermatitisElements[] = {QStringLiteral("Папулы"), QStringLiteral("Очаги лихенизации"),
                                                 QStringLiteral("Экскориации"), QStringLiteral("Очаги эритемы"),
                                                 QStringLiteral("Корки")};
    static const double sizes[] = {0.2, 0.5, 1, 1.5, 2, 3, 4, 5, 6, 7, 8, 10, 12, 15};
    const int count = dice.between(1, 3);
    std::vector<QString> names;
    if (tr.psoriasis) {
        names.push_back(QStringLiteral("Бляшки"));
        for (const QString &n : dice.some(std::span<const QString>(psoriasisElements), count - 1))
            names.push_back(n);
    } else {
        for (const QString &n : dice.some(std::span<const QString>(dermatitisElements), count))
            names.push_back(n);
    }
    for (const QString &name : names) {
        Row e;
        e.set("Name_elem", name);
        const int from = dice.between(0, 5);
        e.set("Razmer_ot", sizes[from]);
        e.set("Razmer_do", sizes[from + dice.between(1, 8)]);
        e.set("Raspred", dice.between(1, 3));
        e.set("Rasp", dice.between(1, 2));
        if (tr.psoriasis) {
            e.set("Color", dice.chance(70) ? 3 : 2);
            e.set("Forma", dice.chance(60) ? 1 : 3);
            e.set("Granitca", 1);
            e.set("Poverhnost1", 1);
            e.set("Fon", 2);
        } else {
            e.set("Color", dice.chance(50) ? 2 : 4);
            e.set("Forma", 3);
            e.set("Granitca", 2);
            e.set("Poverhnost1", dice.chance(50) ? 2 : 1);
            e.set("Fon", 1);
        }
        if (dice.chance(5)) {
            e.tick(tr.psoriasis ? "All_tulov" : "All_lico");
        } else if (tr.psoriasis) {
            for (const char *site : dice.some(std::span<const char *const>(kPsoriasisSites), dice.between(2, 6)))
                e.tick(site);
        } else {
            for (const char *site : dice.some(std::span<const char *const>(kDermatitisSites), dice.between(2, 6)))
                e.tick(site);
        }
        f.elements.push_back(std::move(e));
    }
    return f;
}

// Fills examination number `number` of the patient, the j-th of its course.
void fillExamination(Dice &dice, const Traits &tr, const CourseFindings &f, Examination &exam, int number,
                     bool firstOfCourse, bool firstCourse, bool discharge, double progress, int dischargeEvent)
{
    Row &r = exam.row;
    r.set("Date", exam.date);
    r.set("Nom_osm", number);
    const bool regress = discharge && dice.chance(35);
    const double p = regress ? 1.0 : progress;
    if (tr.psoriasis) {
        // PASI scores "Bb" + region digit + score digit: erythema, infiltration, scaling, area.
        static const char *const pasi[4][4] = {{"Bb11", "Bb12", "Bb13", "Bb14"},
                                               {"Bb21", "Bb22", "Bb23", "Bb24"},
                                               {"Bb31", "Bb32", "Bb33", "Bb34"},
                                               {"Bb41", "Bb42", "Bb43", "Bb44"}};
        for (size_t reg = 1; reg <= 4; ++reg) {
            const char *const *field = pasi[reg - 1];
            r.set(field[0], eased(f.erythema[reg], p, regress ? 1.0 : 0.7));
            r.set(field[1], eased(f.infiltration[reg], p, regress ? 1.0 : 0.75));
            r.set(field[2], eased(f.scaling[reg], p, regress ? 1.0 : 0.8));
            r.set(field[3], eased(f.area[reg], p, regress ? 1.0 : 0.6));
        }
        if (firstOfCourse) {
            if (dice.chance(70)) {
                r.tick("A19");
                r.tick("A20");
                r.tick("A21");
            }
            if (dice.chance(25))
                r.tick("A16");
            if (dice.chance(15))
                r.tick("A22");
        } else {
            r.set("Teze_kl_simp", dice.chance(50));
        }
        if (dice.chance(20))
            r.tick("C3");
        if (dice.chance(10))
            r.tick("C9");
        r.set("AAA", QStringLiteral("умеренной влажности"));
        r.tick("A2_6"); // шелушение
        if (dice.chance(50))
            r.tick("A2_3");
    } else {
        r.set("B1", eased(f.extent, p, regress ? 1.0 : 0.8));
        static const char *const intensity[] = {"B2", "B3", "B4", "B5", "B6", "B7"};
        for (size_t i = 0; i < std::size(intensity); ++i)
            r.set(intensity[i], eased(f.intensity[i], p, regress ? 1.0 : 0.7));
        r.set("B8", eased(f.itch, p, regress ? 1.0 : 0.8));
        r.set("B9", eased(f.sleep, p, regress ? 1.0 : 0.9));
        r.set("A4", dice.chance(70) ? QStringLiteral("белый") : QStringLiteral("красный"));
        if (dice.chance(40))
            r.set("A5", QStringLiteral("бледный"));
        if (dice.chance(50))
            r.tick("A8");
        if (dice.chance(30))
            r.tick("A10");
        if (dice.chance(20))
            r.tick("A14");
        if (firstOfCourse && dice.chance(50))
            r.set("A11", QString::number(dice.between(100, 900)));
        r.set("AAA", QStringLiteral("повышенной сухости"));
        r.tick("A2_3"); // зуд
        r.tick("A2_5"); // сухость
        if (dice.chance(40))
            r.tick("A1_7");
    }
    static const char *const sites[] = {"A2_10", "A2_11", "A2_12", "A2_13"};
    tickSome(dice, r, sites, 1, 3);

    if (firstOfCourse) {
        if (!firstCourse)
            r.set("Dinamika", QStringLiteral("Отрицательная"));
        // The data of the exacerbation that brought the patient in.
        r.tick("Ob");
        r.set("Ob_ndate", dice.between(1, 6));
        r.set("Ob_date", dice.chance(60) ? kWeeks : kMonths);
        r.set("Ob_result", dice.pick(std::span<const QString>(kTreatmentResults)));
        static const char *const triggers[] = {"Ob_pr_a21", "Ob_pr_a24", "Ob_pr_a25", "Ob_pr_a26",
                                               "Ob_pr_a27", "Ob_pr_a28", "Ob_pr_a210"};
        tickSome(dice, r, triggers, 1, 2);
        if (!tr.psoriasis && dice.chance(40))
            r.tick("Ob_pr_a11");
    } else {
        r.set("Zalob", dice.chance(75) ? QStringLiteral("уменьшение симптомов") : QStringLiteral("те же"));
        if (regress)
            r.set("Dinamika", QStringLiteral("Полный регресс высыпаний"));
        else
            r.set("Dinamika", dice.chance(80) ? QStringLiteral("Положительная") : QStringLiteral("Без динамики"));
    }
    if (discharge)
        r.set("End_kurs", dischargeEvent);

    // The elements of the course, carried from examination to examination as the copy of the
    // previous examination does; after a full regress only the pigmented spots remain.
    if (regress) {
        Row spots;
        spots.set("Name_elem", QStringLiteral("Пятна"));
        spots.set("Razmer_ot", 0.5);
        spots.set("Razmer_do", 3.0);
        spots.set("Raspred", 2);
        spots.set("Color", 5);
        spots.set("Fon", 2);
        for (const auto &[name, value] : f.elements.front().values) {
            if (name[0] == 'A')
                spots.set(name, value);
        }
        exam.elements.push_back(std::move(spots));
    } else {
        exam.elements = f.elements;
    }
    // The first element of a new examination is numbered after the examinations, later ones after the elements.
    for (size_t k = 0; k < exam.elements.size(); ++k)
        exam.elements[k].set("Nom_elem", k == 0 ? number + 1 : int(k) + 1);
}

Diagnosis admissionDiagnosis(Dice &dice, const Traits &tr)
{
    Diagnosis d;
    if (tr.psoriasis) {
        d.ticked.push_back("B1");
        const int form = dice.between(1, 100);
        d.ticked.push_back(form <= 75 ? "A1_3" : form <= 90 ? "A1_2" : form <= 95 ? "A1_1" : "A1_4");
        if (dice.chance(30))
            d.ticked.push_back("A1_11");
        if (dice.chance(15))
            d.ticked.push_back("A1_10");
        if (dice.chance(5))
            d.ticked.push_back("A1_7");
        if (dice.chance(60)) {
            d.ticked.push_back("12");
        } else {
            static const char *const sites[] = {"116", "117", "111", "114"};
            for (const char *s : dice.some(std::span<const char *const>(sites), dice.between(1, 3)))
                d.ticked.push_back(s);
        }
        d.ticked.push_back(dice.chance(70) ? "21" : "24");
    } else {
        d.ticked.push_back("B2");
        const int form = dice.between(1, 100);
        d.ticked.push_back(form <= 40 ? "B1_2" : form <= 70 ? "B1_3" : form <= 90 ? "B1_4" : "B1_1");
        const int spread = dice.between(1, 100);
        if (spread <= 15) {
            d.ticked.push_back("13");
        } else if (spread <= 35) {
            d.ticked.push_back("12");
        } else {
            static const char *const sites[] = {"118", "119", "116", "117", "1111"};
            for (const char *s : dice.some(std::span<const char *const>(sites), dice.between(1, 3)))
                d.ticked.push_back(s);
        }
        d.ticked.push_back(dice.chance(60) ? "21" : "22");
    }
    d.severity = tr.severity;
    if (dice.chance(3))
        d.other = QStringLiteral("Угревая болезнь");
    return d;
}

Diagnosis dischargeDiagnosis(Dice &dice, const Diagnosis &admission)
{
    Diagnosis d;
    for (const char *f : admission.ticked) {
        const std::string_view v(f);
        if (v != "21" && v != "22" && v != "24")
            d.ticked.push_back(f);
    }
    d.ticked.push_back("25");
    d.severity = admission.severity;
    const int effect = dice.between(1, 100);
    d.effect = effect <= 10 ? 1 : effect <= 60 ? 2 : effect <= 95 ? 3 : 4;
    d.other = admission.other;
    return d;
}

Row diagnosisRow(const Diagnosis &d, const QDate &date, const QString &status, int course)
{
    Row r;
    for (const char *f : d.ticked)
        r.tick(f);
    r.set("Data", date);
    r.set("Text", status);
    r.setIfNotEmpty("C1", d.other);
    if (d.severity)
        r.set("30", d.severity);
    if (d.effect)
        r.set("40", d.effect);
    r.set("Text1", d.sentence());
    r.set("Kurs", course);
    return r;
}

Row bloodTest(Dice &dice, const Traits &tr, const QDate &date)
{
    Row r;
    r.set("Data", date);
    r.tick("B1");
    if (dice.chance(40)) {
        r.tick("C1");
    } else {
        r.set("B11", QString::number(dice.between(2, 25)));
        r.set("B12", QString::number(dice.between(1, tr.psoriasis ? 5 : 12)));
        r.set("B13", QStringLiteral("%1,%2").arg(dice.between(4, 9)).arg(dice.between(0, 9)));
    }
    if (dice.chance(60)) {
        r.tick("B2");
        if (dice.chance(50)) {
            r.tick("C2");
        } else {
            r.set("B21", QStringLiteral("%1,%2").arg(dice.between(3, 7)).arg(dice.between(0, 9)));
            r.set("B22", QStringLiteral("%1,%2").arg(dice.between(0, 2)).arg(dice.between(1, 9)));
            r.set("B23", QStringLiteral("%1,%2").arg(dice.between(6, 20)).arg(dice.between(0, 9)));
            r.set("B24", QString::number(dice.between(10, 45)));
            r.set("B25", QString::number(dice.between(10, 40)));
        }
    }
    if (!tr.psoriasis) {
        r.tick("B31");
        r.set("B3", QString::number(dice.between(60, 1200)));
        if (dice.chance(50)) {
            static const QString levels[] = {QStringLiteral("норма"), QStringLiteral("высокий уровень"),
                                             QStringLiteral("средний уровень"), QStringLiteral("низкий уровень")};
            static const char *const groups[] = {"I1", "I2", "I3", "I4", "I5", "I6"};
            r.tick("B4");
            for (const char *g : dice.some(std::span<const char *const>(groups), dice.between(1, 4)))
                r.set(g, dice.pick(std::span<const QString>(levels)));
        }
    }
    if (dice.chance(30))
        r.tick("B9");
    if (dice.chance(20))
        r.tick("B8");
    if (dice.chance(15))
        r.set("D2", QStringLiteral("Консультация терапевта: противопоказаний к ПУВА-терапии нет."));
    return r;
}

Row recommendation(Dice &dice, const Traits &tr, const QDate &date)
{
    Row r;
    r.set("Data", date);
    if (dice.chance(15)) {
        r.tick("S");
    } else if (tr.psoriasis) {
        static const char *const items[] = {"A1", "A2", "A3", "A4", "A5"};
        tickSome(dice, r, items, 2, 4);
    } else {
        static const char *const items[] = {"B1", "B2", "B3", "B4", "B5", "B6", "B7"};
        tickSome(dice, r, items, 3, 5);
    }
    if (dice.chance(50))
        r.set("Lek", tr.psoriasis ? QStringLiteral("Дайвонекс мазь на очаги 1 раз в день вечером 4 недели.")
                                  : QStringLiteral("Эмоленты (Атодерм, Липикар) ежедневно после душа."));
    if (dice.chance(30))
        r.set("Komm", QStringLiteral("Повторный курс ПУВА-терапии через 6 месяцев."));
    return r;
}

// The links between procedures and examinations that the PUVA editor builds when it closes:
// each examination falls on the first procedure dated on or after it (or on the last one).
void linkProceduresToExaminations(std::vector<Procedure> &procedures, std::vector<Examination> &examinations)
{
    for (Procedure &p : procedures)
        p.linkedExamination.clear();
    if (procedures.size() < 2 || examinations.empty())
        return;
    size_t cursor = 0;
    for (size_t i = 0; i < examinations.size(); ++i) {
        while (examinations[i].date > procedures[cursor].date && cursor + 1 < procedures.size())
            ++cursor;
        procedures[cursor].linkedExamination = QString::number(i + 1);
    }
    for (const Procedure &p : procedures) {
        if (p.linkedExamination.isEmpty())
            continue;
        Row &exam = examinations[size_t(p.linkedExamination.toInt() - 1)].row;
        exam.set("PUVA", QStringLiteral("%1 курс %2").arg(p.number).arg(p.course));
        exam.set("PUVA_k", p.course);
        exam.set("PUVA_p", p.number);
    }
}

struct Identity
{
    int number = 0;  // register's running number
    int card = 0;    // Amb_karta
    int letter = -1; // alphabet tab the surname must fall under, -1 for any
};

Patient makePatient(Dice &dice, const Timeline &t, const Identity &id, const QDate &today)
{
    Patient p;
    Traits tr;
    tr.female = dice.chance(50);
    tr.psoriasis = dice.chance(65);
    tr.severity = dice.between(1, 3);
    tr.age = tr.psoriasis ? (dice.chance(5) ? dice.between(12, 17) : dice.between(18, 74))
                          : (dice.chance(60) ? dice.between(4, 17) : dice.between(18, 45));
    const QDate registered = t.registration();
    const QDate born = registered.addYears(-tr.age).addDays(-dice.between(1, 364));

    // Weight and height by age; adults to the half kilogram.
    if (tr.age < 16) {
        tr.weight = 10 + tr.age * 3 + dice.between(-3, 6);
    } else {
        tr.weight = tr.female ? dice.between(48, 95) : dice.between(60, 115);
        if (dice.chance(30))
            tr.weight += 0.5;
    }
    const int height = tr.age < 16 ? 85 + tr.age * 6 + dice.between(-5, 8)
                                   : (tr.female ? dice.between(152, 178) : dice.between(165, 195));

    // The clinic's unit, power and photosensitiser, copied from course to course.
    tr.unit = dice.pick(std::span<const QString>(kUnits));
    tr.power = dice.pick(std::span<const int>(kPowers));
    const int prep = dice.between(1, 100);
    tr.sensitiser = prep <= 60 ? kAmmifurin : prep <= 95 ? kOxoralen : kMethoxsalen;
    // The dose the procedure sheet shows for the weight (Аммифурин, else the methoxsalens), given in
    // 20 mg tablets of Аммифурин or 10 mg capsules of the others.
    const qint64 mg = tr.sensitiser == kAmmifurin ? treatment::psens1Mg(tr.weight) : treatment::psens2Mg(tr.weight);
    tr.tablets =
        int(std::clamp<qint64>(text::roundHalfEven(double(mg) / (tr.sensitiser == kAmmifurin ? 20.0 : 10.0)), 1, 15));
    tr.therapy = tr.psoriasis && dice.chance(10) ? QStringLiteral("РеПУВА") : QStringLiteral("ПУВА");

    // Identity.
    const QString first =
        tr.female ? dice.pick(std::span<const QString>(kFemaleNames)) : dice.pick(std::span<const QString>(kMaleNames));
    const Patronymic &father = dice.pick(std::span<const Patronymic>(kPatronymics));
    int letter = id.letter;
    int index = 0;
    if (letter < 0) {
        // Any surname, each equally likely, so common letters get more patients.
        int total = 0;
        for (int l = 0; l < kSurnameLetters; ++l)
            total += surnamesOfLetter(l);
        int k = dice.between(0, total - 1);
        for (letter = 0; k >= surnamesOfLetter(letter); ++letter)
            k -= surnamesOfLetter(letter);
        index = k;
    } else {
        index = dice.between(0, surnamesOfLetter(letter) - 1);
    }
    Row &reg = p.reg;
    reg.set("Amb_karta", id.card);
    reg.set("Number", id.number);
    reg.set("First_Name", first);
    reg.set("Last_Name", surnameFor(kSurnames[letter][index], tr.female));
    reg.set("Father_Name", tr.female ? father.female : father.male);
    reg.set("Sex", tr.female ? kFemale : kMale);
    reg.set("Born_dat", born);
    reg.set("Kat_vozr", ageCategory(born, registered, today));
    reg.set("Ves", tr.weight);
    reg.set("Rost", double(height));
    reg.set("Reg_date", registered);
    reg.set("Vrach", dice.pick(std::span<const QString>(kDoctors)));

    const Place &place = kPlaces[dice.chance(55) ? dice.between(0, 6) : dice.between(0, int(std::size(kPlaces)) - 1)];
    reg.set("Live_place_region", place.region);
    reg.set("Life_place_gorod", place.town);
    reg.set("Index", place.postIndex + dice.between(1, 60));
    reg.set("Adress", QStringLiteral("%1, д. %2, кв. %3")
                          .arg(dice.pick(std::span<const QString>(kStreets)))
                          .arg(dice.between(1, 120))
                          .arg(dice.between(1, 180)));
    if (dice.chance(60))
        reg.set("Telephone_home", QStringLiteral("8(4872)%1-%2-%3")
                                      .arg(dice.between(20, 79))
                                      .arg(dice.between(10, 99))
                                      .arg(dice.between(10, 99)));
    if (tr.age >= 12 && dice.chance(85))
        reg.set("Telephone_sot", QStringLiteral("8-9%1-%2-%3-%4")
                                     .arg(dice.between(10, 99))
                                     .arg(dice.between(100, 999))
                                     .arg(dice.between(10, 99))
                                     .arg(dice.between(10, 99)));

    if (tr.age < 7) {
        reg.set("Work_proff", QStringLiteral("Дошкольник"));
    } else if (tr.age < 17) {
        reg.set("Work_proff", QStringLiteral("Школьник"));
        reg.set("Work_place", QStringLiteral("МБОУ СОШ №%1").arg(dice.between(1, 70)));
    } else if (tr.age < 22 && dice.chance(60)) {
        reg.set("Work_proff", QStringLiteral("Студент"));
        reg.set("Work_place", dice.chance(50) ? QStringLiteral("ТулГУ") : QStringLiteral("ТГПУ им. Л.Н. Толстого"));
    } else if (tr.age >= 60 && dice.chance(75)) {
        reg.set("Work_proff", QStringLiteral("Пенсионер"));
    } else if (dice.chance(8)) {
        reg.set("Work_proff", dice.chance(50) ? QStringLiteral("Безработный") : QStringLiteral("Домохозяйка"));
    } else {
        const Job &job = dice.pick(std::span<const Job>(kJobs));
        reg.set("Work_proff", job.profession);
        reg.set("Work_dolzn", job.position);
        reg.set("Work_place", dice.pick(std::span<const QString>(kEmployers)));
    }

    if (dice.chance(75)) {
        if (dice.chance(30))
            reg.set("Polis_serial", QStringLiteral("ТУЛ"));
        reg.set("Polis_number", QString::number(7100000000LL + dice.between(0, 99999999)));
        reg.set("Polis_company", dice.pick(std::span<const QString>(kInsurers)));
    }
    if (tr.age >= 14 && dice.chance(80)) {
        const int issuedAt = tr.age >= 45 ? 45 : tr.age >= 20 ? 20 : 14;
        const QDate issued = born.addYears(issuedAt).addDays(dice.between(10, 90));
        reg.set("Passp_serial",
                QStringLiteral("%1 %2").arg(70 + dice.between(0, 9)).arg(dice.between(0, 20), 2, 10, QLatin1Char('0')));
        reg.set("Passp_number", QString::number(dice.between(100000, 999999)));
        reg.set("Passp_data", text::shortDate(issued));
        reg.set("Passp_vidan", place.passportOffice);
        reg.set("Passp_cod", place.passportCode);
    }
    if (dice.chance(8)) {
        reg.set("Lgot_cat", QStringLiteral("083"));
        reg.set("Lgot_spr_serial", QStringLiteral("МСЭ-2015"));
        reg.set("Lgot_spr_number", QString::number(dice.between(1000000, 9999999)));
        reg.set("Lgot_spr_cat", QStringLiteral("3 группа"));
        reg.set("Lgot_spr_date", dice.chance(50) ? QStringLiteral("бессрочно") : QStringLiteral("до 01.03.2027"));
    }
    if (dice.chance(10))
        reg.set("Other", QStringLiteral("Переносимость ПУВА-терапии удовлетворительная."));

    makeAnamnesis(dice, tr, p);

    // Courses: admissions, procedures, examinations and the diagnosis events of each.
    int examNumber = 0;
    int events = 0;
    for (size_t c = 0; c < t.courses.size(); ++c) {
        const Course &course = t.courses[c];
        const int courseNo = int(c) + 1;
        Row stay;
        stay.set("Reg_date", course.admission);
        if (!course.running())
            stay.set("Vip_date", course.discharge);
        p.admissions.push_back(std::move(stay));

        // Doses grow through the course: the time on the unit goes up at every procedure.
        int minutes = std::max(1, int(std::lround(dice.between(50, 100) / double(tr.power))));
        for (size_t k = 0; k < course.procedures.size(); ++k) {
            if (k > 0)
                minutes = std::min(160, minutes + (tr.power < 30 ? dice.between(1, 2) : 1));
            Procedure proc;
            proc.date = course.procedures[k];
            proc.course = courseNo;
            proc.number = int(k) + 1;
            proc.dose = tr.power * minutes;
            Row &r = proc.row;
            r.set("Nom_proc", proc.number);
            r.set("Date", proc.date);
            r.set("Type1", tr.unit);
            r.set("Time1", minutes);
            r.set("Power1", tr.power);
            r.set("Type_kurs", tr.therapy);
            r.set("Type_prep", tr.sensitiser);
            r.set("Tabl", tr.tablets);
            r.set("Id_kurs", courseNo);
            if (dice.chance(4))
                r.tick("Eritema");
            if (dice.chance(3))
                r.tick("Zud");
            if (tr.sensitiser == kAmmifurin && dice.chance(2))
                r.tick("Toshnota");
            if (dice.chance(1))
                r.set("Other", QStringLiteral("сухость кожи"));
            if (!course.running() && k + 1 == course.procedures.size() && dice.chance(4))
                r.tick("Lech_prervano");
            p.procedures.push_back(std::move(proc));
        }

        const CourseFindings findings = courseFindings(dice, tr);
        const size_t exams = course.examinations.size();
        const int dischargeEvent = events + 2;
        for (size_t j = 0; j < exams; ++j) {
            Examination e;
            e.date = course.examinations[j];
            const bool discharge = !course.running() && j + 1 == exams;
            const double progress =
                course.running() ? 0.6 * double(j) / double(exams) : double(j) / double(std::max<size_t>(exams - 1, 1));
            fillExamination(dice, tr, findings, e, ++examNumber, j == 0, c == 0, discharge, progress, dischargeEvent);
            p.examinations.push_back(std::move(e));
        }

        // The first admission is dated with the registration, a discharge with the last examination.
        const Diagnosis in = admissionDiagnosis(dice, tr);
        p.diagnoses.push_back(diagnosisRow(in, course.admission,
                                           c == 0 ? QStringLiteral("Диагноз при первом поступлении")
                                                  : QStringLiteral("Диагноз при поступлении"),
                                           courseNo));
        ++events;
        if (!course.running()) {
            p.diagnoses.push_back(diagnosisRow(dischargeDiagnosis(dice, in), course.discharge,
                                               QStringLiteral("Диагноз при выписке"), courseNo));
            ++events;
        }
    }
    linkProceduresToExaminations(p.procedures, p.examinations);
    for (Procedure &proc : p.procedures)
        proc.row.setIfNotEmpty("Osmotr", proc.linkedExamination);

    // Blood tests at the first admission and, for some, at the last one.
    p.bloodTests.push_back(bloodTest(dice, tr, t.courses.front().admission));
    if (t.courses.size() > 1 && dice.chance(60))
        p.bloodTests.push_back(bloodTest(dice, tr, t.courses.back().admission));

    // Prescriptions sorted by date, local treatment after the internal drugs of the same day.
    std::vector<const Prescription *> fitting;
    for (const Prescription &pr : kPrescriptions) {
        if (pr.disease == 0 || pr.disease == (tr.psoriasis ? 1 : 2))
            fitting.push_back(&pr);
    }
    struct Dated
    {
        QDate date;
        const Prescription *what;
    };
    std::vector<Dated> given;
    const int count = dice.between(2, 5);
    for (const Prescription *pr : dice.some(std::span<const Prescription *const>(fitting), count)) {
        const Course &course = t.courses[size_t(dice.between(0, int(t.courses.size()) - 1))];
        given.push_back({course.admission.addDays(dice.between(0, 2)), pr});
    }
    std::stable_sort(given.begin(), given.end(), [](const Dated &a, const Dated &b) {
        if (a.date != b.date)
            return a.date < b.date;
        return !a.what->local && b.what->local;
    });
    for (const Dated &d : given) {
        Row r;
        r.set("Data", d.date);
        r.set("Lek", d.what->local ? QStringLiteral("Наружно: ") + d.what->drug : d.what->drug);
        r.set("Recept", d.what->use);
        p.prescriptions.push_back(std::move(r));
    }

    const Course &last = t.courses.back();
    p.recommendations.push_back(recommendation(dice, tr, last.running() ? last.admission : last.discharge));

    // Register fields that the PUVA editor, the diagnosis window and the automatic dates keep:
    // the total dose, the last visit, the course numbers, the latest admission and discharge.
    qint64 dose = 0;
    for (const Procedure &proc : p.procedures)
        dose += proc.dose;
    const Procedure &lastProc = p.procedures.back();
    reg.set("Doza", dose);
    reg.set("Dat_posl", lastProc.date);
    reg.set("Puv_posl", lastProc.number);
    reg.set("Born_Day", 1);
    reg.set("ID_age_cat", lastProc.course);
    // Vip_date as the automatic dates set it: the last event's date when it is a discharge, blank
    // while the patient is in treatment. The latest admission is what closing the diagnosis window
    // copies; with the first admission alone it copies only the course number.
    if (!last.running())
        reg.set("Vip_date", last.discharge);
    if (events > 1)
        reg.set("Dat_posl_post", last.admission);
    reg.set("NKurs_posl_post", int(t.courses.size()));
    return p;
}

qint64 scalar(QSqlDatabase &db, const QString &sql, QString *error, bool *ok)
{
    QSqlQuery q(db);
    *ok = q.exec(sql) && q.next();
    if (!*ok) {
        *error = db::describeEngineError(q.lastError().text());
        return 0;
    }
    return q.value(0).toLongLong();
}

} // namespace

qint64 DemoResult::recordsOf(const QString &table) const
{
    for (const auto &[name, count] : records) {
        if (name == table)
            return count;
    }
    return 0;
}

qint64 DemoResult::totalRecords() const
{
    qint64 total = 0;
    for (const auto &entry : records)
        total += entry.second;
    return total;
}

DemoResult generateDemo(QSqlDatabase &db, const DemoOptions &options)
{
    DemoResult result;
    const QDate today = options.today.isValid() ? options.today : clock::today();
    if (options.patients < 1) {
        result.error = QStringLiteral("Число пациентов должно быть не меньше 1.");
        return result;
    }

    bool ok = false;
    const qint64 existing = scalar(db, QStringLiteral("SELECT count(*) FROM \"register\""), &result.error, &ok);
    if (!ok)
        return result;
    if (existing > 0 && !options.append) {
        result.refused = true;
        result.error = QStringLiteral("В регистре уже есть пациенты (%1). Демонстрационные данные не записаны; "
                                      "чтобы добавить их к имеющимся, укажите --append.")
                           .arg(existing);
        return result;
    }
    const qint64 lastCard =
        scalar(db, QStringLiteral("SELECT coalesce(max(\"Amb_karta\"), 0) FROM \"register\""), &result.error, &ok);
    if (!ok)
        return result;

    // Patients are registered in the order of their first admission, so that the key, the running
    // number and the card number grow with the registration date. A first pass finds that date
    // from each patient's own seed; the second builds the patients in date order.
    Dice master(options.seed);
    struct Draft
    {
        quint32 seed;
        QDate registered;
        int drawn;
    };
    const int recentDays = 150;
    std::vector<Draft> drafts;
    drafts.reserve(size_t(options.patients));
    for (int i = 0; i < options.patients; ++i) {
        const quint32 seed = master.next();
        Dice dice(seed);
        drafts.push_back({seed, makeTimeline(dice, today, recentDays).registration(), i});
    }
    std::stable_sort(drafts.begin(), drafts.end(),
                     [](const Draft &a, const Draft &b) { return a.registered < b.registered; });

    // The first patients take one letter of the alphabet each, so that every tab of the list has someone.
    std::vector<int> letters(kSurnameLetters);
    for (int l = 0; l < kSurnameLetters; ++l)
        letters[size_t(l)] = l;
    for (size_t i = letters.size(); i > 1; --i)
        std::swap(letters[i - 1], letters[size_t(master.between(0, int(i) - 1))]);

    std::vector<const TableDef *> defs;
    std::unordered_map<std::string_view, TableWriter> writers;
    const auto startsFalse = [](std::string_view t) {
        // New examinations, their elements and new blood tests have every check box cleared;
        // the other tables leave what nobody ticked blank.
        return t == "osmotr_1" || t == "osmotr_elem" || t == "analyz";
    };

    if (!db.transaction()) {
        result.error = QStringLiteral("Не удалось начать транзакцию: %1").arg(pelorin::db::describeEngineError(db.lastError().text()));
        return result;
    }
    auto fail = [&](const QString &why) {
        db.rollback();
        result.error = why + QStringLiteral("\nНичего не записано.");
        result.records.clear();
        return result;
    };
    for (const TableDef &def : db::allTables()) {
        defs.push_back(&def);
        const std::string_view name(def.sqlName);
        if (name == "osmotr_img")
            continue; // photos need picture files; the demonstration has none
        QString error;
        if (!writers[name].prepare(db, def, startsFalse(name), &error))
            return fail(error);
    }
    auto writer = [&](const char *table) -> TableWriter & { return writers.at(std::string_view(table)); };

    QString error;
    int card = int(std::max<qint64>(lastCard, 1000));
    for (size_t i = 0; i < drafts.size(); ++i) {
        Dice dice(drafts[i].seed);
        const Timeline timeline = makeTimeline(dice, today, recentDays);
        Identity id;
        id.number = int(existing) + int(i) + 1;
        card += 1 + (dice.chance(30) ? dice.between(1, 3) : 0);
        id.card = card;
        if (drafts[i].drawn < kSurnameLetters)
            id.letter = letters[size_t(drafts[i].drawn)];
        Patient p = makePatient(dice, timeline, id, today);

        qint64 man = 0;
        if (!writer("register").write(p.reg, &man, &error))
            return fail(error);
        for (size_t a = 0; a < p.anamnesis.size(); ++a) {
            p.anamnesis[a].set("ID_man", man);
            if (!writer(kAnamnesisTables[a]).write(p.anamnesis[a], nullptr, &error))
                return fail(error);
        }
        for (Row &r : p.admissions) {
            r.set("ID_man", man);
            if (!writer("post_vip").write(r, nullptr, &error))
                return fail(error);
        }
        for (Examination &e : p.examinations) {
            e.row.set("ID_man", man);
            qint64 examKey = 0;
            if (!writer("osmotr_1").write(e.row, &examKey, &error))
                return fail(error);
            for (Row &el : e.elements) {
                el.set("ID_elem", examKey);
                if (!writer("osmotr_elem").write(el, nullptr, &error))
                    return fail(error);
            }
        }
        for (Procedure &proc : p.procedures) {
            proc.row.set("ID_man", man);
            if (!writer("lech_puva").write(proc.row, nullptr, &error))
                return fail(error);
        }
        const std::pair<const char *, std::vector<Row> *> perPatient[] = {
            {"diagnoz", &p.diagnoses},
            {"analyz", &p.bloodTests},
            {"lech_lekar", &p.prescriptions},
            {"recomend", &p.recommendations},
        };
        for (const auto &[table, rows] : perPatient) {
            const char *link = std::string_view(table) == "diagnoz" ? "ID_man" : "Id_man";
            for (Row &r : *rows) {
                r.set(link, man);
                if (!writer(table).write(r, nullptr, &error))
                    return fail(error);
            }
        }
    }
    if (!db.commit()) {
        const QString why = QStringLiteral("Не удалось завершить транзакцию: %1").arg(pelorin::db::describeEngineError(db.lastError().text()));
        return fail(why);
    }

    result.ok = true;
    result.patients = options.patients;
    for (const TableDef *def : defs) {
        const auto it = writers.find(std::string_view(def->sqlName));
        result.records.append(
            qMakePair(QString::fromLatin1(def->sqlName), it == writers.end() ? 0 : it->second.written()));
    }
    return result;
}

QStringList describeDemo(const DemoResult &result)
{
    QStringList lines;
    if (!result.ok) {
        lines << result.error;
        return lines;
    }
    lines << QStringLiteral("Записано демонстрационных пациентов: %1.").arg(result.patients);
    lines << QStringLiteral("Записей по таблицам:");
    int width = 0;
    for (const auto &entry : result.records)
        width = std::max(width, int(entry.first.size()));
    for (const auto &[table, count] : result.records)
        lines << QStringLiteral("  %1 %2").arg(table + QLatin1Char(':'), -(width + 1)).arg(count, 8);
    lines << QStringLiteral("Всего записей: %1.").arg(result.totalRecords());
    return lines;
}

} // namespace pelorin::cli
