// Printing: one click, one landscape page of the chosen form of the current picture.
#include "print/TfrmImpression.h"

#include "print/DibImage.h"
#include "print/PicturePreview.h"
#include "print/Printer.h"
#include "print/StoreFiles.h"
#include "print/zipUnzip.h"

#include <QPushButton>

namespace vorlane {

void TfrmImpression::btnPrintImageDotsOnlyClick(QObject* sender)
{
    // The files may have changed since the picture was chosen (a game played
    // in between); the buttons and labels keep their states.
    imgPreviewDotsOnly->LoadFromFile(DotsFile());
    imgPreviewImage->LoadFromFile(PictureFile());
    const std::string archive = ArchiveFile();
    if (FileExists(archive))
        imgColorImage->LoadFromArchive(archive);

    const QString name = sender->objectName().toLower();
    const PicturePreview* chosen = imgPreviewImage;
    if (name == QLatin1String("btnprintimagedotsonly"))
        chosen = imgPreviewDotsOnly;
    else if (name == QLatin1String("btnprintcolor"))
        chosen = imgColorImage;

    // Checked before the document begins, so that no blank page comes out.
    if (chosen->Bitmap().Empty())
        throw EInvalidBitmap();
    m_printer->PrintPage(DibImage(chosen->Bitmap()));
}

}  // namespace vorlane
