// The launcher's creation and closing, its option controls and the start button.

#include "launcher/TProgramme.h"

#include "app/TApplication.h"
#include "content/ContentPlaces.h"
#include "content/GameSettings.h"
#include "content/PlayList.h"
#include "content/ThemeDat.h"
#include "print/PictureName.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollBar>

namespace vorlane {

namespace {

// The program's own messages: French, title "Vorlane", an OK button.
void ShowMessage(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Vorlane"), text, QMessageBox::Ok);
    box.exec();
}

// The decimal value of "0" followed by `text`, so that an empty text reads 0.
int DecimalValue(const QString& text)
{
    bool ok = false;
    const int value = (QStringLiteral("0") + text).toInt(&ok);
    return ok ? value : 0;
}

std::string FolderOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

}  // namespace

void TProgramme::FormCreate()
{
    // 1. The random source of the pictures' order.
    m_random = RandomSource::FromClock();

    // 2. The program folder and the help.
    ExeDir = FolderOf(m_executablePath);
    HelpDir = ExeDir + "Aide/";
    TApplication::SetHelpFile(QString::fromStdString(HelpDir + "index.html"));

    // 3. The catalogue starts empty: it is a member of the window.

    // 4. Only two digits can be typed into the tolerance. A validator, not a
    // maximum length: that would also cut a stored 150 to 15, where the scroll
    // bar must bring it to 50.
    EdTolerance->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,2}")), EdTolerance));

    // 5. The settings, once the program folder tells where the user's things are.
    GameSettings.SettingsFileName = ContentPlaces::Settle(ExeDir).SettingsFile(m_executablePath);
    ReadSettings(GameSettings.SettingsFileName);

    // 6. Themes, then appearances.
    m_catalogue.Scan();
    ShowCatalogue();

    // 7. The tolerance pair; the edit's handler may bound the value first.
    EdTolerance->setText(QString::number(GameSettings.Tolerance));
    ScrBTolerance->setValue(GameSettings.Tolerance);

    // 8. Sound and random order.
    chkSon->setChecked(GameSettings.Son);
    chkHazard->setChecked(GameSettings.Hazard);
    cBAidePoint->setCurrentIndex(static_cast<int>(GameSettings.AidePoint));
    chkVoix->setChecked(GameSettings.Voix);

    // 9, 10 and 11. The display mode of the game.
    GameSettings.ScreenWidth = 1024;
    GameSettings.ScreenHeight = 768;
    GameSettings.BitDepth = 32;
    TestDisplay();
}

void TProgramme::ShowCatalogue()
{
    clbThemes->setEnabled(m_catalogue.Themes().Count() > 0);
    // The remembered appearance, or the first when it is gone (or the stored
    // position is negative): the game always finds one selected.
    cBApparences->setCurrentIndex(m_catalogue.InitialAppearance(GameSettings.Apparence));
}

// The settings and the themes' ticks go back to their files. A refused write
// is shown and the other writes still happen; the program then ends normally.
void TProgramme::FormClose()
{
    dxDrawTest.CloseDisplay();
    TApplication::Guarded([] { WriteSettings(GameSettings.SettingsFileName); });
    TApplication::Guarded([this] { m_catalogue.WriteThemeChecks(); });
    ClearPlayList();
    hide();
}

void TProgramme::ScrBToleranceChange()
{
    EdTolerance->setText(QString::number(ScrBTolerance->value()));
    GameSettings.Tolerance = ScrBTolerance->value();
}

// The scroll bar is the value that counts and brings it into 5 to 50; the
// edit mirrors it. Setting the text here runs this handler again (once, since
// "5" is not below 5), and moving the scroll bar runs ScrBToleranceChange,
// which writes the bounded value back: so 99 ends as 50, but 59 over a bar
// already at 50 moves nothing and stays 59 in the edit.
void TProgramme::EdToleranceChange()
{
    if (DecimalValue(EdTolerance->text()) < GameSettings.kMinTolerance)
        EdTolerance->setText(QString::number(GameSettings.kMinTolerance));
    ScrBTolerance->setValue(DecimalValue(EdTolerance->text()));
}

void TProgramme::cBApparencesChange()
{
    GameSettings.Apparence = cBApparences->currentIndex();
}

void TProgramme::chkSonClick()
{
    GameSettings.Son = chkSon->isChecked();
}

void TProgramme::chkHazardClick()
{
    GameSettings.Hazard = chkHazard->isChecked();
}

void TProgramme::cBAidePointChange()
{
    GameSettings.AidePoint = static_cast<NextDotHelp>(cBAidePoint->currentIndex());
}

void TProgramme::chkVoixClick()
{
    GameSettings.Voix = chkVoix->isChecked();
}

void TProgramme::clbThemesClick()
{
    const std::string theme = HighlightedTheme();
    if (theme.empty())
        return;
    const QString shown = clbThemes->selectionModel()->selectedIndexes().first().data().toString();
    // French counts 0 and 1 in the singular: "1 image.", "2 images.".
    const std::int32_t count = m_catalogue.ImageCount(theme);
    lblImagesCount->setText(shown + QStringLiteral(" : ") + QString::number(count) +
                            (count > 1 ? QStringLiteral(" images.") : QStringLiteral(" image.")));
    // The pictures by their names, as the print manager lists them; nothing
    // for a theme made before pictures had names.
    const ThemeDat dat = ThemeDat::ForTheme(theme);
    QString pictures;
    bool named = false;
    for (std::uint32_t n = 1; n <= static_cast<std::uint32_t>(std::max(count, 0)); ++n) {
        const PictureName name = PictureName::Of(theme, dat, n);
        named = named || !name.Name().isEmpty();
        // Five to a line, so that a long theme's list stays on the screen.
        pictures += (n == 1 ? QString() : n % 5 == 1 ? QStringLiteral(",\n") : QStringLiteral(", ")) + name.ListText();
    }
    // Lines as they are, not wrapped again; a name is shown as written, though it looks like a tag.
    lblImagesCount->setToolTip(named ? QStringLiteral("<p style='white-space:pre'>") + pictures.toHtmlEscaped() +
                                           QStringLiteral("</p>")
                                     : QString());
}

void TProgramme::btnLancerClick()
{
    GameSettings.Tolerance = ScrBTolerance->value();
    if (!BuildPlayList(m_catalogue.CheckedThemes(), GameSettings.Hazard, m_random)) {
        ShowMessage(QStringLiteral("Il faut sélectionner au moins un thème !!!"));
        return;
    }
    // A game needs a picture to play and an appearance to show it in.
    if (PlayCount == 0) {
        ShowMessage(QStringLiteral("Les thèmes sélectionnés ne contiennent aucune image."));
        return;
    }
    if (m_catalogue.Appearances().Count() == 0) {
        ShowMessage(QStringLiteral("Aucune apparence n'est installée."));
        return;
    }
    if (cBApparences->currentIndex() < 0)
        cBApparences->setCurrentIndex(0);
    StartGame();
}

}  // namespace vorlane
