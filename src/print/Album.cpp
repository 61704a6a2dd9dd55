#include "print/Album.h"

#include "content/ContentPlaces.h"
#include "content/DisplayString.h"
#include "content/PlayList.h"
#include "content/ThemeDat.h"
#include "display/TDIB.h"
#include "print/DibImage.h"
#include "print/PictureName.h"
#include "print/SmoothPicture.h"
#include "print/StoreFiles.h"
#include "print/WorkProgress.h"
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

std::optional<Booklet> MakeAlbum(const ContentPlaces& places, const std::vector<ColouredPicture>& pictures,
                                 WorkProgress* progress)
{
    QStringList themes;
    for (const ColouredPicture& picture : pictures) {
        if (!themes.contains(DisplayString(picture.theme)))
            themes << DisplayString(picture.theme);
    }
    Booklet album{PageDocument(QStringLiteral("Album – ") + themes.join(QStringLiteral(", "))), std::nullopt, {}};
    if (progress != nullptr)
        progress->AddSteps(2 * static_cast<int>(pictures.size()));
    const QLocale french(QLocale::French, QLocale::France);
    for (const ColouredPicture& picture : pictures) {
        if (progress != nullptr && progress->Cancelled())
            return std::nullopt;
        const PictureName name = PictureName::Of(picture.theme, ThemeDat::ForTheme(picture.theme, places), picture.number);
        std::shared_ptr<const SmoothPicture> smooth;
        QString unread;
        try {
            TDIB bitmap;
            UnzipBitmap(picture.archive, bitmap);
            if (bitmap.Empty())
                throw EInvalidBitmap();
            smooth = std::make_shared<const SmoothPicture>(DibImage(bitmap).copy());
        } catch (const EVorlaneError& error) {
            unread = QString::fromUtf8(error.what());
            album.leftOut.push_back((name.Caption() + QStringLiteral(" : ") + unread).toStdString());
        }
        if (progress != nullptr)
            progress->Advance();
        // Une image coloriée: the day said as the album's French does.
        const QString day = QStringLiteral("Coloriée le ") +
                            french.toString(QFileInfo(QString::fromStdString(picture.archive)).lastModified().date(),
                                            QStringLiteral("d MMMM yyyy"));
        const auto orientation = !smooth || smooth->Size().width() >= smooth->Size().height() ? QPageLayout::Landscape
                                                                                                : QPageLayout::Portrait;
        album.pages.AddPage(orientation, [smooth, caption = name.Caption(), day, unread](QPainter& painter,
                                                                                        const PageArea& area) {
            const QRectF page = area.rect;
            painter.setPen(Qt::black);
            painter.setFont(PageDocument::Font(18, true));
            const double nameHeight = area.Millimetres(10);
            painter.drawText(QRectF(page.left(), page.top(), page.width(), nameHeight), Qt::AlignLeft | Qt::AlignTop,
                             caption);
            painter.setFont(PageDocument::Font(12));
            const double dayHeight = area.Millimetres(8);
            painter.drawText(QRectF(page.left(), page.top() + nameHeight, page.width(), dayHeight),
                             Qt::AlignLeft | Qt::AlignTop, day);
            const double top = page.top() + nameHeight + dayHeight + area.Millimetres(3);
            const QRectF box(page.left(), top, page.width(), page.bottom() - top);
            if (smooth)
                PageDocument::DrawFitted(painter, *smooth, box);
            else
                painter.drawText(box, Qt::AlignCenter | Qt::TextWordWrap,
                                 QStringLiteral("Cette image n'a pas pu être lue : ") + unread);
        });
    }
    return album;
}

}  // namespace vorlane
