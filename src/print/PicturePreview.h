#pragma once

#include "display/TDIB.h"

#include <QImage>
#include <QWidget>

#include <string>

namespace vorlane {

// A picture holder: keeps the full-size bitmap as loaded (printing uses it)
// and shows it stretched to fill the widget, proportions not kept.
class PicturePreview : public QWidget {
    Q_OBJECT
public:
    explicit PicturePreview(QWidget* parent = nullptr);

    const TDIB& Bitmap() const { return m_bitmap; }

    // Each replaces the bitmap only once the whole file has been read: a file
    // that fails leaves the preview as it was and raises the reader's error
    // (EFOpenError, the bitmap's or the archive's error). An empty file gives
    // an empty preview.
    void LoadFromFile(const std::string& path);
    void LoadFromArchive(const std::string& path);  // the coloured picture, with UnzipBitmap
    void Clear();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void SetBitmap(TDIB bitmap);

    TDIB m_bitmap;
    QImage m_shown;  // the bitmap scaled to the widget, made once per bitmap
};

}  // namespace vorlane
