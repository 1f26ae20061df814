#pragma once

#include "editingwindow.h"
#include "photocompare.h"

#include <QDialog>
#include <QImage>
#include <QPixmap>
#include <QPointF>

class QLabel;
class QListWidget;
class QPushButton;

namespace pelorin::db {
class DM2;
}

namespace pelorin::examination {

// Where both panes look: the zoom, 1 when the picture fits its pane, and the point of the picture
// at the pane's centre as a fraction of its width and height. The two photos of one elbow are
// seldom of one size, so they are lined up by these fractions rather than by pixels.
class CompareView : public QObject
{
    Q_OBJECT

public:
    static constexpr double kMinZoom = 1.0;
    static constexpr double kMaxZoom = 16.0;
    static constexpr double kStep = 1.25;

    using QObject::QObject;

    double zoom() const { return m_zoom; }
    QPointF center() const { return m_center; }

    // Zooms keeping the picture point `anchor` (fractions) where it is on the screen.
    void zoomBy(double factor, QPointF anchor = {0.5, 0.5});
    // Moves the view by a part of the picture's width and height.
    void panBy(QPointF delta);
    void fit();

Q_SIGNALS:
    void changed();

private:
    void set(double zoom, QPointF center);

    double m_zoom = 1.0;
    QPointF m_center{0.5, 0.5};
};

// One side of the comparison: a photo shown as the shared view says, or a text in its place. The
// wheel zooms, a drag moves the view; both go to the shared view, so the other side follows.
class ComparePane : public QWidget
{
    Q_OBJECT

public:
    ComparePane(CompareView &view, QWidget *parent = nullptr);

    void setImage(const QImage &image);
    // Shown instead of a picture.
    void setMessage(const QString &message);
    void clear();

    const QImage &image() const { return m_image; }
    QString message() const { return m_message; }
    // Where the whole picture lies in the pane's coordinates (partly outside it when zoomed in).
    QRectF pictureRect() const;

    QSize sizeHint() const override { return {400, 300}; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    CompareView &m_view;
    QImage m_image;
    QPixmap m_pixmap;
    QString m_message;
    QPointF m_dragFrom;
    bool m_dragging = false;
};

// "Пелорин. Сравнение снимков.": the current photo of the current examination on the left, a
// photo of an earlier examination on the right, chosen from the strip of thumbnails "ThumbStrip"
// below. Zoom and pan move both sides together. It blocks the other windows while open, as the
// examination it compares must not change under it; it is filled again each time it is opened.
class Form_osm_compare : public ui::EditingWindow
{
    Q_OBJECT

public:
    static constexpr QSize kOpeningSize{1100, 640};
    static constexpr QSize kThumbSize{120, 90};
    // Photos are decoded no larger than this: enough to zoom in on, and two 48-megapixel photos
    // would otherwise take some 400 MB.
    static constexpr QSize kDecodeLimit{4096, 4096};

    explicit Form_osm_compare(db::DM2 &dm2, QWidget *parent = nullptr);
    ~Form_osm_compare() override;

    // Gathers the photos of the current examination and the earlier ones, and shows the window.
    void showComparison();

    const PhotoComparison &comparison() const { return m_comparison; }
    ComparePane *currentPane() const { return m_left; }
    ComparePane *earlierPane() const { return m_right; }
    CompareView &view() { return m_view; }
    // The photo of the earlier examination on the right; -1 when none is.
    int pickedPhoto() const { return m_picked; }
    void pickPhoto(int index);

    // The thumbnail of one photo; a file that is missing or cannot be read gets a grey card saying so.
    static QImage thumbnail(const ComparePhoto &photo);

protected:
    // The photos are let go on closing, however it is closed.
    bool closing() override;

private:
    void fillStrip();
    void updateZoomButtons();
    static void showPhoto(ComparePane *pane, const ComparePhoto &photo);

    db::DM2 &m_dm2;
    PhotoComparison m_comparison;
    CompareView m_view;
    int m_picked = -1;
    QLabel *m_leftCaption;
    QLabel *m_rightCaption;
    ComparePane *m_left;
    ComparePane *m_right;
    QListWidget *m_strip;
    QPushButton *m_zoomIn;
    QPushButton *m_zoomOut;
};

} // namespace pelorin::examination
