#pragma once

#include <QImage>
#include <QPixmap>
#include <QWidget>

namespace pelorin::examination {

// A picture area: the picture is centred and keeps its proportions. Scale fits it to the area
// both ways (the preview); ShrinkOnly shrinks a larger picture and shows a smaller one at its
// own size (the full-size window). A left click emits clicked().
class PictureBox : public QWidget
{
    Q_OBJECT

public:
    enum class Fit { Scale, ShrinkOnly };

    explicit PictureBox(Fit fit, QWidget *parent = nullptr);

    void setImage(const QImage &image);
    void clear() { setImage(QImage()); }
    const QImage &image() const { return m_image; }
    bool hasImage() const { return !m_image.isNull(); }
    // Where the picture is drawn inside the area, in the area's coordinates; empty without one.
    QRect pictureRect() const;

    // The size the area asks its layout for; none by default.
    void setPreferredSize(const QSize &size) { m_preferred = size; updateGeometry(); }
    QSize sizeHint() const override { return m_preferred; }

Q_SIGNALS:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    Fit m_fit;
    QSize m_preferred;
    QImage m_image;
    // The picture scaled for the current area, made again only when the area's size changes.
    mutable QPixmap m_scaled;
};

// The fixed small picture that stands in for a photo whose file is missing.
QImage missingPhotoPicture();

} // namespace pelorin::examination
