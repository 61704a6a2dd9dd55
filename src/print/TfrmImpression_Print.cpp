// Printing: one click, one landscape page of the chosen form of the current picture.
#include "print/TfrmImpression.h"

#include "print/DibImage.h"
#include "print/PicturePreview.h"
#include "print/Printer.h"
#include "print/StoreFiles.h"
#include "print/zipUnzip.h"

#include <QPushButton>

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

void TfrmImpression::btnPrintImageDotsOnlyClick(QObject* sender)
{
    const QString name = sender->objectName().toLower();
    Form form = Form::ToColour;
    if (name == QLatin1String("btnprintimagedotsonly"))
        form = Form::DotsOnly;
    else if (name == QLatin1String("btnprintcolor"))
        form = Form::Coloured;
    m_printer->PrintPage(ReloadForm(form));
}

}  // namespace vorlane
