#include "print/PicturePreview.h"

#include "print/DibImage.h"
#include "print/zipUnzip.h"

#include <QPainter>

#include <utility>

namespace vorlane {

PicturePreview::PicturePreview(QWidget* parent) : QWidget(parent)
{
}

void PicturePreview::LoadFromFile(const std::string& path)
{
    TDIB bitmap;
    bitmap.LoadBitmapFile(path);
    SetBitmap(std::move(bitmap));
}

void PicturePreview::LoadFromArchive(const std::string& path)
{
    TDIB bitmap;
    UnzipBitmap(path, bitmap);
    SetBitmap(std::move(bitmap));
}

void PicturePreview::Clear()
{
    SetBitmap(TDIB());
}

void PicturePreview::SetBitmap(TDIB bitmap)
{
    m_bitmap = std::move(bitmap);
    // Smooth scaling averages the pixels a line crosses, so the thin lines and
    // small numbers of a dots picture stay visible at a quarter of their size.
    m_shown = m_bitmap.Empty() ? QImage()
                               : DibImage(m_bitmap).scaled(size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    update();
}

void PicturePreview::paintEvent(QPaintEvent*)
{
    if (m_shown.isNull())
        return;
    QPainter painter(this);
    painter.drawImage(rect(), m_shown);
}

}  // namespace vorlane
