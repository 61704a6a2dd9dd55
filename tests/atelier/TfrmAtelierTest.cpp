#include "launcher/LauncherFixture.h"
#include "support/MessageBoxWatcher.h"
#include "support/SharedProgramFolder.h"

#include "atelier/DotEditor.h"
#include "atelier/PageFaults.h"
#include "atelier/ReopenDialog.h"
#include "atelier/TfrmAtelier.h"
#include "authoring/PictureJudge.h"
#include "content/ThemeDat.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>

namespace vorlane {
namespace {

using test::ReadFile;

// A house with a door: an outer outline to carry the dots, an inner line to keep.
constexpr const char* kHouse =
    R"(<svg xmlns="http://www.w3.org/2000/svg" width="400" height="300" viewBox="0 0 400 300">)"
    R"(<path d="M50 270 L50 120 L200 30 L350 120 L350 270 Z" fill="none" stroke="black" stroke-width="6"/>)"
    R"(<rect x="170" y="180" width="60" height="90" fill="none" stroke="black" stroke-width="6"/></svg>)";

class TfrmAtelierTest : public test::LauncherFixture {
protected:
    std::string Drawing(const std::string& name, const std::string& content)
    {
        test::WriteFile(folder.file(name), content);
        return folder.file(name);
    }
    std::string ThemeFolder(const std::string& theme) const { return (folder.path() / "Themes" / theme).string(); }
};

// Shown and active, as the window under the parent's hands: its shortcuts work.
void Show(QWidget& window)
{
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
}

std::vector<QPoint> Positions(const AtelierState& state)
{
    std::vector<QPoint> positions;
    for (const Dot& dot : state.dots)
        positions.push_back(dot.position);
    return positions;
}

// The whole road of a picture: opened, its count changed, a dot dragged, the
// drag undone and redone, added to a new theme beside an untouched one, then
// reopened in another window as it was written.
TEST_F(TfrmAtelierTest, DrawingBecomesAPictureOfANewThemeAndReopensAsItWasWritten)
{
    AddTheme("Animaux", 2);
    const std::string animaux = ReadFile(ThemeFile("Animaux"));
    TfrmAtelier atelier(ContentPlaces(folder.path().string()), QStringLiteral("Animaux"));
    Show(atelier);
    EXPECT_EQ(atelier.cBTheme->currentText(), "Animaux");
    EXPECT_FALSE(atelier.btnAjouter->isEnabled());

    atelier.OpenFile(QString::fromStdString(Drawing("maison.svg", kHouse)));
    ASSERT_NE(atelier.State().drawing, nullptr);
    // A house needs few dots: the atelier proposes them, and says for whom.
    EXPECT_LE(atelier.State().proposedCount, 12);
    EXPECT_EQ(atelier.State().dots.size(), static_cast<std::size_t>(atelier.State().proposedCount));
    EXPECT_EQ(atelier.ScrBNombre->value(), atelier.State().proposedCount);
    EXPECT_TRUE(atelier.lblConseil->text().contains("dès 3 ans")) << atelier.lblConseil->text().toStdString();
    EXPECT_EQ(atelier.EdNom->text(), "Maison");
    EXPECT_EQ(atelier.ShownPicture().size(), QSize(704, 560));

    atelier.ScrBNombre->setValue(12);
    ASSERT_EQ(atelier.State().dots.size(), 12u);
    EXPECT_EQ(atelier.lblNombre->text(), "Nombre de points : 12");
    const std::vector<QPoint> placed = Positions(atelier.State());

    // The dot goes where it is let go, onto the outline; the picture follows.
    const QImage before = atelier.ShownPicture();
    const QPoint from = placed[3];
    const QPoint to = from + QPoint(0, 25);
    QTest::mousePress(atelier.Editor, Qt::LeftButton, {}, from);
    QTest::mouseMove(atelier.Editor, from + QPoint(0, 10));
    QTest::mouseMove(atelier.Editor, to);
    QTest::mouseRelease(atelier.Editor, Qt::LeftButton, {}, to);
    const QPoint moved = atelier.State().dots[3].position;
    EXPECT_EQ(moved, NearestOutlinePoint(*atelier.State().drawing, to));
    EXPECT_NE(moved, from);
    EXPECT_NE(atelier.ShownPicture(), before);

    QTest::keyClick(&atelier, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Positions(atelier.State()), placed);
    EXPECT_EQ(atelier.ShownPicture(), before);
    QTest::keyClick(&atelier, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(atelier.State().dots[3].position, moved);

    // A right-click takes a dot away; a double-click on the outline puts one back.
    QTest::mouseClick(atelier.Editor, Qt::RightButton, {}, placed[5]);
    EXPECT_EQ(atelier.State().dots.size(), 11u);
    QTest::mouseDClick(atelier.Editor, Qt::LeftButton, {}, placed[5]);
    EXPECT_EQ(atelier.State().dots.size(), 12u);
    EXPECT_EQ(atelier.State().dots[5].position, NearestOutlinePoint(*atelier.State().drawing, placed[5]));

    atelier.cBNumeros->setCurrentIndex(static_cast<int>(LabelStyle::ByTen));
    EXPECT_EQ(atelier.State().options.firstNumber, 10);  // counting by ten starts at ten

    atelier.cBTheme->setCurrentText(QStringLiteral("Mes dessins"));
    atelier.EdNom->setText(QStringLiteral("La maison"));
    test::MessageBoxWatcher watcher;
    QTest::mouseClick(atelier.btnAjouter, Qt::LeftButton);
    ASSERT_EQ(watcher.Seen().size(), 1u);
    EXPECT_EQ(watcher.Seen()[0].title, "Vorlane");
    EXPECT_TRUE(watcher.Seen()[0].text.startsWith("Le thème « Mes dessins » est créé, avec « La maison »"))
        << watcher.Seen()[0].text.toStdString();
    EXPECT_TRUE(watcher.Seen()[0].text.contains("cochez-le dans la liste des thèmes"));
    EXPECT_FALSE(ThemeDat(ThemeFile("Mes dessins")).Check()) << "as the message says";
    for (const char* file : {"Points01.bmp", "Image01.bmp", "theme.dat"})
        EXPECT_TRUE(std::filesystem::exists(ThemeFolder("Mes dessins") + "/" + file)) << file;
    EXPECT_NE(ReadFile(ThemeFile("Mes dessins")).find("NombreImages=1"), std::string::npos);
    EXPECT_EQ(ThemeDat(ThemeFile("Mes dessins")).Titre(1), "La maison");
    EXPECT_EQ(ReadFile(ThemeFile("Animaux")), animaux);
    EXPECT_GE(atelier.cBTheme->findText(QStringLiteral("Mes dessins")), 0);
    EXPECT_TRUE(atelier.chkRemplacer->isVisible());

    ReopenDialog dialog(ContentPlaces(folder.path().string()), "Animaux");
    ASSERT_TRUE(dialog.HasPictures());
    EXPECT_EQ(dialog.Theme(), "Mes dessins");
    EXPECT_EQ(dialog.Picture(), 1);

    TfrmAtelier again(ContentPlaces(folder.path().string()));
    again.show();
    again.Reopen("Mes dessins", 1);
    EXPECT_EQ(Positions(again.State()), Positions(atelier.State()));
    EXPECT_EQ(again.State().options.count, 12);
    EXPECT_EQ(again.State().options.style, LabelStyle::ByTen);
    EXPECT_EQ(again.State().options.lineColour, atelier.State().options.lineColour);
    EXPECT_EQ(again.EdNom->text(), "La maison");
    EXPECT_EQ(again.cBTheme->currentText(), "Mes dessins");
    EXPECT_TRUE(again.chkRemplacer->isChecked());

    // Saved again over itself: still one picture in the theme.
    again.ScrBNombre->setValue(8);
    QTest::mouseClick(again.btnAjouter, Qt::LeftButton);
    ASSERT_EQ(watcher.Seen().size(), 2u);
    EXPECT_TRUE(watcher.Seen()[1].text.startsWith("L'image 1 du thème « Mes dessins » est remplacée"));
    EXPECT_NE(ReadFile(ThemeFile("Mes dessins")).find("NombreImages=1"), std::string::npos);
    EXPECT_NE(ReadFile(ThemeFile("Mes dessins")).find("NombrePoints=8"), std::string::npos);
}

// Under the picture, the judge's verdict on the page as it would be written;
// the switch draws the child's line over the dots; a theme made elsewhere is
// in the list when the window is active again, and is added to, not created.
TEST_F(TfrmAtelierTest, TellsTheVerdictShowsTheChildsLineAndKnowsThemesMadeElsewhere)
{
    TfrmAtelier atelier(ContentPlaces(folder.path().string()));
    Show(atelier);
    EXPECT_TRUE(atelier.lblQualite->text().isEmpty());
    EXPECT_FALSE(atelier.chkTrait->isEnabled());
    atelier.OpenFile(QString::fromStdString(Drawing("maison.svg", kHouse)));
    atelier.ScrBNombre->setValue(12);

    const AtelierState& state = atelier.State();
    JudgedPage page{atelier.ShownPicture(), state.drawing->PictureToColour(), Positions(state), state.options.lineWidth};
    const PageVerdict verdict = PictureJudge::Judge(page);
    EXPECT_EQ(atelier.lblQualite->text().toStdString(), verdict.Line());
    EXPECT_TRUE(atelier.lblQualite->styleSheet().contains(verdict.Good() ? "#2e7d32" : "#e65100"));

    const QPoint middle = (state.dots[0].position + state.dots[1].position) / 2;
    EXPECT_NE(atelier.ShownPicture().pixelColor(middle), state.options.lineColour);
    atelier.chkTrait->setChecked(true);
    EXPECT_EQ(atelier.ShownPicture().pixelColor(middle), state.options.lineColour);
    atelier.rbColorier->setChecked(true);
    EXPECT_FALSE(atelier.chkTrait->isEnabled());
    EXPECT_EQ(atelier.ShownPicture(), state.drawing->PictureToColour());

    // Made elsewhere while the window was open: the list knows it once the
    // window is active again, and the message tells what was done.
    AddTheme("Jardin", 0);
    QWidget other;
    Show(other);
    Show(atelier);
    EXPECT_GE(atelier.cBTheme->findText(QStringLiteral("Jardin")), 0);
    AddTheme("Maisons", 1);
    atelier.cBTheme->setCurrentText(QStringLiteral("  Maisons "));
    test::MessageBoxWatcher watcher;
    QTest::mouseClick(atelier.btnAjouter, Qt::LeftButton);
    ASSERT_EQ(watcher.Seen().size(), 1u);
    EXPECT_EQ(watcher.Seen()[0].text, "« Maison » est maintenant l'image 2 du thème « Maisons ».");
}

// A drawing that cannot be traced, dropped or pasted over the one in work,
// is refused in a "Vorlane" box and leaves the work as it was; one that can
// be traced replaces it, and one undo brings the work back.
TEST_F(TfrmAtelierTest, RefusedOrReplacedDrawingLeavesTheWorkRecoverable)
{
    TfrmAtelier atelier(ContentPlaces(folder.path().string()));
    Show(atelier);
    atelier.OpenFile(QString::fromStdString(Drawing("maison.svg", kHouse)));
    const AtelierState work = atelier.State();

    test::MessageBoxWatcher watcher;
    QMimeData dropped;
    dropped.setUrls({QUrl::fromLocalFile(QString::fromStdString(Drawing("abime.png", "\x89PNG pas une image")))});
    QDragEnterEvent enter(QPoint(300, 300), Qt::CopyAction, &dropped, Qt::LeftButton, {});
    QApplication::sendEvent(&atelier, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(300, 300), Qt::CopyAction, &dropped, Qt::LeftButton, {});
    QApplication::sendEvent(&atelier, &drop);
    QApplication::clipboard()->setText(QStringLiteral("bonjour"));
    Show(atelier);  // again, after the box
    QTest::keyClick(&atelier, Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(watcher.Seen().size(), 2u) << watcher.Texts().join(" / ").toStdString();
    for (const test::SeenMessageBox& box : watcher.Seen()) {
        EXPECT_EQ(box.title, "Vorlane");
        EXPECT_FALSE(box.text.isEmpty());
    }
    EXPECT_EQ(atelier.State().drawing, work.drawing);
    EXPECT_EQ(Positions(atelier.State()), Positions(work));

    // A pasted image replaces the drawing; undo brings the one in work back.
    QApplication::clipboard()->setImage(work.drawing->PictureToColour());
    Show(atelier);
    QTest::keyClick(&atelier, Qt::Key_V, Qt::ControlModifier);
    ASSERT_NE(atelier.State().drawing, work.drawing);
    EXPECT_EQ(atelier.EdNom->text(), "");
    QTest::keyClick(&atelier, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(atelier.State().drawing, work.drawing);
    EXPECT_EQ(Positions(atelier.State()), Positions(work));

    // Work not added to a theme is not closed without a question.
    atelier.close();
    ASSERT_EQ(watcher.Seen().size(), 3u);
    EXPECT_EQ(watcher.Seen()[2].title, "Vorlane");
    EXPECT_TRUE(watcher.Seen()[2].buttons.contains("Non"));
}

int Inked(const QImage& picture)
{
    int black = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            black += picture.pixel(x, y) == qRgb(0, 0, 0);
    return black;
}

// The rubber: a click takes the door off the dots page and undo puts it
// back; a stroke across the outline of the picture to colour opens it, which
// the verdict tells and rings. Saved and reopened, both pages are as rubbed.
TEST_F(TfrmAtelierTest, RubbedStrokesLeaveThePagesSavedAndReopenedAndCanBeUndone)
{
    TfrmAtelier atelier(ContentPlaces(folder.path().string()));
    Show(atelier);
    atelier.OpenFile(QString::fromStdString(Drawing("maison.svg", kHouse)));
    atelier.ScrBNombre->setValue(12);
    const auto drawing = atelier.State().drawing;
    const std::vector<Dot> placed = atelier.State().dots;
    const QImage whole = atelier.ShownPicture();
    QPoint door;  // the drawn line furthest inside
    float inside = 0;
    for (int y = 0; y < whole.height(); ++y)
        for (int x = 0; x < whole.width(); ++x)
            if (whole.pixel(x, y) == qRgb(0, 0, 0) && drawing->Figure().constScanLine(y)[x] != 0 &&
                drawing->EdgeDistance({x, y}) > inside) {
                inside = drawing->EdgeDistance({x, y});
                door = QPoint(x, y);
            }
    ASSERT_FALSE(door.isNull());

    QTest::mouseClick(atelier.btnGomme, Qt::LeftButton);
    ASSERT_TRUE(atelier.btnGomme->isChecked());
    QTest::mouseClick(atelier.Editor, Qt::LeftButton, {}, door + QPoint(3, 0));
    const QImage rubbed = atelier.ShownPicture();
    EXPECT_EQ(rubbed.pixel(door), qRgb(255, 255, 255));
    EXPECT_LT(Inked(rubbed), Inked(whole) - 200) << "the whole door, not a piece";
    EXPECT_EQ(atelier.State().dots, placed) << "the dots stay";
    QTest::keyClick(&atelier, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(atelier.ShownPicture(), whole);
    QTest::keyClick(&atelier, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(atelier.ShownPicture(), rubbed);

    // Across the bottom of the outline, clear of the door.
    atelier.rbColorier->setChecked(true);
    const QRect extent = drawing->Extent();
    const QPoint across(extent.left() + extent.width() / 5, extent.bottom());
    QTest::mousePress(atelier.Editor, Qt::LeftButton, {}, across + QPoint(0, 12));
    QTest::mouseMove(atelier.Editor, across);
    QTest::mouseMove(atelier.Editor, across - QPoint(0, 30));
    QTest::mouseRelease(atelier.Editor, Qt::LeftButton, {}, across - QPoint(0, 30));
    const std::vector<QPoint> openings = atelier.State().drawing->Openings();
    ASSERT_EQ(openings.size(), 1u);
    EXPECT_LT((openings[0] - across).manhattanLength(), 30);
    EXPECT_EQ(atelier.Editor->Rings(), openings);
    EXPECT_TRUE(atelier.lblQualite->text().contains("la gomme a ouvert le contour")) << atelier.lblQualite->text().toStdString();
    EXPECT_TRUE(atelier.lblQualite->styleSheet().contains("#e65100"));
    const QImage colour = atelier.ShownPicture();

    atelier.cBTheme->setCurrentText(QStringLiteral("Mes dessins"));
    test::MessageBoxWatcher watcher;
    QTest::mouseClick(atelier.btnAjouter, Qt::LeftButton);
    ASSERT_EQ(watcher.Seen().size(), 1u);
    const std::string theme = ThemeFolder("Mes dessins");
    EXPECT_EQ(QImage(QString::fromStdString(theme + "/Image01.bmp")).convertToFormat(QImage::Format_RGB32),
              colour.convertToFormat(QImage::Format_RGB32));
    EXPECT_EQ(QImage(QString::fromStdString(theme + "/Points01.bmp")).convertToFormat(QImage::Format_RGB32),
              rubbed.convertToFormat(QImage::Format_RGB32));
    TfrmAtelier again(ContentPlaces(folder.path().string()));
    again.show();
    again.Reopen("Mes dessins", 1);
    EXPECT_EQ(again.State().drawing->PictureToColour(), colour);
    EXPECT_EQ(again.State().drawing->Openings(), openings);
    EXPECT_EQ(again.ShownPicture(), rubbed);
}

// The marks follow the verdict: every dot a failed criterion names, once, and
// the labels of the labels criterion; names beyond the page are passed over.
TEST(PageFaults, MarkWhatTheFailedCriteriaName)
{
    TracedDrawing house = TracedDrawing::FromBytes(kHouse, QStringLiteral("svg"));
    DotOptions options;
    options.count = 8;
    const std::vector<Dot> dots = PlaceDots(house, options);
    PageVerdict verdict;
    EXPECT_TRUE(PageFaults::Of(verdict, house, dots, options).dots.empty());
    verdict[Criterion::CleanPath] = {false, 1, {2, 3}, "le trait se croise : points 2 et 3", {}};
    verdict[Criterion::Labels] = {false, 1, {3, 99}, "numéro qui touche un trait ou un point : point 3", {}};
    verdict[Criterion::Sizes] = {true, 6, {5}, "", {}};
    const PageFaults faults = PageFaults::Of(verdict, house, dots, options);
    EXPECT_FALSE(faults.good);
    EXPECT_EQ(faults.line, verdict.Line());
    EXPECT_EQ(faults.dots, (std::vector<QPoint>{dots[1].position, dots[2].position}));
    EXPECT_EQ(faults.labels, (std::vector<QRectF>{LabelBoxes(house, dots, options)[2]}));
    EXPECT_TRUE(faults.openings.empty());
    // Where the judge saw a break or crumbs: on the picture to colour, on the dots page.
    verdict[Criterion::Colouring] = {false, 1, {}, "le contour de l'image à colorier est ouvert", {QPoint(40, 50)}};
    verdict[Criterion::GivenAway] = {false, 0, {}, "des petites marques éparses", {QPoint(70, 80)}};
    const PageFaults placed = PageFaults::Of(verdict, house, dots, options);
    EXPECT_EQ(placed.openings, (std::vector<QPoint>{QPoint(40, 50)}));
    EXPECT_EQ(placed.places, (std::vector<QPoint>{QPoint(70, 80)}));
}

// In a program folder shared by the family, a drawing goes to the user's own
// themes: never into the shared folder, and never under a shared theme's
// name in any letter case, which would hide that theme's pictures.
TEST_F(TfrmAtelierTest, SharedProgramFolderTakesDrawingsIntoTheUsersOwnThemes)
{
    AddTheme("Animaux", 2);
    const QString drawing = QString::fromStdString(Drawing("maison.svg", kHouse));
    test::SharedProgramFolder shared(folder.path());
    test::MessageBoxWatcher watcher;
    // Named on the command line, the shared theme is not taken, and the parent learns why at once.
    TfrmAtelier atelier(ContentPlaces::Current(), QStringLiteral("Animaux"));
    atelier.show();
    QTRY_COMPARE(watcher.Seen().size(), 1u);
    EXPECT_TRUE(atelier.cBTheme->currentText().isEmpty());
    atelier.OpenFile(drawing);
    for (const char* name : {"Animaux", "animaux"}) {
        atelier.cBTheme->setCurrentText(QString::fromUtf8(name));
        QTest::mouseClick(atelier.btnAjouter, Qt::LeftButton);
    }
    ASSERT_EQ(watcher.Seen().size(), 3u);
    EXPECT_TRUE(watcher.Seen()[0].text.startsWith("Le thème « Animaux » est celui de Vorlane,"));
    EXPECT_TRUE(watcher.Seen()[2].text.startsWith("Le thème « animaux » est celui de Vorlane « Animaux »"));
    EXPECT_FALSE(std::filesystem::exists(shared.UserFolder() + "Themes/Animaux"));
    EXPECT_FALSE(std::filesystem::exists(shared.UserFolder() + "Themes/animaux"));

    atelier.cBTheme->setCurrentText(QStringLiteral("Mes dessins"));
    QTest::mouseClick(atelier.btnAjouter, Qt::LeftButton);
    EXPECT_TRUE(std::filesystem::exists(shared.UserFolder() + "Themes/Mes dessins/Image01.bmp"));
    EXPECT_TRUE(shared.Unchanged());
}

}  // namespace
}  // namespace vorlane
