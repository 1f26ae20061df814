#include "photobox.h"

#include "datamodules.h"
#include "dbcontrols.h"
#include "dbnavigator.h"
#include "dialogs.h"
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
#include <QVBoxLayout>

namespace pelorin::examination {

namespace {

QPushButton *makeButton(QWidget *parent, const char *name, const QString &text)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

} // namespace

PhotoBox::PhotoBox(db::DM1 &dm1, db::DM2 &dm2, QWidget *parent)
    : QGroupBox(parent),
      m_ops(dm1, dm2),
      m_openFolder([](const QUrl &url) { return QDesktopServices::openUrl(url); })
{
    setObjectName(QStringLiteral("GroupBox_foto"));
    db::Table *photos = dm2.osmotr_img;

    m_caption = new QLabel(this);
    m_caption->setObjectName(QStringLiteral("Label81"));
    m_caption->setStyleSheet(QStringLiteral("color: blue; font-weight: bold;"));

    // The preview and the placeholder take the same place; either, or neither, is shown.
    auto *pictures = new QWidget(this);
    pictures->setFixedSize(kPreviewSize);
    m_preview = new PictureBox(PictureBox::Fit::Scale, pictures);
    m_preview->setObjectName(QStringLiteral("Image6"));
    m_preview->setGeometry(QRect(QPoint(0, 0), kPreviewSize));
    m_preview->setToolTip(QStringLiteral("Нажмите для просмотра полноразмерного рисунка."));
    m_preview->setCursor(Qt::PointingHandCursor);
    m_placeholder = new PictureBox(PictureBox::Fit::ShrinkOnly, pictures);
    m_placeholder->setObjectName(QStringLiteral("Image12"));
    m_placeholder->setGeometry(QRect(QPoint(0, 0), kPreviewSize));
    m_placeholder->setImage(missingPhotoPicture());
    m_preview->hide();
    m_placeholder->hide();

    m_memo = new ui::DBMemo(photos, QStringLiteral("Text"), this);
    m_memo->setObjectName(QStringLiteral("DBMemo23"));
    m_memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_memo->setMinimumWidth(60);

    m_navigator = new DBNavigator(photos, this);
    m_navigator->setObjectName(QStringLiteral("DBNavigator1"));

    auto *change = makeButton(this, "Button21", QStringLiteral("Изменить фотографию"));
    auto *add = makeButton(this, "Button23", QStringLiteral("Добавить фотографию"));
    auto *remove = makeButton(this, "Button22", QStringLiteral("Удалить фотографию"));
    auto *open = makeButton(this, "Button24", QStringLiteral("Открыть папку с фотографиями"));

    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setHorizontalSpacing(6);
    layout->setVerticalSpacing(3);
    layout->addWidget(m_caption, 0, 0, 1, 2);
    layout->addWidget(pictures, 1, 0, 5, 1, Qt::AlignTop | Qt::AlignHCenter);
    layout->addWidget(m_navigator, 6, 0);
    layout->addWidget(m_memo, 1, 1);
    layout->addWidget(add, 2, 1);
    layout->addWidget(change, 3, 1);
    layout->addWidget(remove, 4, 1);
    layout->addWidget(open, 5, 1);
    layout->setRowStretch(1, 1);
    layout->setColumnStretch(1, 1);

    connect(change, &QPushButton::clicked, this, &PhotoBox::changePhoto);
    connect(add, &QPushButton::clicked, this, &PhotoBox::addPhoto);
    connect(remove, &QPushButton::clicked, this, &PhotoBox::deletePhoto);
    connect(open, &QPushButton::clicked, this, &PhotoBox::openFolder);
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
            m_preview->setImage(readPicture(d.file));
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

} // namespace pelorin::examination
