#include "photobox.h"

#include "datamodules.h"
#include "dbcontrols.h"
#include "dbnavigator.h"
#include "dialogs.h"
#include "form_osm_compare.h"
#include "form_osm_img.h"
#include "picturebox.h"
#include "table.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>

namespace pelorin::examination {

namespace {

QPushButton *makeButton(QWidget *parent, const char *name, const QString &text)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

// The caption breaks into two lines when the box is narrow. It asks its layout for a fixed room of
// two lines rather than for a height that depends on its width, which would let a scrolled
// section grow at every relayout.
class CaptionLabel : public QLabel
{
public:
    using QLabel::QLabel;

    bool hasHeightForWidth() const override { return false; }
    QSize minimumSizeHint() const override
    {
        const QFontMetrics fm(font());
        return {fm.horizontalAdvance(QStringLiteral("Фотография №")) + 2, 2 * fm.lineSpacing()};
    }
    QSize sizeHint() const override
    {
        const QFontMetrics fm(font());
        return {fm.horizontalAdvance(QStringLiteral("Фотография № 00 из 00")) + 2, 2 * fm.lineSpacing()};
    }
};

// The place of the preview and the placeholder asks for the full preview size even while both
// are hidden, so that the box keeps its shape whichever is shown.
class PhotoPlace : public QWidget
{
public:
    using QWidget::QWidget;
    QSize sizeHint() const override { return PhotoBox::kPreviewSize; }
};

} // namespace

PhotoBox::PhotoBox(db::DM1 &dm1, db::DM2 &dm2, QWidget *parent)
    : QGroupBox(parent),
      m_ops(dm1, dm2),
      m_dm2(dm2),
      m_openFolder([](const QUrl &url) { return QDesktopServices::openUrl(url); })
{
    setObjectName(QStringLiteral("GroupBox_foto"));
    db::Table *photos = dm2.osmotr_img;

    m_caption = new CaptionLabel(this);
    m_caption->setObjectName(QStringLiteral("Label81"));
    m_caption->setStyleSheet(QStringLiteral("color: blue; font-weight: bold;"));

    // The preview and the placeholder take the same place; either, or neither, is shown. The
    // place has the full preview size where there is room; the picture in it keeps its proportions.
    auto *pictures = new PhotoPlace(this);
    pictures->setObjectName(QStringLiteral("PhotoPlace"));
    pictures->setMinimumSize(kPreviewMinimum);
    pictures->setMaximumSize(kPreviewSize);
    pictures->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    auto *stack = new QGridLayout(pictures);
    stack->setContentsMargins(0, 0, 0, 0);
    m_preview = new PictureBox(PictureBox::Fit::Scale, pictures);
    m_preview->setObjectName(QStringLiteral("Image6"));
    m_preview->setPreferredSize(kPreviewSize);
    m_preview->setToolTip(QStringLiteral("Нажмите для просмотра полноразмерного рисунка."));
    m_preview->setCursor(Qt::PointingHandCursor);
    m_placeholder = new PictureBox(PictureBox::Fit::ShrinkOnly, pictures);
    m_placeholder->setObjectName(QStringLiteral("Image12"));
    m_placeholder->setPreferredSize(kPreviewSize);
    m_placeholder->setImage(missingPhotoPicture());
    stack->addWidget(m_preview, 0, 0);
    stack->addWidget(m_placeholder, 0, 0);
    m_preview->hide();
    m_placeholder->hide();

    m_memo = new ui::DBMemo(photos, QStringLiteral("Text"), this);
    m_memo->setObjectName(QStringLiteral("DBMemo23"));
    m_memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_memo->setMinimumSize(60, 32);

    m_navigator = new DBNavigator(photos, this);
    m_navigator->setObjectName(QStringLiteral("DBNavigator1"));

    auto *change = makeButton(this, "Button21", QStringLiteral("Изменить фотографию"));
    auto *add = makeButton(this, "Button23", QStringLiteral("Добавить фотографию"));
    auto *remove = makeButton(this, "Button22", QStringLiteral("Удалить фотографию"));
    auto *open = makeButton(this, "Button24", QStringLiteral("Открыть папку с фотографиями"));
    m_compareButton = makeButton(this, "ButtonCompare", QStringLiteral("Сравнить"));
    m_compareButton->setToolTip(QStringLiteral("Сравнить снимок со снимками прежних осмотров пациента."));

    // On the left the caption, the picture and the navigator; on the right the description and
    // the buttons. The box must fit under the indices of the examination panel in a main window of
    // 1340 x 740, so the picture gives way first and a long caption takes two lines.
    m_caption->setWordWrap(true);
    m_caption->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(3, 2, 3, 3);
    layout->setHorizontalSpacing(6);
    layout->setVerticalSpacing(2);
    layout->addWidget(m_caption, 0, 0);
    layout->addWidget(pictures, 1, 0, 5, 1, Qt::AlignHCenter);
    layout->addWidget(m_navigator, 6, 0);
    layout->addWidget(m_memo, 0, 1, 2, 1);
    layout->addWidget(add, 2, 1);
    layout->addWidget(change, 3, 1);
    layout->addWidget(remove, 4, 1);
    layout->addWidget(open, 5, 1);
    layout->addWidget(m_compareButton, 6, 1);
    layout->setRowStretch(1, 1);
    layout->setColumnStretch(0, 2);
    layout->setColumnStretch(1, 3);

    connect(change, &QPushButton::clicked, this, &PhotoBox::changePhoto);
    connect(add, &QPushButton::clicked, this, &PhotoBox::addPhoto);
    connect(remove, &QPushButton::clicked, this, &PhotoBox::deletePhoto);
    connect(open, &QPushButton::clicked, this, &PhotoBox::openFolder);
    connect(m_compareButton, &QPushButton::clicked, this, &PhotoBox::compare);
    connect(m_preview, &PictureBox::clicked, this, &PhotoBox::showFullSize);

    // The photo list moves with the examination and with its own navigation; the display follows.
    connect(photos, &db::Table::currentChanged, this, &PhotoBox::refresh);
    connect(photos, &db::Table::rowsChanged, this, &PhotoBox::refresh);
    const int linkIndex = photos->fieldIndex(QStringLiteral("Link"));
    connect(photos, &db::Table::recordChanged, this, [this, linkIndex](int field) {
        if (field == -1 || field == linkIndex)
            refresh();
    });
    refresh();
}

PhotoBox::~PhotoBox() = default;

void PhotoBox::refresh()
{
    const PhotoDisplay d = m_ops.display();
    m_caption->setText(d.caption);
    switch (d.picture) {
    case PhotoDisplay::Picture::Preview: {
        const QDateTime stamp = QFileInfo(d.file).lastModified();
        if (d.file != m_shownFile || stamp != m_shownStamp) {
            // The preview is small: a 48-megapixel photo is decoded no larger than it can be shown.
            m_preview->setImage(readPicture(d.file, QSize(1024, 1024)));
            m_shownFile = d.file;
            m_shownStamp = stamp;
        }
        m_placeholder->hide();
        m_preview->show();
        break;
    }
    case PhotoDisplay::Picture::Placeholder:
        m_preview->hide();
        m_placeholder->show();
        break;
    case PhotoDisplay::Picture::None:
        m_preview->hide();
        m_placeholder->hide();
        break;
    }
    // A photo whose file is missing is still compared: its pane says what is wrong.
    m_compareButton->setEnabled(d.picture != PhotoDisplay::Picture::None);
    if (d.picture != PhotoDisplay::Picture::Preview) {
        m_preview->clear();
        m_shownFile.clear();
        m_shownStamp = {};
    }
}

void PhotoBox::changePhoto()
{
    // The new copy may have the old one's name: the preview reads it again.
    if (m_ops.changePhoto())
        m_shownFile.clear();
    refresh();
}

void PhotoBox::addPhoto()
{
    m_ops.addPhoto();
    refresh();
}

void PhotoBox::deletePhoto()
{
    m_ops.deletePhoto();
    refresh();
}

void PhotoBox::openFolder()
{
    const QString dir = m_ops.folderToOpen();
    if (dir.isEmpty())
        return;
    if (!m_openFolder || !m_openFolder(QUrl::fromLocalFile(dir)))
        Dialogs::instance().message(QStringLiteral("Не удалось открыть папку %1.").arg(QDir::toNativeSeparators(dir)),
                                    QStringLiteral("Внимание!"), Dialogs::Kind::Error);
}

void PhotoBox::showFullSize()
{
    const QString file = m_ops.currentFile();
    if (file.isEmpty() || !m_fullSize)
        return;
    m_fullSize->showPicture(file);
}

void PhotoBox::setCompareWindow(Form_osm_compare *window)
{
    m_compare = window;
    if (window && window != m_ownCompare.get())
        m_ownCompare.reset();
}

Form_osm_compare *PhotoBox::compareWindow()
{
    if (!m_compare) {
        m_ownCompare = std::make_unique<Form_osm_compare>(m_dm2);
        m_compare = m_ownCompare.get();
    }
    return m_compare;
}

void PhotoBox::compare()
{
    if (m_dm2.osmotr_img->isEmpty())
        return;
    compareWindow()->showComparison();
}

} // namespace pelorin::examination
