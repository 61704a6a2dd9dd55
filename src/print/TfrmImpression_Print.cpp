// Printing: one click, one landscape page of the chosen form of the current picture.
#include "print/TfrmImpression.h"

#include "content/ThemeDat.h"
#include "print/DibImage.h"
#include "print/PictureName.h"
#include "print/PicturePreview.h"
#include "print/Printer.h"
#include "print/StoreFiles.h"
#include "print/zipUnzip.h"

#include <QPushButton>

#include <cstdlib>

namespace vorlane {

QImage TfrmImpression::ReloadForm(Form form)
{
    // The files may have changed since the picture was chosen (a game played
    // in between); the buttons and labels keep their states.
    imgPreviewDotsOnly->LoadFromFile(DotsFile());
    imgPreviewImage->LoadFromFile(PictureFile());
    const std::string archive = ArchiveFile();
    if (FileExists(archive))
        imgColorImage->LoadFromArchive(archive);

    const PicturePreview* chosen = form == Form::DotsOnly   ? imgPreviewDotsOnly
                                   : form == Form::Coloured ? imgColorImage
                                                            : imgPreviewImage;
    // Checked before any document begins, so that no blank page comes out.
    if (chosen->Bitmap().Empty())
        throw EInvalidBitmap();
    return DibImage(chosen->Bitmap());
}

PictureName TfrmImpression::CurrentName() const
{
    // The section names the picture: "Image07".
    const auto number = static_cast<std::uint32_t>(std::strtoul(m_currentImage.c_str() + 5, nullptr, 10));
    return PictureName::Of(m_currentTheme, ThemeDat::ForTheme(m_currentTheme), number);
}

PrintedPicture TfrmImpression::HowToPrint(Form form) const
{
    // The child's coloured picture sits on its page as an album's does; the
    // dots and the picture to colour go where this window always put them,
    // in black.
    if (form == Form::Coloured)
        return {CurrentName().JobName(), PrintedPicture::Placement::Centred, SmoothPicture::Ink::AsDrawn};
    return {CurrentName().JobName(), PrintedPicture::Placement::TopLeft, SmoothPicture::Ink::Black};
}

void TfrmImpression::btnPrintImageDotsOnlyClick(QObject* sender)
{
    const QString name = sender->objectName().toLower();
    Form form = Form::ToColour;
    if (name == QLatin1String("btnprintimagedotsonly"))
        form = Form::DotsOnly;
    else if (name == QLatin1String("btnprintcolor"))
        form = Form::Coloured;
    m_printer->PrintPage(ReloadForm(form), HowToPrint(form));
}

}  // namespace vorlane
