// Keeping and sharing: a form as a PDF page, the coloured picture as an
// image, booklets of whole themes and albums of coloured pictures.
#include "print/TfrmImpression.h"

#include "base/AtomicFile.h"
#include "content/DisplayString.h"
#include "print/PdfPrinter.h"
#include "print/PictureName.h"
#include "print/SmoothPicture.h"

#include <QBuffer>
#include <QDir>

namespace vorlane {
namespace {

// A coloured picture is saved this many times larger than the game drew it:
// 2112 × 1680 for the usual 704 × 560, enough for a print or a screen.
constexpr int kImageScale = 3;

}  // namespace

void TfrmImpression::btnSavePdfClick(Form form)
{
    const QString suffix = form == Form::DotsOnly   ? QStringLiteral(" - points.pdf")
                           : form == Form::ToColour ? QStringLiteral(" - à colorier.pdf")
                                                    : QStringLiteral(" - coloriée.pdf");
    const PictureName name = CurrentName();
    const QString picture = name.Name().isEmpty() ? QString::fromStdString(m_currentImage) : name.Name();
    const QString path = m_dialogs.FileToWrite(this, QStringLiteral("Enregistrer en PDF"),
                                               name.Theme() + QStringLiteral(" - ") + picture + suffix,
                                               QStringLiteral("Documents PDF (*.pdf)"));
    if (path.isEmpty())
        return;
    PdfPrinter(path.toStdString()).PrintPage(ReloadForm(form), HowToPrint(form));
    m_dialogs.inform(this, QStringLiteral("La page est enregistrée dans ") + QDir::toNativeSeparators(path) +
                               QLatin1Char('.'));
}

void TfrmImpression::btnSaveImageClick()
{
    const PictureName name = CurrentName();
    const QString picture = name.Name().isEmpty() ? QString::fromStdString(m_currentImage) : name.Name();
    const QString path = m_dialogs.FileToWrite(this, QStringLiteral("Enregistrer l'image"),
                                               name.Theme() + QStringLiteral(" - ") + picture + QStringLiteral(".png"),
                                               QStringLiteral("Images PNG (*.png)"));
    if (path.isEmpty())
        return;
    const SmoothPicture smooth(ReloadForm(Form::Coloured));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!smooth.Render(smooth.Size() * kImageScale).save(&buffer, "PNG"))
        throw EWriteError(path.toStdString());
    ReplaceFileAtomically(path.toStdString(), {reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                               static_cast<std::size_t>(bytes.size())});
    m_dialogs.inform(this, QStringLiteral("L'image est enregistrée dans ") + QDir::toNativeSeparators(path) +
                               QLatin1Char('.'));
}

void TfrmImpression::btnBookletClick()
{
    RunBookletDialog(false);
}

void TfrmImpression::btnAlbumClick()
{
    RunBookletDialog(true);
}

}  // namespace vorlane
