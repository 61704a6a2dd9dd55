#include "launcher/TProgramme.h"

#include "app/CentreOnScreen.h"
#include "launcher/Logo.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QStyle>
#include <QStyleFactory>
#include <QScrollBar>

namespace vorlane {

namespace {

// The window's font: the desktop's own sans-serif at the size the layout was
// drawn for. Every caption below fits its control at this size.
QFont LauncherFont(int pointSize)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSize(pointSize);
    return font;
}

template <class Control>
Control* Place(Control* control, int left, int top, int width, int height)
{
    control->setGeometry(left, top, width, height);
    return control;
}

QGroupBox* GroupBox(QWidget* parent, const QString& title, int left, int top, int width, int height)
{
    auto* box = Place(new QGroupBox(title, parent), left, top, width, height);
    // The classic group box sets its caption into the frame's top edge; the
    // layout places the first control of each box just under that caption.
    // The style reaches the box alone, not the controls inside it.
    if (QStyle* classic = parent->window()->findChild<QStyle*>(QStringLiteral("ClassicGroupBoxes")))
        box->setStyle(classic);
    return box;
}

QPushButton* Button(QWidget* parent, const QString& caption, int left, int top)
{
    constexpr int kWidth = 153;
    constexpr int kHeight = 29;
    auto* button = Place(new QPushButton(caption, parent), left, top, kWidth, kHeight);
    // Enter clicks the focused button, as in a Windows dialog.
    button->setAutoDefault(true);
    return button;
}

QFrame* Bevel(QWidget* parent, int left, int top, int width)
{
    auto* line = Place(new QFrame(parent), left, top, width, 2);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

}  // namespace

TProgramme::TProgramme(std::string executablePath, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
    , m_executablePath(std::move(executablePath))
{
    setObjectName(QStringLiteral("Programme"));
    setWindowTitle(QStringLiteral("Vorlane"));
    setFont(LauncherFont(8));
    setFixedSize(397, 481);
    CreateControls();
    SetTabOrder();
    ConnectHandlers();
    btnLancer->setFocus();
}

TProgramme::~TProgramme()
{
    qApp->removeEventFilter(this);
}

void TProgramme::CreateControls()
{
    if (QStyle* classic = QStyleFactory::create(QStringLiteral("Windows"))) {
        classic->setObjectName(QStringLiteral("ClassicGroupBoxes"));
        classic->setParent(this);
    }
    gbLogo = GroupBox(this, QString(), 0, 0, 397, 77);
    imgLogoQRV = Place(new QLabel(gbLogo), 8, 12, 180, 60);
    imgLogoQRV->setPixmap(LogoPicture());
    lblTitre = Place(new QLabel(QStringLiteral("Vorlane"), gbLogo), 200, 12, 143, 20);
    QFont titleFont = LauncherFont(12);
    titleFont.setBold(true);
    lblTitre->setFont(titleFont);
    lblTitre->setAlignment(Qt::AlignCenter);

    gbOptions = GroupBox(this, QStringLiteral(" Options "), 0, 78, 213, 337);

    gbApparencesOptions = GroupBox(gbOptions, QStringLiteral(" Apparences "), 8, 14, 197, 63);
    cBApparences = Place(new QComboBox(gbApparencesOptions), 8, 16, 181, 21);
    cBApparences->setEditable(false);
    cBApparences->setModel(&m_catalogue.Appearances());
    chkSon = Place(new QCheckBox(QStringLiteral("Effets s&onores"), gbApparencesOptions), 8, 40, 109, 17);

    gbThemesOptions = GroupBox(gbOptions, QStringLiteral(" Themes "), 8, 80, 197, 205);
    chkHazard = Place(new QCheckBox(QStringLiteral("Aléatoi&re"), gbThemesOptions), 8, 16, 177, 17);
    clbThemes = Place(new QListView(gbThemesOptions), 8, 36, 181, 145);
    clbThemes->setModel(&m_catalogue.Themes());
    clbThemes->setSelectionMode(QAbstractItemView::SingleSelection);
    clbThemes->setEditTriggers(QAbstractItemView::NoEditTriggers);
    clbThemes->setEnabled(false);
    lblImagesCount = Place(new QLabel(gbThemesOptions), 8, 184, 181, 17);

    gbMouse = GroupBox(gbOptions, QStringLiteral(" Tolérance du clic de la souris "), 8, 288, 197, 45);
    ScrBTolerance = Place(new QScrollBar(Qt::Horizontal, gbMouse), 8, 17, 109, 20);
    ScrBTolerance->setRange(5, 50);
    ScrBTolerance->setValue(5);
    ScrBTolerance->setSingleStep(1);
    ScrBTolerance->setPageStep(5);
    ScrBTolerance->setFocusPolicy(Qt::StrongFocus);  // reachable with the keyboard, as every option is
    EdTolerance = Place(new QLineEdit(QStringLiteral("5"), gbMouse), 120, 16, 37, 21);
    LblTolerance = new QLabel(QStringLiteral("pixels"), gbMouse);
    // Two pixels left of the designed 163: the desktop font is wider than the
    // one the window was drawn for, and the word must clear the frame.
    LblTolerance->move(161, 16);
    LblTolerance->setFixedHeight(21);
    LblTolerance->adjustSize();

    // The help a stuck child gets, the whole window's width under the other options.
    gbAide = GroupBox(this, QStringLiteral(" Aide à l'enfant "), 0, 416, 397, 65);
    lblAidePoint = Place(new QLabel(QStringLiteral("Aide pour trouver le point &suivant :"), gbAide), 8, 18, 200, 17);
    cBAidePoint = Place(new QComboBox(gbAide), 208, 16, 181, 21);
    cBAidePoint->addItems({QStringLiteral("jamais"), QStringLiteral("après 2 erreurs"), QStringLiteral("après 10 secondes")});
    lblAidePoint->setBuddy(cBAidePoint);
    const QString aidePoint = QStringLiteral(
        "Le point à trouver grossit et brille doucement jusqu'à ce que l'enfant le touche : "
        "le premier point de chaque dessin, puis quand l'enfant a cliqué deux fois à côté "
        "ou n'a trouvé aucun point depuis dix secondes. Les clics sont jugés comme d'habitude.");
    lblAidePoint->setToolTip(aidePoint);
    cBAidePoint->setToolTip(aidePoint);
    chkVoix = Place(new QCheckBox(QStringLiteral("&Dire les nombres et les lettres"), gbAide), 8, 41, 240, 17);
    chkVoix->setToolTip(QStringLiteral(
        "À chaque point trouvé, le jeu dit son nombre ou sa lettre, puis le nom du dessin terminé. "
        "Une famille peut y mettre sa propre voix : voir l'aide du lanceur."));

    dxDrawTest.Options = {TDXDrawOption::doAllowReboot, TDXDrawOption::doWaitVBlank,  TDXDrawOption::doCenter,
                          TDXDrawOption::doDirectX7Mode, TDXDrawOption::doHardware, TDXDrawOption::doSelectDriver};
    dxDrawTest.SurfaceWidth = 61;
    dxDrawTest.SurfaceHeight = 61;

    gbParametre = GroupBox(this, QString(), 220, 78, 177, 337);
    btnLancer = Button(gbParametre, QStringLiteral("&Lancer le programme"), 12, 12);
    btnUtilitaireImpression = Button(gbParametre, QStringLiteral("Gestion des &impressions"), 12, 48);
    Bevel1 = Bevel(gbParametre, 8, 84, 161);
    btnAPropos = Button(gbParametre, QStringLiteral("&A propos de..."), 12, 96);
    btnAideProgramme = Button(gbParametre, QStringLiteral("Aide du &programme"), 12, 132);
    Bevel2 = Bevel(gbParametre, 8, 168, 161);
    Bevel3 = Bevel(gbParametre, 8, 288, 161);
    btnQuitter = Button(gbParametre, QStringLiteral("&Quitter"), 12, 300);
}

// The buttons first, then the options: appearance, themes (the list before
// its random-order box), tolerance, the child's help.
void TProgramme::SetTabOrder()
{
    QWidget* const order[] = {btnLancer,   btnUtilitaireImpression, btnAPropos, btnAideProgramme, btnQuitter,
                              cBApparences, chkSon, clbThemes, chkHazard, ScrBTolerance, EdTolerance,
                              cBAidePoint, chkVoix};
    for (std::size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void TProgramme::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_centred)
        return;
    m_centred = true;
    CentreOnScreen(*this);
}

}  // namespace vorlane
