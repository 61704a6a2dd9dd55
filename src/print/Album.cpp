#include "print/Album.h"

#include "content/ContentPlaces.h"
#include "content/DisplayString.h"
#include "content/PlayList.h"
#include "content/ThemeDat.h"
#include "display/TDIB.h"
#include "print/DibImage.h"
#include "print/SmoothPicture.h"
#include "print/StoreFiles.h"
#include "print/zipUnzip.h"

#include <QDateTime>
#include <QFileInfo>
#include <QLocale>
#include <QPainter>

#include <algorithm>
#include <memory>

namespace vorlane {

std::vector<ColouredPicture> ColouredPictures(const ContentPlaces& places, const std::vector<std::string>& themes)
{
    std::vector<ColouredPicture> pictures;
    for (const std::string& theme : themes) {
        const auto count = static_cast<std::uint32_t>(
            std::clamp(ThemeDat::ForTheme(theme, places).NombreImages(), 0, kMaxThemePictures));
        for (std::uint32_t number = 1; number <= count; ++number) {
            // The user's own, as the print manager finds it.
            const std::string archive = places.ThemeUserFile(theme, CouleurFileName(number));
            if (FileExists(archive))
                pictures.push_back({theme, number, archive});
        }
    }
    return pictures;
}

PageDocument MakeAlbum(const std::vector<ColouredPicture>& pictures)
{
    QStringList themes;
    for (const ColouredPicture& picture : pictures) {
        if (!themes.contains(DisplayString(picture.theme)))
            themes << DisplayString(picture.theme);
    }
    PageDocument album(QStringLiteral("Album – ") + themes.join(QStringLiteral(", ")));
    const QLocale french(QLocale::French, QLocale::France);
    for (const ColouredPicture& picture : pictures) {
        TDIB bitmap;
        UnzipBitmap(picture.archive, bitmap);
        if (bitmap.Empty())
            throw EInvalidBitmap();
        auto smooth = std::make_shared<const SmoothPicture>(DibImage(bitmap).copy());
        const QString name =
            DisplayString(picture.theme) + QStringLiteral(", image ") + QString::number(picture.number);
        const QString day = QStringLiteral("Colorié le ") +
                            french.toString(QFileInfo(QString::fromStdString(picture.archive)).lastModified().date(),
                                            QStringLiteral("d MMMM yyyy"));
        const auto orientation = smooth->Size().width() >= smooth->Size().height() ? QPageLayout::Landscape
                                                                                    : QPageLayout::Portrait;
        album.AddPage(orientation, [smooth, name, day](QPainter& painter, const PageArea& area) {
            const QRectF page = area.rect;
            painter.setPen(Qt::black);
            painter.setFont(PageDocument::Font(18, true));
            const double nameHeight = area.Millimetres(10);
            painter.drawText(QRectF(page.left(), page.top(), page.width(), nameHeight), Qt::AlignLeft | Qt::AlignTop,
                             name);
            painter.setPen(QColor(64, 64, 64));
            painter.setFont(PageDocument::Font(12));
            const double dayHeight = area.Millimetres(8);
            painter.drawText(QRectF(page.left(), page.top() + nameHeight, page.width(), dayHeight),
                             Qt::AlignLeft | Qt::AlignTop, day);
            const double top = page.top() + nameHeight + dayHeight + area.Millimetres(3);
            PageDocument::DrawFitted(painter, *smooth, QRectF(page.left(), top, page.width(), page.bottom() - top));
        });
    }
    return album;
}

}  // namespace vorlane
