#include "form_osmotr_elem.h"

#include "areas.h"
#include "datamodules.h"
#include "dbcontrols.h"
#include "dbgrid.h"
#include "dialogs.h"
#include "elements.h"
#include "formwait.h"
#include "settings.h"
#include "table.h"
#include "windowfit.h"

#include <QButtonGroup>
#include <QCoreApplication>
#include <QCursor>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHash>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSet>
#include <QShowEvent>
#include <QTabWidget>
#include <QToolTip>
#include <QVBoxLayout>

namespace pelorin::examination {

namespace {

const QString kFlexor = QStringLiteral("Сгибательная\nповерхность");
const QString kExtensor = QStringLiteral("Разгибательная\nповерхность");
const QString kEverywhereFlat = QStringLiteral("По всей поверхности");

// One limb: four segments with a flexor and an extensor box, then the boxes of the hand or foot,
// which take the flexor column, then the whole-limb box.
LocationGroup limb(int tab, const QString &title, const QStringList &segments, const QStringList &pairs,
                   const QStringList &singles, const QStringList &singleFields, const QString &whole,
                   const QString &wholeCaption)
{
    LocationGroup g{tab, title, {kFlexor, kExtensor}, {}};
    int row = 0;
    for (int i = 0; i < segments.size(); ++i, ++row) {
        g.boxes.append({pairs[2 * i], {}, {}, row, 0, segments[i]});
        g.boxes.append({pairs[2 * i + 1], {}, {}, row, 1, segments[i]});
    }
    for (int i = 0; i < singles.size(); ++i, ++row)
        g.boxes.append({singleFields[i], {}, {}, row, 0, singles[i]});
    g.boxes.append({whole, wholeCaption, kEverywhereFlat, row, 0});
    return g;
}

// Boxes in one row ("везде", "слева", "справа", ...).
QList<LocationBox> inRow(int row, const QList<std::pair<QString, QString>> &boxes, const QString &rowLabel = {})
{
    QList<LocationBox> out;
    int column = 0;
    for (const auto &[field, caption] : boxes) {
        const bool everywhere = caption == QStringLiteral("везде");
        out.append({field, caption, everywhere ? kEverywhereFlat : QString(), row, column++, rowLabel});
    }
    return out;
}

QList<LocationBox> inColumn(const QList<std::pair<QString, QString>> &boxes, int firstRow = 0)
{
    QList<LocationBox> out;
    int row = firstRow;
    for (const auto &[field, caption] : boxes)
        out.append({field, caption, {}, row++, 0});
    return out;
}

QList<LocationGroup> makeLocationGroups()
{
    using P = std::pair<QString, QString>;
    QList<LocationGroup> g;

    // Head.
    g.append({0, {}, {}, {{QStringLiteral("All_golova"), QStringLiteral("По всей поверхности головы"), {}, 0, 0}}});
    LocationGroup face{0, QStringLiteral("Лицо"), {}, {}};
    face.boxes.append({QStringLiteral("All_lico"), QStringLiteral("По всей поверхности лица"), kEverywhereFlat, 0, 0});
    face.boxes += inColumn({P{QStringLiteral("A113"), QStringLiteral("Вокруг глаз")},
                            P{QStringLiteral("A124"), QStringLiteral("Вокруг рта")},
                            P{QStringLiteral("A164"), QStringLiteral("На лбу")},
                            P{QStringLiteral("A165"), QStringLiteral("На носу")},
                            P{QStringLiteral("A141"), QStringLiteral("В заушной области")},
                            P{QStringLiteral("A143"), QStringLiteral("В раковине ушей")},
                            P{QStringLiteral("A162"), QStringLiteral("Щеки")}},
                           1);
    g.append(face);
    // The hairline box belongs to the face phrases, yet doctors look for it with the scalp.
    LocationGroup scalp{0, QStringLiteral("Волосистая часть головы"), {}, {}};
    scalp.boxes = inColumn({P{QStringLiteral("A131"), QStringLiteral("Лобная область")},
                            P{QStringLiteral("A132"), QStringLiteral("Теменная область")},
                            P{QStringLiteral("A133"), QStringLiteral("Височная область")},
                            P{QStringLiteral("A134"), QStringLiteral("Затылочная область")}});
    scalp.boxes.append(
        {QStringLiteral("A135"), QStringLiteral("По всей поверхности волосистой части"), kEverywhereFlat, 4, 0});
    scalp.boxes.append({QStringLiteral("A136"), QStringLiteral("Край роста волос"), {}, 5, 0});
    g.append(scalp);

    // Neck and trunk.
    g.append({1,
              {},
              {},
              {{QStringLiteral("All_tulov"), QStringLiteral("По всей поверхности туловища"),
                QStringLiteral("По всей поверхности шеи и туловища"), 0, 0}}});
    const QString left = QStringLiteral("слева");
    const QString right = QStringLiteral("справа");
    const QString everywhere = QStringLiteral("везде");
    // Five neck boxes with the long flat caption of "везде" would not fit one row of the flat view.
    LocationGroup neck{1, QStringLiteral("Шея"), {}, inRow(0, {P{QStringLiteral("A211"), everywhere}})};
    neck.boxes += inRow(1, {P{QStringLiteral("A212"), left}, P{QStringLiteral("A213"), right},
                            P{QStringLiteral("A214"), QStringLiteral("спереди")},
                            P{QStringLiteral("A215"), QStringLiteral("сзади")}});
    g.append(neck);
    g.append({1,
              QStringLiteral("Грудь"),
              {},
              inRow(0, {P{QStringLiteral("A221"), everywhere}, P{QStringLiteral("A222"), left},
                        P{QStringLiteral("A223"), right}})});
    g.append({1,
              QStringLiteral("Живот"),
              {},
              inRow(0, {P{QStringLiteral("A231"), everywhere}, P{QStringLiteral("A232"), left},
                        P{QStringLiteral("A233"), right}})});
    LocationGroup back{1, QStringLiteral("Спина"), {}, inRow(0, {P{QStringLiteral("A241"), everywhere}})};
    back.boxes += inRow(1, {P{QStringLiteral("A242"), left}, P{QStringLiteral("A243"), right}},
                        QStringLiteral("Область лопаток"));
    back.boxes += inRow(2, {P{QStringLiteral("A244"), left}, P{QStringLiteral("A245"), right}},
                        QStringLiteral("Область поясницы"));
    g.append(back);
    g.append({1,
              QStringLiteral("Ягодицы"),
              {},
              inRow(0, {P{QStringLiteral("A251"), everywhere}, P{QStringLiteral("A252"), left},
                        P{QStringLiteral("A253"), right}})});
    g.append({1, {}, {}, {{QStringLiteral("A261"), QStringLiteral("Лобковая область"), {}, 0, 0}}});

    // Arms and legs.
    const QStringList armSegments{QStringLiteral("Плечо"), QStringLiteral("Предплечье"),
                                  QStringLiteral("Локтевой сустав"), QStringLiteral("Лучезапястный сустав")};
    const QStringList hand{QStringLiteral("Тыл кисти"), QStringLiteral("Ладонь"), QStringLiteral("Пальцы")};
    g.append(limb(2, QStringLiteral("Левая рука"), armSegments,
                  {QStringLiteral("A311"), QStringLiteral("A312"), QStringLiteral("A321"), QStringLiteral("A322"),
                   QStringLiteral("A331"), QStringLiteral("A332"), QStringLiteral("A341"), QStringLiteral("A342")},
                  hand, {QStringLiteral("A351"), QStringLiteral("A361"), QStringLiteral("A371")},
                  QStringLiteral("All_lev_ruka"), QStringLiteral("По всей поверхности левой руки")));
    g.append(limb(2, QStringLiteral("Правая рука"), armSegments,
                  {QStringLiteral("A313"), QStringLiteral("A314"), QStringLiteral("A323"), QStringLiteral("A324"),
                   QStringLiteral("A333"), QStringLiteral("A334"), QStringLiteral("A343"), QStringLiteral("A344")},
                  hand, {QStringLiteral("A352"), QStringLiteral("A362"), QStringLiteral("A372")},
                  QStringLiteral("All_prav_ruka"), QStringLiteral("По всей поверхности правой руки")));
    const QStringList legSegments{QStringLiteral("Бедро"), QStringLiteral("Голень"), QStringLiteral("Коленный сустав"),
                                  QStringLiteral("Голеностопный сустав")};
    const QStringList foot{QStringLiteral("Тыл стопы"), QStringLiteral("Подошва")};
    g.append(limb(3, QStringLiteral("Левая нога"), legSegments,
                  {QStringLiteral("A411"), QStringLiteral("A412"), QStringLiteral("A421"), QStringLiteral("A422"),
                   QStringLiteral("A441"), QStringLiteral("A442"), QStringLiteral("A451"), QStringLiteral("A452")},
                  foot, {QStringLiteral("A431"), QStringLiteral("A432")}, QStringLiteral("All_lev_noga"),
                  QStringLiteral("По всей поверхности левой ноги")));
    g.append(limb(3, QStringLiteral("Правая нога"), legSegments,
                  {QStringLiteral("A413"), QStringLiteral("A414"), QStringLiteral("A423"), QStringLiteral("A424"),
                   QStringLiteral("A443"), QStringLiteral("A444"), QStringLiteral("A453"), QStringLiteral("A454")},
                  foot, {QStringLiteral("A433"), QStringLiteral("A434")}, QStringLiteral("All_prav_noga"),
                  QStringLiteral("По всей поверхности правой ноги")));

    g.append({-1, {}, {}, {{QStringLiteral("All_telo"), QStringLiteral("По всей поверхности тела"), {}, 0, 0}}});
    return g;
}

// A characteristic radio group: its field, caption, items and columns; codes 1..n are stored. The
// groups stand in two columns of about the same height, the first five on the left.
struct Characteristic
{
    QString field;
    QString caption;
    QStringList items;
    int columns;
};

constexpr int kLeftCharacteristics = 5;

const QList<Characteristic> &characteristics()
{
    static const QList<Characteristic> list{
        {QStringLiteral("Color"),
         QStringLiteral("Цвет элемента:"),
         {QStringLiteral("Бледно-розовый"), QStringLiteral("Ярко-розовый"), QStringLiteral("Красный"),
          QStringLiteral("Багровый"), QStringLiteral("Светло-коричневый"), QStringLiteral("Темно-коричневый"),
          QStringLiteral("Серебристо-белый")},
         2},
        {QStringLiteral("Forma"),
         QStringLiteral("Форма:"),
         {QStringLiteral("Округлая"), QStringLiteral("Овальная"), QStringLiteral("Неопределенная")},
         2},
        {QStringLiteral("Granitca"),
         QStringLiteral("Границы:"),
         {QStringLiteral("Чёткие"), QStringLiteral("Не чёткие")},
         2},
        {QStringLiteral("Poverhnost"),
         QStringLiteral("Поверхность"),
         {QStringLiteral("Гладкая"), QStringLiteral("С трещинами")},
         2},
        {QStringLiteral("Poverhnost1"),
         QString(),
         {QStringLiteral("С чешуйками"), QStringLiteral("С корочками"), QStringLiteral("С эрозиями"),
          QStringLiteral("С изъязвлениями")},
         2},
        {QStringLiteral("Otdel"),
         QStringLiteral("Содержимое\\отделяемое"),
         {QStringLiteral("Серрозное"), QStringLiteral("Геморрагическое"), QStringLiteral("Серозно - геморрагическое"),
          QStringLiteral("Гнойное")},
         1},
        {QStringLiteral("Raspred"),
         QStringLiteral("Распределение:"),
         {QStringLiteral("Единичные"), QStringLiteral("Множественные"), QStringLiteral("Распространенные")},
         1},
        {QStringLiteral("Rasp"),
         QStringLiteral("Взаимное расположение:"),
         {QStringLiteral("Отдельно расположены"), QStringLiteral("Близко расположены")},
         1},
        {QStringLiteral("Fon"),
         QStringLiteral("На фоне:"),
         {QStringLiteral("Эритемы"), QStringLiteral("Неизменённой кожи")},
         1},
    };
    return list;
}

const QStringList &namesCapitalised()
{
    static const QStringList names{QStringLiteral(" "),
                                   QStringLiteral("Бляшки"),
                                   QStringLiteral("Другие"),
                                   QStringLiteral("Корки"),
                                   QStringLiteral("Очаги лихенизации"),
                                   QStringLiteral("Очаги эритемы"),
                                   QStringLiteral("Папулы"),
                                   QStringLiteral("Пузыри и пузырьки"),
                                   QStringLiteral("Пустулы"),
                                   QStringLiteral("Пятна"),
                                   QStringLiteral("Трещины"),
                                   QStringLiteral("Чешуйки"),
                                   QStringLiteral("Экскориации"),
                                   QStringLiteral("Эрозии"),
                                   QStringLiteral("Язвы")};
    return names;
}

QStringList namesLower()
{
    QStringList out;
    for (const QString &n : namesCapitalised())
        out.append(n.toLower());
    return out;
}

const QStringList &sizes()
{
    static const QStringList list{
        QStringLiteral("0,2"), QStringLiteral("0,5"), QStringLiteral("1"),  QStringLiteral("1,5"), QStringLiteral("2"),
        QStringLiteral("3"),   QStringLiteral("4"),   QStringLiteral("5"),  QStringLiteral("6"),   QStringLiteral("7"),
        QStringLiteral("8"),   QStringLiteral("9"),   QStringLiteral("10"), QStringLiteral("11"),  QStringLiteral("12"),
        QStringLiteral("13"),  QStringLiteral("14"),  QStringLiteral("15")};
    return list;
}

QPushButton *button(const QString &caption, const QString &objectName, QWidget *parent = nullptr)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(objectName);
    b->setAutoDefault(false);
    return b;
}

QLabel *label(const QString &text, const QString &objectName = {})
{
    auto *l = new QLabel(text);
    if (!objectName.isEmpty())
        l->setObjectName(objectName);
    return l;
}

// One part of the body picture in the units of the picture: two figures of 200 × 480 side by side,
// the front one from x 0, the back one from x 240.
struct BodyPart
{
    QString field;
    QRectF rect;
    bool ellipse = false;
};

constexpr qreal kPictureWidth = 440;
constexpr qreal kPictureHeight = 500;
constexpr qreal kBackOffset = 240;

QList<BodyPart> makeBodyParts()
{
    QList<BodyPart> parts;
    // A part of the patient's right side, seen from the front on the viewer's left, and its mirror.
    const auto pair = [&parts](const QString &right, const QString &left, const QRectF &r, qreal offset) {
        parts.append({right, r.translated(offset, 0)});
        parts.append({left, QRectF(200 - r.x() - r.width() + offset, r.y(), r.width(), r.height())});
    };
    const auto one = [&parts](const QString &field, const QRectF &r, qreal offset, bool ellipse = false) {
        parts.append({field, r.translated(offset, 0), ellipse});
    };
    const auto F = [](const char *f) { return QString::fromLatin1(f); };

    // Front: the viewer's left is the patient's right.
    one(F("A135"), {70, 0, 60, 16}, 0);
    one(F("A164"), {72, 16, 56, 12}, 0);
    one(F("A113"), {72, 28, 56, 10}, 0);
    pair(F("A162"), F("A162"), {72, 38, 20, 18}, 0);
    one(F("A165"), {92, 38, 16, 14}, 0);
    one(F("A124"), {84, 52, 32, 14}, 0);
    one(F("A214"), {88, 68, 24, 18}, 0);
    pair(F("A223"), F("A222"), {60, 86, 40, 60}, 0);
    pair(F("A233"), F("A232"), {62, 146, 38, 62}, 0);
    one(F("A261"), {80, 208, 40, 26}, 0);
    pair(F("A313"), F("A311"), {34, 88, 24, 62}, 0);
    pair(F("A333"), F("A331"), {32, 150, 24, 16}, 0);
    pair(F("A323"), F("A321"), {30, 166, 24, 52}, 0);
    pair(F("A343"), F("A341"), {28, 218, 24, 10}, 0);
    pair(F("A362"), F("A361"), {26, 228, 26, 22}, 0);
    pair(F("A372"), F("A371"), {26, 250, 26, 18}, 0);
    pair(F("A414"), F("A412"), {62, 234, 36, 92}, 0);
    pair(F("A444"), F("A442"), {64, 326, 32, 20}, 0);
    pair(F("A424"), F("A422"), {66, 346, 28, 90}, 0);
    pair(F("A454"), F("A452"), {66, 436, 28, 12}, 0);
    pair(F("A433"), F("A431"), {62, 448, 36, 22}, 0);

    // Back: the viewer's left is the patient's left.
    one(F("A134"), {70, 0, 60, 66}, kBackOffset, true);
    one(F("A215"), {88, 66, 24, 20}, kBackOffset);
    pair(F("A242"), F("A243"), {60, 86, 40, 56}, kBackOffset);
    pair(F("A244"), F("A245"), {62, 142, 38, 66}, kBackOffset);
    pair(F("A252"), F("A253"), {62, 208, 38, 38}, kBackOffset);
    pair(F("A312"), F("A314"), {34, 88, 24, 62}, kBackOffset);
    pair(F("A332"), F("A334"), {32, 150, 24, 16}, kBackOffset);
    pair(F("A322"), F("A324"), {30, 166, 24, 52}, kBackOffset);
    pair(F("A342"), F("A344"), {28, 218, 24, 10}, kBackOffset);
    pair(F("A351"), F("A352"), {26, 228, 26, 22}, kBackOffset);
    pair(F("A371"), F("A372"), {26, 250, 26, 18}, kBackOffset);
    pair(F("A411"), F("A413"), {62, 246, 36, 80}, kBackOffset);
    pair(F("A441"), F("A443"), {64, 326, 32, 20}, kBackOffset);
    pair(F("A421"), F("A423"), {66, 346, 28, 90}, kBackOffset);
    pair(F("A451"), F("A453"), {66, 436, 28, 12}, kBackOffset);
    pair(F("A432"), F("A434"), {62, 448, 36, 22}, kBackOffset);
    return parts;
}

const QList<BodyPart> &bodyParts()
{
    static const QList<BodyPart> parts = makeBodyParts();
    return parts;
}

// Tooltip of a part: its group and caption as the location views show them.
QString partCaption(const QString &field)
{
    for (const LocationGroup &g : locationGroups()) {
        for (const LocationBox &b : g.boxes) {
            if (b.field != field)
                continue;
            if (b.rowLabel.isEmpty())
                return g.title.isEmpty() ? b.caption : g.title + QStringLiteral(": ") + b.caption;
            QString column = b.column < g.columnHeaders.size() ? g.columnHeaders[b.column] : QString();
            column = column.replace(QLatin1Char('\n'), QLatin1Char(' ')).toLower();
            return g.title + QStringLiteral(": ") + b.rowLabel +
                   (column.isEmpty() ? QString() : QStringLiteral(", ") + column);
        }
    }
    return field;
}

} // namespace

const QList<LocationGroup> &locationGroups()
{
    static const QList<LocationGroup> groups = makeLocationGroups();
    return groups;
}

QStringList locationFields()
{
    QStringList out;
    for (const LocationGroup &g : locationGroups()) {
        for (const LocationBox &b : g.boxes)
            out.append(b.field);
    }
    return out;
}

// ---------------------------------------------------------------------------------------------

BodyPicture::BodyPicture(db::Table *elements, QWidget *parent) : QWidget(parent), m_elements(elements)
{
    setObjectName(QStringLiteral("BodyPicture"));
    setMinimumSize(330, 380);
    setMouseTracking(true);
    const auto repaint = [this] { update(); };
    connect(elements, &db::Table::currentChanged, this, repaint);
    connect(elements, &db::Table::rowsChanged, this, repaint);
    connect(elements, &db::Table::recordChanged, this, repaint);
    connect(elements, &db::Table::stateChanged, this, repaint);
}

QTransform BodyPicture::toWidget() const
{
    // Keeps the proportions, centred, with room for the captions above the figures.
    const qreal top = fontMetrics().height() + 8;
    const qreal scale = qMin(width() / kPictureWidth, (height() - top - 4) / kPictureHeight);
    const qreal left = (width() - kPictureWidth * scale) / 2;
    return QTransform(scale, 0, 0, scale, left, top);
}

QString BodyPicture::fieldAt(const QPointF &pos) const
{
    const QPointF p = toWidget().inverted().map(pos);
    for (const BodyPart &part : bodyParts()) {
        if (part.rect.contains(p))
            return part.field;
    }
    return {};
}

QPointF BodyPicture::centreOf(const QString &field) const
{
    for (const BodyPart &part : bodyParts()) {
        if (part.field == field)
            return toWidget().map(part.rect.center());
    }
    return {-1, -1};
}

void BodyPicture::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QTransform t = toWidget();
    const bool hasRecord = m_elements && !m_elements->isEmpty();
    const QColor skin(0xf3, 0xdc, 0xc8);
    const QColor ticked(0xd9, 0x3a, 0x3a);
    const QString hovered = fieldAt(mapFromGlobal(QCursor::pos()));
    for (const BodyPart &part : bodyParts()) {
        const bool on = hasRecord && m_elements->asBoolean(part.field);
        QColor fill = on ? ticked : skin;
        if (underMouse() && part.field == hovered)
            fill = fill.darker(115);
        p.setBrush(fill);
        p.setPen(QPen(QColor(0x80, 0x60, 0x50), 1));
        const QRectF r = t.mapRect(part.rect);
        if (part.ellipse)
            p.drawEllipse(r);
        else
            p.drawRoundedRect(r, 3, 3);
    }
    p.setPen(palette().color(QPalette::WindowText));
    const qreal captionY = fontMetrics().ascent() + 2;
    const auto caption = [&](qreal x, const QString &text, Qt::Alignment align) {
        const QPointF at = t.map(QPointF(x, 0));
        const QRectF box(at.x() - 150, captionY - fontMetrics().ascent(), 300, fontMetrics().height());
        p.drawText(box, int(align | Qt::AlignVCenter), text);
    };
    caption(100, QStringLiteral("Спереди"), Qt::AlignHCenter);
    caption(kBackOffset + 100, QStringLiteral("Сзади"), Qt::AlignHCenter);
    // Which side is which, under the figures.
    const qreal bottom = t.map(QPointF(0, kPictureHeight - 20)).y();
    const auto side = [&](qreal x, const QString &text) {
        const QPointF at = t.map(QPointF(x, 0));
        p.drawText(QRectF(at.x() - 40, bottom, 80, fontMetrics().height()), Qt::AlignCenter, text);
    };
    side(40, QStringLiteral("справа"));
    side(160, QStringLiteral("слева"));
    side(kBackOffset + 40, QStringLiteral("слева"));
    side(kBackOffset + 160, QStringLiteral("справа"));
}

void BodyPicture::mousePressEvent(QMouseEvent *event)
{
    const QString field = fieldAt(event->position());
    if (field.isEmpty() || !m_elements || m_elements->isEmpty() || event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    // Like a click on the field's check box: the record goes into edit on the doctor's click.
    if (!m_elements->isEditing())
        m_elements->edit();
    if (m_elements->isEditing())
        m_elements->setValue(field, !m_elements->asBoolean(field));
    update();
}

bool BodyPicture::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const QString field = fieldAt(help->pos());
        if (field.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), partCaption(field), this);
        return true;
    }
    if (event->type() == QEvent::MouseMove || event->type() == QEvent::Leave)
        update();
    return QWidget::event(event);
}

// ---------------------------------------------------------------------------------------------

Form_osmotr_elem::Form_osmotr_elem(db::DM2 &dm2, db::RunSettings &settings, QWidget *parent)
    : ui::EditingWindow(parent), m_dm2(dm2), m_settings(settings), m_elements(*dm2.osmotr_elem)
{
    holdMainWindow(nullptr, [this] { return m_settings.noFastScrolling; });
    setObjectName(QStringLiteral("Form_osmotr_elem"));
    setWindowTitle(QStringLiteral("Пелорин. Элементы высыпания."));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(false);
    m_wait = new ui::Form_wait(this);

    auto *views = new QGroupBox;
    views->setObjectName(QStringLiteral("RadioGroupView"));
    auto *viewsLayout = new QHBoxLayout(views);
    viewsLayout->setContentsMargins(4, 0, 4, 0);
    auto *viewGroup = new QButtonGroup(this);
    const QStringList viewNames{QStringLiteral("вид1"), QStringLiteral("вид2"), QStringLiteral("вид3")};
    for (int i = 0; i < viewNames.size(); ++i) {
        auto *r = new QRadioButton(viewNames[i]);
        r->setObjectName(QStringLiteral("RadioView%1").arg(i + 1));
        viewGroup->addButton(r, i);
        viewsLayout->addWidget(r);
        m_viewButtons.append(r);
    }
    connect(viewGroup, &QButtonGroup::idClicked, this, [this](int id) { setView(View(id)); });

    // The two pages share one place; the hidden one does not count in the window's size (in a
    // stacked widget the larger page would size both views).
    m_vid1 = buildVid1();
    m_vid2 = buildVid2();

    m_apply = button(QStringLiteral("Применить изменения"), QStringLiteral("ButtonApply"));
    m_cancel = button(QStringLiteral("Отменить изменения"), QStringLiteral("ButtonCancel"));
    connect(m_apply, &QPushButton::clicked, this, &Form_osmotr_elem::applyChanges);
    connect(m_cancel, &QPushButton::clicked, this, &Form_osmotr_elem::cancelChanges);
    setEditButtonsEnabled(false);
    // Only entering edit enables the two buttons; only the buttons disable them again.
    connect(&m_elements, &db::Table::stateChanged, this, [this] {
        if (m_elements.isEditing())
            setEditButtonsEnabled(true);
    });

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(views);
    bottom->addStretch();
    bottom->addWidget(m_apply);
    bottom->addWidget(m_cancel);

    // The views are laid out to fit a laptop screen: the buttons stay in sight without scrolling.
    auto *main = new QVBoxLayout(this);
    main->setContentsMargins(6, 6, 6, 6);
    main->addWidget(m_vid1, 1);
    main->addWidget(m_vid2, 1);
    main->addLayout(bottom);

    setView(Vid2);
}

Form_osmotr_elem::~Form_osmotr_elem()
{
    lockMainWindow(false);
}

void Form_osmotr_elem::setView(View view)
{
    m_view = view;
    m_viewButtons[view]->setChecked(true);
    m_vid1->setVisible(view == Vid1);
    m_vid2->setVisible(view != Vid1);
    m_locationColumn->setVisible(view == Vid2);
    m_bodyColumn->setVisible(view == Vid3);
    // Each view takes what its controls need, more where the screen has it; "вид3" is the widest, the
    // picture wants room beside the two columns. The columns just shown or hidden count only once
    // their layout requests have been handled.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    layout()->activate();
    const QSize roomy = view == Vid3 ? QSize(1340, 660) : QSize(1200, 660);
    resize(roomy.boundedTo(ui::screenRoomFor(this)).expandedTo(minimumSizeHint()));
}

// ---------------------------------------------------------------------------------------------
// Building

QWidget *Form_osmotr_elem::buildElementList(const QString &suffix)
{
    auto *box = new QWidget;
    auto *v = new QVBoxLayout(box);
    v->setContentsMargins(0, 0, 0, 0);
    auto *grid = new ui::DBGrid(&m_elements, {{QStringLiteral("Name_elem"), QStringLiteral("Элемент высыпания:")}});
    grid->setObjectName(QStringLiteral("DBGridElements") + suffix);
    grid->setMinimumHeight(120);
    grid->horizontalHeader()->setStretchLastSection(true);
    grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(grid, &QWidget::customContextMenuRequested, this, [this, grid](const QPoint &pos) {
        QMenu menu;
        QAction *del = menu.addAction(QStringLiteral("Удалить элемент высыпания"));
        // The history of an element was planned and never written; the item stays for the doctors' habit.
        menu.addAction(QStringLiteral("История элемента высыпания"));
        if (menu.exec(grid->viewport()->mapToGlobal(pos)) == del)
            deleteCurrentElement();
    });
    v->addWidget(grid, 1);
    auto *add = button(QStringLiteral("Нового элемента"), QStringLiteral("ButtonNewElement") + suffix);
    auto *copy = button(QStringLiteral("Новый  элемент (те же хар-ки)"), QStringLiteral("ButtonCopyElement") + suffix);
    connect(add, &QPushButton::clicked, this, &Form_osmotr_elem::newElement);
    connect(copy, &QPushButton::clicked, this, &Form_osmotr_elem::newElementCopy);
    v->addWidget(add);
    v->addWidget(copy);
    return box;
}

QWidget *Form_osmotr_elem::buildSizes(const QString &suffix)
{
    auto *box = new QWidget;
    auto *h = new QHBoxLayout(box);
    h->setContentsMargins(0, 0, 0, 0);
    h->addWidget(label(QStringLiteral("Размером")));
    h->addWidget(label(QStringLiteral("от")));
    const QStringList fields{QStringLiteral("Razmer_ot"), QStringLiteral("Razmer_do")};
    for (const QString &f : fields) {
        auto *c = new ui::DBComboBox(&m_elements, f);
        c->setObjectName(QStringLiteral("DBComboBox") + f + suffix);
        c->setItems(sizes());
        c->setEditable(true);
        c->setMinimumContentsLength(4);
        h->addWidget(c);
        // The old caption "до                     см." left spaces for the second box; a layout
        // puts the box between its two words instead.
        if (f == fields.first())
            h->addWidget(label(QStringLiteral("до")));
        else
            h->addWidget(label(QStringLiteral("см.")));
    }
    h->addStretch();
    return box;
}

QWidget *Form_osmotr_elem::buildCharacteristics(bool capitalised, const QString &suffix)
{
    auto *box = new QWidget;
    auto *v = new QVBoxLayout(box);
    v->setContentsMargins(0, 0, 0, 0);
    auto *name = new ui::DBComboBox(&m_elements, QStringLiteral("Name_elem"));
    name->setObjectName(QStringLiteral("DBComboBoxName") + suffix);
    name->setItems(capitalised ? namesCapitalised() : namesLower());
    name->setEditable(true);
    name->setMaxVisibleItems(namesCapitalised().size());
    (capitalised ? m_nameCapitalised : m_nameLower) = name;
    v->addWidget(name);
    v->addWidget(buildSizes(suffix));
    // Two columns of groups: in one column the nine groups would be taller than a laptop screen.
    auto *columns = new QHBoxLayout;
    auto *left = new QVBoxLayout;
    auto *right = new QVBoxLayout;
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);
    v->addLayout(columns);
    int index = 0;
    for (const Characteristic &c : characteristics()) {
        auto *row = new QHBoxLayout;
        auto *group = new ui::DBRadioGroup(&m_elements, c.field);
        group->setObjectName(QStringLiteral("DBRadioGroup") + c.field + suffix);
        group->setTitle(c.caption);
        group->setItems(c.items);
        QStringList codes;
        for (int i = 1; i <= c.items.size(); ++i)
            codes.append(QString::number(i));
        group->setValues(codes);
        group->setColumns(c.columns);
        group->layout()->setContentsMargins(6, 2, 6, 2);
        static_cast<QGridLayout *>(group->layout())->setVerticalSpacing(2);
        auto *clear = button(QStringLiteral("Х"), QStringLiteral("ButtonClear") + c.field + suffix);
        clear->setFixedWidth(28);
        clear->setToolTip(c.caption.isEmpty() ? c.items.join(QStringLiteral(", ")) : c.caption);
        const QString field = c.field;
        connect(clear, &QPushButton::clicked, this, [this, field] { clearCharacteristic(m_elements, field); });
        row->addWidget(group, 1);
        row->addWidget(clear, 0, Qt::AlignVCenter);
        (index++ < kLeftCharacteristics ? left : right)->addLayout(row);
    }
    left->addStretch();
    right->addStretch();
    v->addStretch();
    return box;
}

QWidget *Form_osmotr_elem::buildLocationGroup(const LocationGroup &group, bool flat)
{
    QWidget *box = nullptr;
    if (group.title.isEmpty()) {
        box = new QWidget;
    } else {
        auto *gb = new QGroupBox(group.title);
        box = gb;
    }
    auto *grid = new QGridLayout(box);
    // Tight rows: the arm tab holds two limbs of eight rows each.
    grid->setVerticalSpacing(1);
    if (group.title.isEmpty())
        grid->setContentsMargins(0, 0, 0, 0);
    bool hasRowLabels = false;
    for (const LocationBox &b : group.boxes)
        hasRowLabels = hasRowLabels || !b.rowLabel.isEmpty();
    const int firstColumn = hasRowLabels ? 1 : 0;
    const int firstRow = group.columnHeaders.isEmpty() ? 0 : 1;
    for (int i = 0; i < group.columnHeaders.size(); ++i) {
        auto *h = label(group.columnHeaders[i]);
        h->setAlignment(Qt::AlignCenter);
        grid->addWidget(h, 0, firstColumn + i, Qt::AlignCenter);
    }
    QSet<int> labelledRows;
    QHash<int, int> boxesInRow;
    for (const LocationBox &b : group.boxes)
        ++boxesInRow[b.row];
    for (const LocationBox &b : group.boxes) {
        const QString caption = flat && !b.flatCaption.isEmpty() ? b.flatCaption : b.caption;
        auto *check = new ui::DBCheckBox(caption, &m_elements, b.field);
        check->setObjectName(b.field);
        if (!b.rowLabel.isEmpty()) {
            check->setToolTip(partCaption(b.field));
            if (!labelledRows.contains(b.row)) {
                labelledRows.insert(b.row);
                grid->addWidget(label(b.rowLabel), firstRow + b.row, 0);
            }
        }
        // Whole-limb boxes, boxes without a row label in a labelled grid and boxes alone in their row
        // take the whole width, so that a long caption does not widen the first column.
        // A box of a labelled row stays in its column, clear of the label, even when alone in it.
        const bool spansGrid = b.rowLabel.isEmpty() && (hasRowLabels || boxesInRow.value(b.row) == 1);
        const Qt::Alignment align = b.caption.isEmpty() ? Qt::AlignCenter : Qt::Alignment();
        if (spansGrid)
            grid->addWidget(check, firstRow + b.row, 0, 1, -1);
        else
            grid->addWidget(check, firstRow + b.row, firstColumn + b.column, align);
    }
    grid->setColumnStretch(grid->columnCount(), 1);
    return box;
}

QWidget *Form_osmotr_elem::buildAreaCalc(const QString &suffix)
{
    auto *box = new QWidget;
    auto *h = new QHBoxLayout(box);
    h->setContentsMargins(0, 0, 0, 0);
    auto *texts = new QVBoxLayout;
    texts->addWidget(label(QStringLiteral("Вычисление площади")));
    texts->addWidget(label(QStringLiteral("поражения данным элементом: ")));
    h->addLayout(texts);
    auto *calc = button(QStringLiteral("Рассчитать."), QStringLiteral("ButtonArea") + suffix);
    connect(calc, &QPushButton::clicked, this, &Form_osmotr_elem::calculateArea);
    h->addWidget(calc);
    h->addStretch();
    return box;
}

QWidget *Form_osmotr_elem::buildVid1()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("vid1"));
    auto *outer = new QVBoxLayout(page);
    outer->setContentsMargins(0, 0, 0, 0);
    auto *panel = new QGroupBox(QStringLiteral("Характеристика элемента высыпания на коже:"));
    panel->setObjectName(QStringLiteral("GroupBoxCharacteristics"));
    outer->addWidget(panel);
    auto *h = new QHBoxLayout(panel);

    auto *left = new QVBoxLayout;
    left->addWidget(buildElementList(QStringLiteral("_vid1")), 1);
    h->addLayout(left, 2);
    h->addWidget(buildCharacteristics(true, QStringLiteral("_vid1")), 4);

    auto *locations = new QGroupBox(QStringLiteral("Расположение элемента высыпания:"));
    auto *lv = new QVBoxLayout(locations);
    auto *tabs = new QTabWidget;
    tabs->setObjectName(QStringLiteral("PageControlLocations"));
    const QStringList tabNames{QStringLiteral("Голова"), QStringLiteral("Шея и туловище"), QStringLiteral("Руки"),
                               QStringLiteral("Ноги")};
    QList<QVBoxLayout *> tabLayouts;
    for (const QString &name : tabNames) {
        auto *tab = new QWidget;
        auto *tv = new QVBoxLayout(tab);
        tabs->addTab(tab, name);
        tabLayouts.append(tv);
    }
    for (const LocationGroup &g : locationGroups()) {
        if (g.tab >= 0)
            tabLayouts[g.tab]->addWidget(buildLocationGroup(g, false));
        else
            lv->insertWidget(0, buildLocationGroup(g, false));
    }
    for (QVBoxLayout *tv : tabLayouts)
        tv->addStretch();
    lv->insertWidget(0, tabs, 1);
    auto *area = button(QStringLiteral("Рассчитать площадь"), QStringLiteral("ButtonArea_vid1"));
    connect(area, &QPushButton::clicked, this, &Form_osmotr_elem::calculateArea);
    lv->addWidget(area, 0, Qt::AlignLeft);
    h->addWidget(locations, 4);
    return page;
}

QWidget *Form_osmotr_elem::buildVid2()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("vid2"));
    auto *h = new QHBoxLayout(page);
    h->setContentsMargins(0, 0, 0, 0);

    auto *listColumn = new QGroupBox(QStringLiteral("Список элем. высыпания"));
    auto *lv = new QVBoxLayout(listColumn);
    lv->addWidget(buildElementList(QStringLiteral("_vid2")), 1);
    auto *pasi = button(QStringLiteral("Рассчитать PASI и SCORAD"), QStringLiteral("ButtonPasiScorad"));
    connect(pasi, &QPushButton::clicked, this, &Form_osmotr_elem::calculatePasiScorad);
    lv->addWidget(pasi);
    lv->addWidget(label(QStringLiteral("Полное описание")));
    lv->addWidget(label(QStringLiteral("элемента высыпания")));
    auto *name1 = new ui::DBText(&m_elements, QStringLiteral("Name_elem1"));
    name1->setObjectName(QStringLiteral("DBTextName_elem1"));
    lv->addWidget(name1);
    auto *list = new ui::DBMemo(&m_elements, QStringLiteral("List"));
    list->setObjectName(QStringLiteral("DBMemoList"));
    list->setReadOnly(true);
    lv->addWidget(list, 1);
    h->addWidget(listColumn, 3);

    auto *charColumn = new QGroupBox(QStringLiteral("Характеристики элем. высыпания"));
    auto *cv = new QVBoxLayout(charColumn);
    cv->addWidget(buildCharacteristics(false, QStringLiteral("_vid2")));
    h->addWidget(charColumn, 4);

    m_locationColumn = new QGroupBox(QStringLiteral("Расположение элем. высыпания"));
    m_locationColumn->setObjectName(QStringLiteral("GroupBoxLocations"));
    auto *locv = new QVBoxLayout(m_locationColumn);
    auto *scroll = new QScrollArea;
    scroll->setObjectName(QStringLiteral("ScrollBoxLocations"));
    scroll->setWidgetResizable(true);
    auto *panel = new QWidget;
    auto *pv = new QVBoxLayout(panel);
    const QStringList headings{QStringLiteral("Голова."), QStringLiteral("Шея и туловище."), QStringLiteral("Руки"),
                               QStringLiteral("Ноги")};
    int lastTab = -2;
    for (const LocationGroup &g : locationGroups()) {
        if (g.tab != lastTab && g.tab >= 0) {
            auto *heading = label(headings[g.tab]);
            QFont f = heading->font();
            f.setBold(true);
            heading->setFont(f);
            pv->addWidget(heading);
        }
        lastTab = g.tab;
        if (g.tab < 0)
            pv->insertWidget(0, buildLocationGroup(g, true));
        else
            pv->addWidget(buildLocationGroup(g, true));
    }
    pv->addStretch();
    scroll->setWidget(panel);
    // The long list scrolls down only: the column is as wide as its widest row.
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setMinimumWidth(panel->minimumSizeHint().width() + scroll->verticalScrollBar()->sizeHint().width() +
                            2 * scroll->frameWidth());
    locv->addWidget(scroll, 1);
    locv->addWidget(buildAreaCalc(QStringLiteral("_vid2")));
    h->addWidget(m_locationColumn, 5);

    m_bodyColumn = new QGroupBox;
    m_bodyColumn->setObjectName(QStringLiteral("vid3"));
    auto *bv = new QVBoxLayout(m_bodyColumn);
    bv->addWidget(new BodyPicture(&m_elements), 1);
    bv->addWidget(buildAreaCalc(QStringLiteral("_vid3")));
    h->addWidget(m_bodyColumn, 5);
    return page;
}

// ---------------------------------------------------------------------------------------------
// Operations

void Form_osmotr_elem::setEditButtonsEnabled(bool enabled)
{
    m_apply->setEnabled(enabled);
    m_cancel->setEnabled(enabled);
}

void Form_osmotr_elem::afterAppend(bool appended, const QString &message)
{
    Dialogs &dialogs = Dialogs::instance();
    if (appended)
        setEditButtonsEnabled(true);
    dialogs.beep();
    m_wait->hideWaiting();
    if (!appended)
        return;
    dialogs.message(message, QStringLiteral("Внимание!"));
    ui::DBComboBox *name = m_view == Vid1 ? m_nameCapitalised : m_view == Vid2 ? m_nameLower : nullptr;
    if (name && isVisible()) {
        name->setFocus();
        name->showPopup();
    }
}

void Form_osmotr_elem::newElement()
{
    Dialogs::instance().beep();
    m_wait->showWaiting();
    afterAppend(appendElement(*m_dm2.osmotr1, m_elements), newElementMessage());
}

void Form_osmotr_elem::newElementCopy()
{
    Dialogs::instance().beep();
    m_wait->showWaiting();
    afterAppend(appendElementCopy(*m_dm2.osmotr1, m_elements), copiedElementMessage());
}

void Form_osmotr_elem::deleteCurrentElement()
{
    deleteElement(m_elements);
}

void Form_osmotr_elem::applyChanges()
{
    if (m_elements.isEditing() && !m_elements.post())
        return;
    setEditButtonsEnabled(false);
}

void Form_osmotr_elem::cancelChanges()
{
    if (m_elements.isEditing())
        m_elements.cancel();
    setEditButtonsEnabled(false);
}

void Form_osmotr_elem::calculateArea()
{
    showElementArea(m_elements);
}

void Form_osmotr_elem::calculatePasiScorad()
{
    sumAreasIntoExamination(*m_dm2.osmotr1, m_elements);
}

// ---------------------------------------------------------------------------------------------
// Main window lock

void Form_osmotr_elem::lockMainWindow(bool lock)
{
    if (lock == m_locked)
        return;
    m_locked = lock;
    if (m_mainWindow) {
        // Disabling a widget disables its child windows too, this one included when the main window
        // is its parent; then only the main window's own contents are disabled.
        // (isAncestorOf stops at window borders, hence the walk up the parents.)
        bool isParent = false;
        for (QWidget *p = parentWidget(); p && !isParent; p = p->parentWidget())
            isParent = p == m_mainWindow;
        if (!isParent) {
            m_mainWindow->setEnabled(!lock);
        } else if (lock) {
            m_lockedParts.clear();
            for (QWidget *part : m_mainWindow->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
                if (!part->isWindow() && part->isEnabled()) {
                    part->setEnabled(false);
                    m_lockedParts.append(part);
                }
            }
        } else {
            for (const QPointer<QWidget> &part : std::as_const(m_lockedParts)) {
                if (part)
                    part->setEnabled(true);
            }
            m_lockedParts.clear();
        }
    }
    Q_EMIT mainWindowLockChanged(lock);
}

void Form_osmotr_elem::setMainWindowHeld(bool held)
{
    lockMainWindow(held);
}

} // namespace pelorin::examination
