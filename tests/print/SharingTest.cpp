// Keeping and sharing from the print manager: a form as a PDF page, the
// coloured picture as an image, booklets and albums of the themes ticked.
#include "PdfTools.h"
#include "PrintManagerFixture.h"
#include "print/BookletDialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPrinter>

namespace vorlane::test {
namespace {

class Sharing : public PrintManagerTest {
protected:
    Sharing()
    {
        AddTheme("Animaux", 2);
        AddPicture("Animaux", 1, true, true);
        AddPicture("Animaux", 2, false, false);
        AddTheme("Zoo", 1);
        AddPicture("Zoo", 1, false, false);
        UserDialogs dialogs;
        dialogs.saveFile = [this](QWidget*, const QString&, const QString& suggested, const QString&) {
            suggestions << suggested;
            return chosen;
        };
        dialogs.print = [this](QWidget*, QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(QString::fromStdString(m_out.file("imprimé.pdf")));
            return true;
        };
        dialogs.run = [this](QDialog& dialog) { inDialog(dynamic_cast<BookletDialog&>(dialog)); };
        form.SetUserDialogs(dialogs);
        Open();
        Select(Node("Animaux", "Image01"));
    }

    TempDir m_out;
    QString chosen;  // what the save dialog answers
    QStringList suggestions;
    std::function<void(BookletDialog&)> inDialog;
};

TEST_F(Sharing, PdfPageIsWrittenWholeOrNotAtAll)
{
    chosen = QString::fromStdString(m_out.file("page.pdf"));
    form.btnSavePdfColor->click();
    EXPECT_EQ(PdfPages(chosen.toStdString()), 1);
    EXPECT_TRUE(suggestions.value(0).endsWith("/Animaux - Image01 - coloriée.pdf"));
    // The same page as printed: landscape, the picture red in its top-left part.
    const QImage page = PdfPage(chosen.toStdString(), 1, 20, m_out.file("page"));
    EXPECT_GT(page.width(), page.height());
    EXPECT_LT(qGray(page.pixel(page.width() / 4, page.height() / 4)), 128);

    // Cancelled: nothing written, here or where the dialog suggested.
    const auto listing = [this] {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_out.path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    };
    const std::vector<std::string> before = listing();
    chosen.clear();
    form.btnSavePdfDotsOnly->click();
    EXPECT_EQ(listing(), before);
    ASSERT_EQ(suggestions.size(), 2);
    EXPECT_FALSE(std::filesystem::exists(suggestions.back().toStdString())) << suggestions.back().toStdString();

    const std::filesystem::path locked = m_out.path() / "fermé";
    std::filesystem::create_directory(locked);
    std::filesystem::permissions(locked, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    chosen = QString::fromStdString((locked / "page.pdf").string());
    {
        const ScopedUnprivileged unprivileged;
        try {
            form.btnSavePdfClick(TfrmImpression::Form::DotsOnly);
            FAIL() << "no error";
        } catch (const EWriteError& error) {
            EXPECT_EQ(std::string(error.what()), "Impossible d'écrire dans " + chosen.toStdString());
        }
    }
    EXPECT_TRUE(std::filesystem::is_empty(locked));
}

TEST_F(Sharing, ColouredPictureIsSavedThreeTimesLarger)
{
    chosen = QString::fromStdString(m_out.file("image.png"));
    form.btnSaveImage->click();
    const QImage image(chosen);
    EXPECT_EQ(image.size(), QSize(2400, 1800));
    EXPECT_EQ(image.pixel(1200, 900), qRgb(255, 0, 0));
}

TEST_F(Sharing, BookletOfTheThemeLookedAtIsSavedOrPrinted)
{
    chosen = QString::fromStdString(m_out.file("cahier.pdf"));
    inDialog = [this](BookletDialog& dialog) {
        EXPECT_EQ(dialog.CheckedThemes(), std::vector<std::string>{"Animaux"});
        EXPECT_TRUE(dialog.lblSummary->text().startsWith("La couverture et 5 pages"));
        dialog.btnSavePdf->click();
        // Cover, two dots pages, two to colour, one of answers.
        EXPECT_EQ(PdfPages(chosen.toStdString()), 6);

        dialog.lstThemes->item(1)->setCheckState(Qt::Checked);
        dialog.chkToColour->setChecked(false);
        dialog.btnPrint->click();
        EXPECT_EQ(PdfPages(m_out.file("imprimé.pdf")), 1 + 3 + 1);

        dialog.btnNone->click();
        EXPECT_FALSE(dialog.btnSavePdf->isEnabled());
        EXPECT_FALSE(dialog.btnPrint->isEnabled());
    };
    form.btnBooklet->click();
    EXPECT_TRUE(suggestions.value(0).endsWith("/Cahier - Animaux.pdf"));
}

TEST_F(Sharing, AlbumHoldsEveryColouredPictureOfTheThemesTicked)
{
    chosen = QString::fromStdString(m_out.file("album.pdf"));
    inDialog = [this](BookletDialog& dialog) {
        EXPECT_TRUE(dialog.gbForms->isHidden());
        dialog.btnSavePdf->click();
        EXPECT_EQ(PdfPages(chosen.toStdString()), 1);
        const QString text = RunProgram("pdftotext", {chosen, "-"});
        EXPECT_TRUE(text.contains("Animaux, image 1")) << text.toStdString();
        EXPECT_TRUE(text.contains("Colorié le ")) << text.toStdString();

        dialog.lstThemes->item(0)->setCheckState(Qt::Unchecked);
        dialog.lstThemes->item(1)->setCheckState(Qt::Checked);  // Zoo: nothing coloured
        EXPECT_EQ(dialog.lblSummary->text(), "Aucune image coloriée dans les thèmes cochés.");
        EXPECT_FALSE(dialog.btnSavePdf->isEnabled());
    };
    form.btnAlbum->click();
}

}  // namespace
}  // namespace vorlane::test
