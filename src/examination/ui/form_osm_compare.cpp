#include "form_osm_compare.h"

#include "photos.h"
#include "windowfit.h"

#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace pelorin::examination {

namespace {

const QString kPaneTip = QStringLiteral("Колесо мыши — крупнее или мельче, перетаскивание мышью — сдвиг.\n"
                                        "Оба снимка движутся вместе.");

QPushButton *makeButton(QWidget *parent, const char *name, const QString &text)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

QLabel *makeCaption(QWidget *parent, const char *name)
{
    auto *l = new QLabel(parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setStyleSheet(QStringLiteral("color: blue; font-weight: bold;"));
    // A long caption must not widen its pane at the other's cost.
    l->setMinimumWidth(1);
    l->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    return l;
}

} // namespace

// ---------------------------------------------------------------- the shared view

void CompareView::set(double zoom, QPointF center)
{
    zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
    // A picture that fits its pane has nothing to move.
    if (zoom <= kMinZoom)
        center = {0.5, 0.5};
    center = {std::clamp(center.x(), 0.0, 1.0), std::clamp(center.y(), 0.0, 1.0)};
    if (zoom == m_zoom && center == m_center)
        return;
    m_zoom = zoom;
    m_center = center;
    Q_EMIT changed();
}

void CompareView::zoomBy(double factor, QPointF anchor)
{
    const double zoom = std::clamp(m_zoom * factor, kMinZoom, kMaxZoom);
    // The anchor's distance from the centre shrinks as the picture grows.
    set(zoom, anchor - (anchor - m_center) * (m_zoom / zoom));
}

void CompareView::panBy(QPointF delta)
{
    set(m_zoom, m_center + delta);
}

void CompareView::fit()
{
    set(kMinZoom, {0.5, 0.5});
}

// ---------------------------------------------------------------- one pane

ComparePane::ComparePane(CompareView &view, QWidget *parent) : QWidget(parent), m_view(view)
{
    setMinimumSize(200, 150);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setToolTip(kPaneTip);
    connect(&m_view, &CompareView::changed, this, qOverload<>(&QWidget::update));
}

void ComparePane::setImage(const QImage &image)
{
    m_image = image;
    m_pixmap = QPixmap::fromImage(image);
    m_message.clear();
    setCursor(image.isNull() ? Qt::ArrowCursor : Qt::OpenHandCursor);
    update();
}

void ComparePane::setMessage(const QString &message)
{
    setImage(QImage());
    m_message = message;
}

void ComparePane::clear()
{
    setImage(QImage());
}

QRectF ComparePane::pictureRect() const
{
    if (m_image.isNull() || width() <= 0 || height() <= 0)
        return {};
    const double fit = std::min(double(width()) / m_image.width(), double(height()) / m_image.height());
    const QSizeF shown = QSizeF(m_image.size()) * (fit * m_view.zoom());
    const QPointF c = m_view.center();
    return {QPointF(width() / 2.0 - c.x() * shown.width(), height() / 2.0 - c.y() * shown.height()), shown};
}

void ComparePane::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(64, 64, 64));
    if (m_pixmap.isNull()) {
        painter.setPen(Qt::white);
        painter.drawText(rect().adjusted(12, 12, -12, -12), Qt::AlignCenter | Qt::TextWordWrap, m_message);
        return;
    }
    // Only the part in sight is scaled: at a high zoom the whole picture would be enormous.
    const QRectF whole = pictureRect();
    const QRectF target = whole.intersected(QRectF(rect()));
    if (target.isEmpty())
        return;
    const double sx = m_pixmap.width() / whole.width();
    const double sy = m_pixmap.height() / whole.height();
    const QRectF source((target.x() - whole.x()) * sx, (target.y() - whole.y()) * sy, target.width() * sx,
                        target.height() * sy);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(target, m_pixmap, source);
}

void ComparePane::wheelEvent(QWheelEvent *event)
{
    const QRectF whole = pictureRect();
    const int steps = event->angleDelta().y() / 120;
    if (whole.isEmpty() || steps == 0) {
        event->ignore();
        return;
    }
    const QPointF at = event->position();
    const QPointF anchor((at.x() - whole.x()) / whole.width(), (at.y() - whole.y()) / whole.height());
    m_view.zoomBy(std::pow(CompareView::kStep, steps), anchor);
    event->accept();
}

void ComparePane::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || m_image.isNull())
        return QWidget::mousePressEvent(event);
    m_dragging = true;
    m_dragFrom = event->position();
    setCursor(Qt::ClosedHandCursor);
}

void ComparePane::mouseMoveEvent(QMouseEvent *event)
{
    const QRectF whole = pictureRect();
    if (!m_dragging || whole.isEmpty())
        return QWidget::mouseMoveEvent(event);
    const QPointF moved = event->position() - m_dragFrom;
    m_dragFrom = event->position();
    // The picture follows the hand: the view goes the other way.
    m_view.panBy(QPointF(-moved.x() / whole.width(), -moved.y() / whole.height()));
}

void ComparePane::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_dragging)
        return QWidget::mouseReleaseEvent(event);
    m_dragging = false;
    setCursor(m_image.isNull() ? Qt::ArrowCursor : Qt::OpenHandCursor);
}

// ---------------------------------------------------------------- the window

Form_osm_compare::Form_osm_compare(db::DM2 &dm2, QWidget *parent)
    : ui::EditingWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::WindowMaximizeButtonHint),
      m_dm2(dm2)
{
    setObjectName(QStringLiteral("Form_osm_compare"));
    setWindowTitle(QStringLiteral("Пелорин. Сравнение снимков."));
    setModal(true);

    m_leftCaption = makeCaption(this, "LabelCurrent");
    m_rightCaption = makeCaption(this, "LabelEarlier");
    m_left = new ComparePane(m_view, this);
    m_left->setObjectName(QStringLiteral("PaneCurrent"));
    m_right = new ComparePane(m_view, this);
    m_right->setObjectName(QStringLiteral("PaneEarlier"));

    auto *stripCaption = new QLabel(QStringLiteral("Снимки прежних осмотров:"), this);
    stripCaption->setObjectName(QStringLiteral("LabelThumbStrip"));
    m_strip = new QListWidget(this);
    m_strip->setObjectName(QStringLiteral("ThumbStrip"));
    stripCaption->setBuddy(m_strip);
    m_strip->setViewMode(QListView::IconMode);
    m_strip->setFlow(QListView::LeftToRight);
    m_strip->setWrapping(false);
    m_strip->setMovement(QListView::Static);
    m_strip->setUniformItemSizes(true);
    m_strip->setSelectionMode(QAbstractItemView::SingleSelection);
    m_strip->setIconSize(kThumbSize);
    m_strip->setTextElideMode(Qt::ElideRight);
    m_strip->setWordWrap(true);
    const QFontMetrics fm(m_strip->font());
    const int itemWidth =
        std::max(kThumbSize.width(), fm.horizontalAdvance(QStringLiteral("SCORAD 100 · PASI 72,00"))) + 16;
    m_strip->setGridSize(QSize(itemWidth, kThumbSize.height() + 2 * fm.lineSpacing() + 16));
    m_strip->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_strip->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_strip->setFixedHeight(m_strip->gridSize().height() + m_strip->horizontalScrollBar()->sizeHint().height() +
                            2 * m_strip->frameWidth() + 4);

    m_zoomIn = makeButton(this, "ButtonZoomIn", QStringLiteral("Крупнее"));
    m_zoomOut = makeButton(this, "ButtonZoomOut", QStringLiteral("Мельче"));
    auto *fit = makeButton(this, "ButtonFit", QStringLiteral("По размеру окна"));
    auto *close = makeButton(this, "ButtonClose", QStringLiteral("Закрыть"));
    for (QPushButton *b : {m_zoomIn, m_zoomOut, fit})
        b->setToolTip(kPaneTip);

    auto *layout = new QGridLayout(this);
    layout->addWidget(m_leftCaption, 0, 0);
    layout->addWidget(m_rightCaption, 0, 1);
    layout->addWidget(m_left, 1, 0);
    layout->addWidget(m_right, 1, 1);
    layout->addWidget(stripCaption, 2, 0, 1, 2);
    layout->addWidget(m_strip, 3, 0, 1, 2);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_zoomIn);
    buttons->addWidget(m_zoomOut);
    buttons->addWidget(fit);
    auto *hint = new QLabel(QStringLiteral("Колесо мыши — крупнее или мельче, перетаскивание — сдвиг."), this);
    hint->setObjectName(QStringLiteral("LabelHint"));
    hint->setStyleSheet(QStringLiteral("color: gray;"));
    buttons->addSpacing(12);
    buttons->addWidget(hint);
    buttons->addStretch(1);
    buttons->addWidget(close);
    layout->addLayout(buttons, 4, 0, 1, 2);
    layout->setRowStretch(1, 1);
    layout->setColumnStretch(0, 1);
    layout->setColumnStretch(1, 1);

    connect(m_zoomIn, &QPushButton::clicked, this, [this] { m_view.zoomBy(CompareView::kStep); });
    connect(m_zoomOut, &QPushButton::clicked, this, [this] { m_view.zoomBy(1.0 / CompareView::kStep); });
    connect(fit, &QPushButton::clicked, &m_view, &CompareView::fit);
    connect(close, &QPushButton::clicked, this, &Form_osm_compare::reject);
    connect(&m_view, &CompareView::changed, this, &Form_osm_compare::updateZoomButtons);
    connect(m_strip, &QListWidget::currentRowChanged, this, &Form_osm_compare::pickPhoto);
    updateZoomButtons();
    resize(kOpeningSize);
}

Form_osm_compare::~Form_osm_compare() = default;

void Form_osm_compare::showComparison()
{
    m_comparison = gatherPhotoComparison(m_dm2);
    m_view.fit();
    if (m_comparison.current) {
        m_leftCaption->setText(QStringLiteral("Текущий осмотр ") + m_comparison.current->caption());
        showPhoto(m_left, *m_comparison.current);
    } else {
        m_leftCaption->setText(QStringLiteral("Текущий осмотр"));
        m_left->setMessage(noCurrentPhotoText());
    }
    m_picked = -1;
    fillStrip();
    if (m_comparison.defaultPick >= 0) {
        m_strip->setCurrentRow(m_comparison.defaultPick);
    } else {
        m_rightCaption->setText(QStringLiteral("Прежний осмотр"));
        m_right->setMessage(noEarlierPhotosText());
    }

    // The opening size where the screen has room for it, centred on the screen.
    resize(kOpeningSize.boundedTo(ui::screenRoomFor(this)));
    ui::centreOnScreen(this);
    show();
    raise();
    activateWindow();
    if (m_strip->currentItem())
        m_strip->scrollToItem(m_strip->currentItem());
}

void Form_osm_compare::fillStrip()
{
    const QSignalBlocker blocker(m_strip);
    m_strip->clear();
    for (const ComparePhoto &photo : m_comparison.earlier) {
        auto *item = new QListWidgetItem(QIcon(QPixmap::fromImage(thumbnail(photo))), photo.label(), m_strip);
        item->setTextAlignment(Qt::AlignHCenter | Qt::AlignTop);
        QString tip = QDir::toNativeSeparators(photo.file);
        if (!photo.description.isEmpty())
            tip = photo.description + QLatin1Char('\n') + tip;
        item->setToolTip(tip);
    }
    m_strip->setEnabled(m_strip->count() > 0);
}

void Form_osm_compare::pickPhoto(int index)
{
    if (index < 0 || index >= m_comparison.earlier.size() || index == m_picked)
        return;
    m_picked = index;
    const ComparePhoto &photo = m_comparison.earlier.at(index);
    m_rightCaption->setText(QStringLiteral("Прежний осмотр ") + photo.caption());
    showPhoto(m_right, photo);
    if (m_strip->currentRow() != index)
        m_strip->setCurrentRow(index);
}

void Form_osm_compare::showPhoto(ComparePane *pane, const ComparePhoto &photo)
{
    if (!photo.fileExists) {
        pane->setMessage(missingPhotoFileText(photo.file));
        return;
    }
    const QImage image = readPicture(photo.file, kDecodeLimit);
    if (image.isNull())
        pane->setMessage(unreadablePhotoFileText(photo.file));
    else
        pane->setImage(image);
}

QImage Form_osm_compare::thumbnail(const ComparePhoto &photo)
{
    QImage card(kThumbSize, QImage::Format_ARGB32_Premultiplied);
    card.fill(Qt::transparent);
    // JPEG decodes straight at the small size, so a strip of large photos opens quickly.
    const QImage picture = photo.fileExists ? readPicture(photo.file, kThumbSize) : QImage();
    QPainter painter(&card);
    if (!picture.isNull()) {
        const QSize shown = picture.size().scaled(kThumbSize, Qt::KeepAspectRatio);
        QRect r(QPoint(0, 0), shown);
        r.moveCenter(card.rect().center());
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(r, picture);
        return card;
    }
    painter.fillRect(card.rect(), QColor(224, 224, 224));
    painter.setPen(QColor(160, 160, 160));
    painter.drawRect(card.rect().adjusted(0, 0, -1, -1));
    painter.setPen(QColor(150, 0, 0));
    painter.drawText(card.rect().adjusted(4, 4, -4, -4), Qt::AlignCenter | Qt::TextWordWrap,
                     photo.fileExists ? QStringLiteral("Файл не читается") : QStringLiteral("Файл не найден"));
    return card;
}

void Form_osm_compare::updateZoomButtons()
{
    m_zoomIn->setEnabled(m_view.zoom() < CompareView::kMaxZoom);
    m_zoomOut->setEnabled(m_view.zoom() > CompareView::kMinZoom);
}

bool Form_osm_compare::closing()
{
    // The photos are let go on closing: the window stays for the next comparison, the memory need not.
    m_left->clear();
    m_right->clear();
    {
        const QSignalBlocker blocker(m_strip);
        m_strip->clear();
    }
    m_comparison = {};
    m_picked = -1;
    m_view.fit();
    return true;
}

} // namespace pelorin::examination
