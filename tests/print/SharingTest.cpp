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
#include <QProgressBar>
#include <QRadioButton>
#include <QTimer>

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
        dialogs.inform = [this](QWidget*, const QString& text) { told << text; };
        form.SetUserDialogs(dialogs);
        Open();
        Select(Node("Animaux", "Image01"));
    }

    TempDir m_out;
    QString chosen;  // what the save dialog answers
    QStringList suggestions;
    QStringList told;  // what the user was told when a save was done
    std::function<void(BookletDialog&)> inDialog;
};

TEST_F(Sharing, PdfPageIsWrittenWholeOrNotAtAll)
{
    // A coloured picture as the game leaves one: a yellow region in a black outline.
    TDIB coloured = SolidBitmap(800, 600, 0x00E0FF);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x)
            if (x < 6 || y < 6 || x >= 794 || y >= 594)
                std::fill_n(coloured.ScanLine(y) + 3 * x, 3, std::uint8_t{0});
    ZipBitmap(coloured, ThemePath("Animaux") + CouleurFileName(1));
    chosen = QString::fromStdString(m_out.file("page.pdf"));
    form.btnSavePdfColor->click();
    EXPECT_EQ(PdfPages(chosen.toStdString()), 1);
    EXPECT_TRUE(suggestions.value(0).endsWith("/Animaux - Image01 - coloriée.pdf"));
    EXPECT_EQ(told.value(0), "La page est enregistrée dans " + chosen + ".");
    // The coloured picture on a booklet's page: landscape, centred, 12 mm
    // from the sheet's nearest edges; its colours kept whole, not in JPEG.
    constexpr int kDpi = 100;
    const QImage page = PdfPage(chosen.toStdString(), 1, kDpi, m_out.file("page"));
    EXPECT_GT(page.width(), page.height());
    QRect outline;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            if (qGray(page.pixel(x, y)) < 128)
                outline |= QRect(x, y, 1, 1);
    const double millimetre = kDpi / 25.4;
    EXPECT_NEAR(outline.top() / millimetre, 12, 0.5);
    EXPECT_NEAR((page.height() - 1 - outline.bottom()) / millimetre, 12, 0.5);
    EXPECT_NEAR(outline.left(), page.width() - 1 - outline.right(), 2);
    EXPECT_GT(qGray(page.pixel(outline.center())), 200);  // the yellow inside
    const QString images = RunProgram("pdfimages", {"-list", chosen});
    EXPECT_TRUE(images.contains(" image ")) << images.toStdString();
    EXPECT_FALSE(images.contains("jpeg")) << images.toStdString();

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
    EXPECT_EQ(told.value(0), "L'image est enregistrée dans " + chosen + ".");
}

TEST_F(Sharing, BookletOfTheThemeLookedAtIsSavedOrPrinted)
{
    chosen = QString::fromStdString(m_out.file("cahier.pdf"));
    inDialog = [this](BookletDialog& dialog) {
        EXPECT_EQ(dialog.CheckedThemes(), std::vector<std::string>{"Animaux"});
        EXPECT_EQ(dialog.Options(), BookletOptions{});
        EXPECT_TRUE(dialog.lblSummary->text().startsWith("La couverture et 3 pages (2 à relier, 1 de solutions)"))
            << dialog.lblSummary->text().toStdString();
        dialog.btnSavePdf->click();
        // Cover, two dots pages, one of answers.
        EXPECT_EQ(PdfPages(chosen.toStdString()), 4);
        EXPECT_EQ(told.value(0), "Le cahier est enregistré dans " + chosen + ".");

        // A colouring book of both themes, a folded book, printed.
        dialog.lstThemes->item(1)->setCheckState(Qt::Checked);
        dialog.rbColouring->setChecked(true);
        EXPECT_FALSE(dialog.gbAnswers->isEnabled());
        dialog.rbFolded->setChecked(true);
        EXPECT_TRUE(dialog.lblSummary->text().contains("recto verso, retournement sur le bord court"));
        dialog.btnPrint->click();
        // Cover and three pictures: one sheet, both sides.
        EXPECT_EQ(PdfPages(m_out.file("imprimé.pdf")), 2);
        EXPECT_TRUE(told.value(1).startsWith("Le cahier est enregistré dans "));

        dialog.btnNone->click();
        EXPECT_FALSE(dialog.btnSavePdf->isEnabled());
        EXPECT_FALSE(dialog.btnPrint->isEnabled());
    };
    form.btnBooklet->click();
    EXPECT_TRUE(suggestions.value(0).endsWith("/Cahier - Animaux.pdf"));
}

// The work runs off the window's thread: the bar shows while it does, and
// "Annuler" stops it with no file written; a picture that cannot be read is
// left out of the booklet and named at the end.
TEST_F(Sharing, BookletWindowShowsItsProgressAndCancelsWithNothingLeftBehind)
{
    AddTheme("Zoo", 13);
    for (std::uint32_t picture = 1; picture <= 13; ++picture)
        AddPicture("Zoo", picture, false, false);
    WriteFile(ThemePath("Zoo") + "Points07.bmp", "BM abîmé");
    catalogue.Scan();
    form.TreeViewRefresh();
    chosen = QString::fromStdString(m_out.file("cahier.pdf"));
    bool shown = false;
    inDialog = [&](BookletDialog& dialog) {
        dialog.lstThemes->item(0)->setCheckState(Qt::Unchecked);
        dialog.lstThemes->item(1)->setCheckState(Qt::Checked);
        QTimer::singleShot(0, &dialog, [&] {
            shown = !dialog.pbWork->isHidden() && !dialog.btnCancel->isHidden() && !dialog.btnSavePdf->isEnabled();
            dialog.btnCancel->click();
        });
        dialog.btnSavePdf->click();
        EXPECT_TRUE(shown);
        EXPECT_TRUE(std::filesystem::is_empty(m_out.path()));
        EXPECT_TRUE(told.empty());
        EXPECT_TRUE(dialog.pbWork->isHidden());
        EXPECT_TRUE(dialog.btnSavePdf->isEnabled());

        dialog.btnSavePdf->click();
        EXPECT_EQ(PdfPages(chosen.toStdString()), 1 + 13 + 3);
        ASSERT_EQ(told.size(), 1);
        EXPECT_TRUE(told[0].contains("Une image n'a pas pu être lue ; elle est laissée de côté :\n– Zoo, image 7 : "
                                     "le fichier " + QString::fromStdString(ThemePath("Zoo")) + "Points07.bmp n'est pas une "
                                     "image bitmap lisible"))
            << told[0].toStdString();
        EXPECT_TRUE(RunProgram("pdftotext", {"-f", "8", "-l", "8", chosen, "-"}).contains("n'a pas pu être lue"));
    };
    form.btnBooklet->click();
}

TEST_F(Sharing, AlbumHoldsEveryColouredPictureOfTheThemesTicked)
{
    chosen = QString::fromStdString(m_out.file("album.pdf"));
    inDialog = [this](BookletDialog& dialog) {
        EXPECT_TRUE(dialog.gbKind->isHidden());
        dialog.btnSavePdf->click();
        EXPECT_EQ(PdfPages(chosen.toStdString()), 1);
        const QString text = RunProgram("pdftotext", {chosen, "-"});
        EXPECT_TRUE(text.contains("Animaux, image 1")) << text.toStdString();
        EXPECT_TRUE(text.contains("Coloriée le ")) << text.toStdString();
        EXPECT_EQ(told.value(0), "L'album est enregistré dans " + chosen + ".");

        dialog.lstThemes->item(0)->setCheckState(Qt::Unchecked);
        dialog.lstThemes->item(1)->setCheckState(Qt::Checked);  // Zoo: nothing coloured
        EXPECT_EQ(dialog.lblSummary->text(), "Aucune image coloriée dans les thèmes cochés.");
        EXPECT_FALSE(dialog.btnSavePdf->isEnabled());
    };
    form.btnAlbum->click();
}

}  // namespace
}  // namespace vorlane::test
