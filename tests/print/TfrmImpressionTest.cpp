#include "print/TfrmImpression.h"

#include "PrintManagerFixture.h"
#include "app/TApplication.h"
#include "app/TfrmAide.h"
#include "print/StoreFiles.h"
#include "support/MessageBoxWatcher.h"
#include "support/SharedProgramFolder.h"

#include <QGroupBox>
#include <QTest>
#include <QTimer>

namespace vorlane::test {
namespace {

QStringList Texts(const QTreeWidgetItem* parent)
{
    QStringList texts;
    for (int i = 0; i < parent->childCount(); ++i)
        texts << parent->child(i)->text(0);
    return texts;
}

QStringList ThemeTexts(const QTreeWidget* tree)
{
    return Texts(tree->invisibleRootItem());
}

TEST(TfrmImpressionLayout, ControlsSitWhereTheWindowWasDesigned)
{
    TfrmImpression form;
    EXPECT_EQ(form.windowTitle(), "Vorlane - Gestion des impressions");
    EXPECT_EQ(form.size(), QSize(815, 413));
    EXPECT_FALSE(form.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));

    struct Placed {
        QWidget* control;
        QRect geometry;
        QString caption;
    };
    const Placed placed[] = {
        {form.gbImages, {0, 0, 157, 377}, " Images disponibles "},
        {form.tvThemes, {4, 16, 149, 357}, {}},
        {form.btnExit, {4, 384, 149, 25}, "&Fermer"},
        {form.gbPreview, {164, 0, 649, 413}, " Prévisualisation "},
        {form.imgPreviewDotsOnly, {12, 60, 200, 150}, {}},
        {form.imgPreviewImage, {229, 60, 200, 150}, {}},
        {form.imgColorImage, {441, 60, 200, 150}, {}},
        {form.lblImageCommentAlert, {232, 64, 193, 141},
         "Cette image sera disponible lorsque vous l'aurez complétée dans le jeu."},
        {form.lblImageColorAlert, {444, 64, 193, 141},
         "Cette image sera disponible lorsque vous l'aurez coloriée dans le jeu."},
        {form.btnPrintImageDotsOnly, {8, 220, 209, 33}, "Im&primer l'image ci-dessus"},
        {form.btnPrintImage, {224, 220, 209, 33}, "&Imprimer l'image ci-dessus"},
        {form.btnPrintColor, {436, 220, 209, 33}, "Imprimer l'image ci-dess&us"},
        {form.btnClear, {232, 260, 193, 33}, "&Supprimer du gestionnaire"},
        {form.btnClearColor, {444, 260, 193, 33}, "Supprimer du gestionnai&re"},
        {form.lblClearHint, {228, 296, 201, 41},
         "En cliquant sur ce bouton, vous pourrez imprimer cette image uniquement après l'avoir complétée dans le jeu."},
        {form.lblClearColorHint, {440, 296, 201, 41},
         "En cliquant sur ce bouton, vous pourrez imprimer cette image uniquement après l'avoir coloriée dans le jeu."},
        // Keeping and sharing, in the room under the columns.
        {form.btnBooklet, {16, 260, 193, 33}, "Faire un &cahier…"},
        {form.btnAlbum, {16, 297, 193, 33}, "&Album…"},
        {form.btnSavePdfDotsOnly, {8, 348, 209, 27}, "Enregistrer en P&DF…"},
        {form.btnSavePdfImage, {224, 348, 209, 27}, "&Enregistrer en PDF…"},
        {form.btnSavePdfColor, {436, 348, 209, 27}, "Enregistrer e&n PDF…"},
        {form.btnSaveImage, {436, 379, 209, 27}, "Enregistrer l'ima&ge…"},
    };
    for (const Placed& p : placed) {
        SCOPED_TRACE(p.control->objectName().toStdString());
        EXPECT_EQ(p.control->geometry(), p.geometry);
        if (auto* button = qobject_cast<QPushButton*>(p.control)) {
            EXPECT_EQ(button->text(), p.caption);
        } else if (auto* label = qobject_cast<QLabel*>(p.control)) {
            EXPECT_EQ(label->text(), p.caption);
        } else if (auto* group = qobject_cast<QGroupBox*>(p.control)) {
            EXPECT_EQ(group->title(), p.caption);
        }
    }

    // Each caption fills its raised frame, which sits at the top of its column.
    const std::pair<QLabel*, QString> captions[] = {
        {form.lblImageDotsOnlyComment, "Image avec les points seulement."},
        {form.lblImageComment, "Image à colorier."},
        {form.lblImageColor, "Image coloriée."},
    };
    const int columnLeft[] = {8, 224, 436};
    for (int column = 0; column < 3; ++column) {
        QLabel* label = captions[column].first;
        EXPECT_EQ(label->text(), captions[column].second);
        EXPECT_EQ(label->parentWidget()->geometry(), QRect(columnLeft[column], 20, 209, 29));
        EXPECT_EQ(label->alignment(), Qt::AlignCenter);
        EXPECT_TRUE(label->wordWrap());
    }
}

TEST(TfrmImpressionLayout, NoTextIsCut)
{
    TfrmImpression form;
    for (const QLabel* label : form.findChildren<QLabel*>()) {
        SCOPED_TRACE(label->objectName().toStdString());
        const QRect box = label->contentsRect();
        const QRect needed = label->fontMetrics().boundingRect(
            box, static_cast<int>(label->alignment()) | Qt::TextWordWrap, label->text());
        EXPECT_LE(needed.height(), box.height());
        EXPECT_LE(needed.width(), box.width());
    }
}

TEST(TfrmImpressionLayout, TabGoesFromTheTreeThroughTheColumnsToFermer)
{
    TfrmImpression form;
    form.show();
    const QWidget* expected[] = {form.tvThemes,        form.btnPrintImageDotsOnly, form.btnBooklet,
                                 form.btnAlbum,        form.btnSavePdfDotsOnly,    form.btnPrintImage,
                                 form.btnClear,        form.btnSavePdfImage,       form.btnPrintColor,
                                 form.btnClearColor,   form.btnSavePdfColor,       form.btnSaveImage,
                                 form.btnExit};
    // Every button enabled, so that the chain visits them all.
    for (QPushButton* button : form.findChildren<QPushButton*>())
        button->setEnabled(true);
    QWidget* widget = form.tvThemes;
    for (const QWidget* next : expected) {
        EXPECT_EQ(widget, next) << widget->objectName().toStdString();
        do
            widget = widget->nextInFocusChain();
        while (!(widget->focusPolicy() & Qt::TabFocus) || !widget->isEnabled());
    }
    EXPECT_EQ(widget, form.tvThemes);
}

TEST_F(PrintManagerTest, StartsWithEveryColumnReset)
{
    EXPECT_FALSE(form.btnPrintImageDotsOnly->isEnabled());
    EXPECT_TRUE(form.imgPreviewDotsOnly->Bitmap().Empty());
    EXPECT_EQ(ImageColumn(), Shown::Reset);
    EXPECT_EQ(ColorColumn(), Shown::Reset);
    EXPECT_TRUE(form.CurrentTheme().empty());
    EXPECT_TRUE(form.CurrentImage().empty());
}

TEST_F(PrintManagerTest, TreeListsThemesInLocaleOrderWithTheirPicturesExpanded)
{
    AddTheme("zèbres", 3);
    AddTheme("Animaux", 0);
    AddTheme("animaux", 2);
    AddTheme("Éléphants", 101);
    Open();

    // Case tells apart, but does not sort first: "animaux" and "Animaux" stay side by side.
    EXPECT_EQ(ThemeTexts(form.tvThemes), QStringList({"animaux", "Animaux", "Éléphants", "zèbres"}));
    EXPECT_EQ(Texts(Node("zèbres")), QStringList({"Image01", "Image02", "Image03"}));
    EXPECT_EQ(Node("Animaux")->childCount(), 0);
    // The theme's order, easy to hard, past picture 99 too.
    const QStringList elephants = Texts(Node("Éléphants"));
    ASSERT_EQ(elephants.size(), 101);
    EXPECT_EQ(elephants.mid(9, 2), QStringList({"Image10", "Image11"}));
    EXPECT_EQ(elephants.last(), "Image101");
    for (int i = 0; i < form.tvThemes->topLevelItemCount(); ++i)
        EXPECT_TRUE(form.tvThemes->topLevelItem(i)->isExpanded());
}

TEST_F(PrintManagerTest, PicturesAreListedByTheirNamesWhereTheThemeGivesThem)
{
    AddTheme("Ferme", 2);
    AddPicture("Ferme", 2, true, false);
    WriteFile(ThemeFile("Ferme"), ReadFile(ThemeFile("Ferme")) + "[Image02]\nTitre=vache\n");
    Open();
    EXPECT_EQ(Texts(Node("Ferme")), QStringList({"Image01", "2. vache"}));
    Select(Node("Ferme", "2. vache"));
    EXPECT_EQ(form.CurrentImage(), "Image02");
    EXPECT_EQ(ImageColumn(), Shown::Available);
}

TEST_F(PrintManagerTest, RefreshSelectsTheLaunchersHighlightedThemeAndKeepsThePreviews)
{
    AddTheme("Animaux", 2);
    AddTheme("Bateaux", 1);
    AddTheme("Chats", 1);
    AddPicture("Animaux", 1, true, true);
    Open();
    EXPECT_EQ(form.tvThemes->currentItem(), Node("Animaux"));  // nothing highlighted: the first node

    Select(Node("Animaux", "Image01"));
    form.close();
    highlighted = "Bateaux";
    form.TreeViewRefresh();
    form.show();
    Settle();
    EXPECT_EQ(form.tvThemes->currentItem(), Node("Bateaux"));
    EXPECT_EQ(form.CurrentTheme(), "Animaux");
    EXPECT_EQ(form.CurrentImage(), "Image01");
    EXPECT_EQ(ImageColumn(), Shown::Available);
    EXPECT_EQ(ColorColumn(), Shown::Available);
    EXPECT_EQ(form.imgColorImage->Bitmap().PixelColour(0, 0), kColouredColour);
}

TEST_F(PrintManagerTest, PictureWithoutMarkOrArchiveOffersOnlyTheDots)
{
    AddTheme("Animaux", 7);
    AddPicture("Animaux", 7, false, false);
    Open();
    Select(Node("Animaux", "Image07"));

    EXPECT_EQ(form.CurrentTheme(), "Animaux");
    EXPECT_EQ(form.CurrentImage(), "Image07");
    EXPECT_TRUE(form.btnPrintImageDotsOnly->isEnabled());
    EXPECT_EQ(form.imgPreviewDotsOnly->Bitmap().Width(), 800);  // held at full size
    EXPECT_EQ(form.imgPreviewDotsOnly->Bitmap().PixelColour(0, 0), kDotsColour);
    EXPECT_EQ(ImageColumn(), Shown::NotAvailable);
    EXPECT_EQ(ColorColumn(), Shown::NotAvailable);
    EXPECT_TRUE(form.imgPreviewImage->Bitmap().Empty());
    EXPECT_TRUE(form.imgColorImage->Bitmap().Empty());
}

TEST_F(PrintManagerTest, MarkAndArchiveMakeTheirColumnsAvailable)
{
    AddTheme("Animaux", 2);
    AddPicture("Animaux", 2, true, true);
    Open();
    Select(Node("Animaux", "Image02"));

    EXPECT_EQ(ImageColumn(), Shown::Available);
    EXPECT_EQ(ColorColumn(), Shown::Available);
    EXPECT_EQ(form.imgPreviewImage->Bitmap().PixelColour(799, 599), kPictureColour);
    EXPECT_EQ(form.imgColorImage->Bitmap().PixelColour(799, 599), kColouredColour);
}

TEST_F(PrintManagerTest, ContentSpelledInAnotherCaseIsFound)
{
    AddTheme("Animaux", 1);
    AddPicture("Animaux", 1, true, true);
    const std::filesystem::path theme = m_dir.path() / "Themes" / "Animaux";
    std::filesystem::rename(theme / "Points01.bmp", theme / "points01.BMP");
    std::filesystem::rename(theme / "Couleur01.bmz", theme / "COULEUR01.bmz");
    Open();
    Select(Node("Animaux", "Image01"));
    EXPECT_TRUE(form.btnPrintImageDotsOnly->isEnabled());
    EXPECT_EQ(ColorColumn(), Shown::Available);
}

TEST_F(PrintManagerTest, ThemeNodeAfterAPictureChangesNothing)
{
    AddTheme("Animaux", 1);
    AddTheme("Bateaux", 1);
    AddPicture("Animaux", 1, true, false);
    Open();
    Select(Node("Animaux", "Image01"));
    Select(Node("Bateaux"));

    EXPECT_EQ(form.CurrentTheme(), "Animaux");
    EXPECT_EQ(form.CurrentImage(), "Image01");
    EXPECT_TRUE(form.btnPrintImageDotsOnly->isEnabled());
    EXPECT_EQ(ImageColumn(), Shown::Available);
    EXPECT_EQ(ColorColumn(), Shown::NotAvailable);
}

TEST_F(PrintManagerTest, MarkAndArchiveAreLookedUpAfreshAtEachSelection)
{
    AddTheme("Animaux", 2);
    AddPicture("Animaux", 1, false, false);
    AddPicture("Animaux", 2, false, false);
    Open();
    Select(Node("Animaux", "Image01"));
    EXPECT_EQ(ColorColumn(), Shown::NotAvailable);

    // The game finishes and colours the picture meanwhile.
    AddPicture("Animaux", 1, true, true);
    Select(Node("Animaux", "Image02"));
    Select(Node("Animaux", "Image01"));
    EXPECT_EQ(ImageColumn(), Shown::Available);
    EXPECT_EQ(ColorColumn(), Shown::Available);
}

TEST_F(PrintManagerTest, EmptyCatalogueResetsTheColumnsWhenShown)
{
    AddTheme("Animaux", 1);
    AddPicture("Animaux", 1, true, true);
    Open();
    Select(Node("Animaux", "Image01"));
    form.close();

    std::filesystem::remove_all(m_dir.path() / "Themes" / "Animaux");
    Open();
    EXPECT_EQ(form.tvThemes->topLevelItemCount(), 0);
    EXPECT_EQ(form.tvThemes->currentItem(), nullptr);
    EXPECT_FALSE(form.btnPrintImageDotsOnly->isEnabled());
    EXPECT_TRUE(form.imgPreviewDotsOnly->Bitmap().Empty());
    EXPECT_EQ(ImageColumn(), Shown::Reset);
    EXPECT_EQ(ColorColumn(), Shown::Reset);
    EXPECT_TRUE(form.imgPreviewImage->Bitmap().Empty());
    EXPECT_TRUE(form.imgColorImage->Bitmap().Empty());
}

TEST_F(PrintManagerTest, MissingDotsPictureEmptiesOnlyItsColumn)
{
    AddTheme("Animaux", 2);
    AddPicture("Animaux", 1, false, false);
    AddPicture("Animaux", 2, true, true);
    Open();
    Select(Node("Animaux", "Image01"));
    std::filesystem::remove(m_dir.path() / "Themes" / "Animaux" / "Points02.bmp");

    MessageBoxWatcher watcher;
    Select(Node("Animaux", "Image02"));
    ASSERT_EQ(watcher.Texts(), QStringList(QString::fromStdString("Impossible d'ouvrir le fichier " +
                                                                  ThemePath("Animaux") + "Points02.bmp")));
    EXPECT_EQ(form.CurrentImage(), "Image02");
    EXPECT_EQ(ImageColumn(), Shown::Available);
    EXPECT_EQ(ColorColumn(), Shown::Available);
    // Never the dots of the picture viewed before.
    EXPECT_FALSE(form.btnPrintImageDotsOnly->isEnabled());
    EXPECT_TRUE(form.imgPreviewDotsOnly->Bitmap().Empty());
}

TEST_F(PrintManagerTest, ErrorOfAClickInTheTreeIsShownAndTheTreeStaysUsable)
{
    AddTheme("Animaux", 2);
    AddPicture("Animaux", 1, true, true);
    AddPicture("Animaux", 2, true, true);
    std::filesystem::remove(m_dir.path() / "Themes" / "Animaux" / "Points01.bmp");
    Open();
    MessageBoxWatcher watcher;
    const auto click = [this](QTreeWidgetItem* node) {
        QTest::mouseClick(form.tvThemes->viewport(), Qt::LeftButton, {},
                          form.tvThemes->visualItemRect(node).center());
        Settle();
    };

    click(Node("Animaux", "Image01"));
    ASSERT_EQ(watcher.Seen().size(), 1u);
    EXPECT_EQ(watcher.Seen()[0].title, "Vorlane");
    EXPECT_EQ(watcher.Seen()[0].icon, QMessageBox::Critical);
    EXPECT_EQ(watcher.Seen()[0].text.toStdString(),
              "Impossible d'ouvrir le fichier " + ThemePath("Animaux") + "Points01.bmp");
    EXPECT_TRUE(Node("Animaux", "Image01")->isSelected());

    click(Node("Animaux", "Image02"));
    EXPECT_EQ(watcher.Seen().size(), 1u);
    EXPECT_TRUE(Node("Animaux", "Image02")->isSelected());
    EXPECT_EQ(form.CurrentImage(), "Image02");
    EXPECT_TRUE(form.btnPrintImageDotsOnly->isEnabled());
}

// A damaged coloured picture keeps only itself from being printed.
TEST_F(PrintManagerTest, UnreadableArchiveEmptiesOnlyItsColumn)
{
    AddTheme("Animaux", 2);
    AddPicture("Animaux", 1, false, false);
    AddPicture("Animaux", 2, true, false);
    WriteFile(ThemePath("Animaux") + "Couleur02.bmz", "pas une archive");
    Open();
    Select(Node("Animaux", "Image01"));

    MessageBoxWatcher watcher;
    Select(Node("Animaux", "Image02"));
    EXPECT_EQ(watcher.Seen().size(), 1u);
    EXPECT_EQ(ImageColumn(), Shown::Available);
    EXPECT_EQ(ColorColumn(), Shown::Reset);
    EXPECT_TRUE(form.btnPrintImageDotsOnly->isEnabled());
    EXPECT_EQ(form.imgPreviewDotsOnly->Bitmap().PixelColour(0, 0), kDotsColour);
}

TEST_F(PrintManagerTest, RemovalAsksFirstAndNoChangesNothing)
{
    AddTheme("Animaux", 1);
    AddPicture("Animaux", 1, true, true);
    Open();
    Select(Node("Animaux", "Image01"));

    answer = QMessageBox::No;
    form.btnClear->click();
    form.btnClearColor->click();
    ASSERT_EQ(questions.size(), 2u);
    for (const SeenQuestion& question : questions) {
        EXPECT_EQ(question.title, "Confirmation de suppression");
        EXPECT_EQ(question.text, "Etes-vous sûr de vouloir supprimer cette image du gestionnaire d'impression");
        EXPECT_EQ(question.icon, QMessageBox::Question);
        EXPECT_EQ(question.buttons, QStringList({"Oui", "Non"}));
        EXPECT_EQ(question.defaultButton, "Non");
    }
    EXPECT_TRUE(ThemeDat(ThemeFile("Animaux")).Imprimer(1));
    EXPECT_TRUE(FileExists(ThemePath("Animaux") + "Couleur01.bmz"));
    EXPECT_EQ(ImageColumn(), Shown::Available);
    EXPECT_EQ(ColorColumn(), Shown::Available);
}

TEST_F(PrintManagerTest, RemovingThePictureToColourClearsTheMarkOnly)
{
    AddTheme("Animaux", 1);
    AddPicture("Animaux", 1, true, true);
    Open();
    Select(Node("Animaux", "Image01"));

    form.btnClear->click();
    EXPECT_NE(ReadFile(ThemeFile("Animaux")).find("Imprimer=0"), std::string::npos);
    EXPECT_EQ(ImageColumn(), Shown::NotAvailable);
    EXPECT_TRUE(form.imgPreviewImage->Bitmap().Empty());
    EXPECT_EQ(ColorColumn(), Shown::Available);
    for (const char* file : {"Image01.bmp", "Points01.bmp", "Couleur01.bmz"})
        EXPECT_TRUE(FileExists(ThemePath("Animaux") + file)) << file;
}

TEST_F(PrintManagerTest, RemovedColouredPictureStaysRemoved)
{
    AddTheme("Animaux", 1);
    AddPicture("Animaux", 1, true, true);
    Open();
    Select(Node("Animaux", "Image01"));

    form.btnClearColor->click();
    EXPECT_FALSE(FileExists(ThemePath("Animaux") + "Couleur01.bmz"));
    EXPECT_EQ(ColorColumn(), Shown::NotAvailable);
    EXPECT_EQ(ImageColumn(), Shown::Available);

    Select(Node("Animaux"));
    Select(Node("Animaux", "Image01"));
    EXPECT_EQ(ColorColumn(), Shown::NotAvailable);
}

TEST_F(PrintManagerTest, RefusedRemovalsSayWhyAndKeepTheColumn)
{
    AddTheme("Animaux", 1);
    AddPicture("Animaux", 1, true, true);
    Open();
    Select(Node("Animaux", "Image01"));
    const std::filesystem::path folder = m_dir.path() / "Themes" / "Animaux";
    std::filesystem::permissions(folder, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);

    {
        ScopedUnprivileged unprivileged;
        try {
            form.btnClearColorClick();
            FAIL() << "no error";
        } catch (const EDeleteError& error) {
            EXPECT_EQ(std::string(error.what()),
                      "Impossible de supprimer le fichier " + ThemePath("Animaux") + "Couleur01.bmz");
        }
        EXPECT_THROW(form.btnClearClick(), EWriteError);
    }
    EXPECT_TRUE(FileExists(ThemePath("Animaux") + "Couleur01.bmz"));
    EXPECT_TRUE(ThemeDat(ThemeFile("Animaux")).Imprimer(1));
    EXPECT_EQ(ColorColumn(), Shown::Available);
    EXPECT_EQ(ImageColumn(), Shown::Available);
}

TEST_F(PrintManagerTest, ReadOnlyProgramFolderTakesRemovalsInTheUsersFolder)
{
    AddTheme("Animaux", 1);
    AddPicture("Animaux", 1, true, false);
    SharedProgramFolder shared(m_dir.path());
    const std::string mine = shared.UserFolder() + "Themes/Animaux/";
    ZipBitmap(SolidBitmap(800, 600, kColouredColour), ContentPlaces::Current().ThemeFileToWrite("Animaux", "Couleur01.bmz"));
    Open();
    Select(Node("Animaux", "Image01"));
    ASSERT_EQ(ImageColumn(), Shown::Available);
    ASSERT_EQ(ColorColumn(), Shown::Available);

    form.btnClear->click();
    form.btnClearColor->click();
    EXPECT_EQ(ReadFile(mine + "progression.ini"), "[Image01]\nImprimer=0\n");
    EXPECT_FALSE(FileExists(mine + "Couleur01.bmz"));
    Select(Node("Animaux"));
    Select(Node("Animaux", "Image01"));
    EXPECT_EQ(ImageColumn(), Shown::NotAvailable);
    EXPECT_EQ(ColorColumn(), Shown::NotAvailable);
    EXPECT_TRUE(shared.Unchanged());
}

TEST_F(PrintManagerTest, FermerEndsTheModalRun)
{
    AddTheme("Animaux", 1);
    catalogue.Scan();
    form.TreeViewRefresh();
    QWidget* focused = nullptr;
    QTimer::singleShot(0, &form, [&] {
        focused = form.focusWidget();
        QTest::mouseClick(form.btnExit, Qt::LeftButton);
    });
    form.exec();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(focused, form.tvThemes);
}

TfrmAide* HelpWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* help = qobject_cast<TfrmAide*>(widget))
            return help;
    }
    return nullptr;
}

TEST_F(PrintManagerTest, F1AnywhereOpensTheHelp)
{
    TApplication::SetHelpFile(VORLANE_PROGRAM_DIR "/Aide/index.html");
    int helpShown = 0;
    QTimer::singleShot(0, &form, [&] {
        for (QWidget* target : {static_cast<QWidget*>(form.tvThemes), static_cast<QWidget*>(form.btnExit)}) {
            QTest::keyRelease(target, Qt::Key_A);
            if (HelpWindow() != nullptr && HelpWindow()->isVisible())
                ADD_FAILURE() << "help opened by another key";
            QTest::keyRelease(target, Qt::Key_F1, Qt::ShiftModifier);
            if (HelpWindow() != nullptr && HelpWindow()->isVisible()) {
                ++helpShown;
                HelpWindow()->close();
            }
        }
        form.close();
    });
    form.exec();
    EXPECT_EQ(helpShown, 2);
}

}  // namespace
}  // namespace vorlane::test
