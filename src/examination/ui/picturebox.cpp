#include "picturebox.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace pelorin::examination {

PictureBox::PictureBox(Fit fit, QWidget *parent) : QWidget(parent), m_fit(fit)
{
}

void PictureBox::setImage(const QImage &image)
{
    m_image = image;
    m_scaled = QPixmap();
    update();
}

QRect PictureBox::pictureRect() const
{
    if (m_image.isNull() || width() <= 0 || height() <= 0)
        return {};
    QSize size = m_image.size();
    const bool larger = size.width() > width() || size.height() > height();
    if (m_fit == Fit::Scale || larger)
        size = size.scaled(this->size(), Qt::KeepAspectRatio);
    size = size.expandedTo(QSize(1, 1));
    return QRect(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size);
}

void PictureBox::paintEvent(QPaintEvent *)
{
    const QRect target = pictureRect();
    if (target.isEmpty())
        return;
    if (m_scaled.size() != target.size()) {
        m_scaled = QPixmap::fromImage(target.size() == m_image.size()
                                          ? m_image
                                          : m_image.scaled(target.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    }
    QPainter painter(this);
    painter.drawPixmap(target.topLeft(), m_scaled);
}

void PictureBox::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
    QWidget::mouseReleaseEvent(event);
}

QImage missingPhotoPicture()
{
    // A picture frame with hills and a sun, crossed out: there is a photo, but not its file.
    QImage image(96, 96, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF frame(10, 18, 76, 60);
    p.setPen(QPen(QColor(120, 120, 120), 3));
    p.setBrush(QColor(236, 236, 236));
    p.drawRoundedRect(frame, 5, 5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(170, 170, 170));
    p.drawEllipse(QPointF(64, 36), 7, 7);
    QPainterPath hills;
    hills.moveTo(14, 74);
    hills.lineTo(36, 44);
    hills.lineTo(52, 62);
    hills.lineTo(62, 52);
    hills.lineTo(82, 74);
    hills.closeSubpath();
    p.drawPath(hills);
    p.setPen(QPen(QColor(200, 40, 40), 5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(20, 26), QPointF(76, 70));
    p.drawLine(QPointF(76, 26), QPointF(20, 70));
    return image;
}

} // namespace pelorin::examination
