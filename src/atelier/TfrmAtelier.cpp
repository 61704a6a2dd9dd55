#include "atelier/TfrmAtelier.h"

#include "app/CentreOnScreen.h"
#include "app/TApplication.h"
#include "app/WaitCursor.h"
#include "atelier/AtelierChange.h"
#include "atelier/DotEditor.h"
#include "atelier/ReopenDialog.h"
#include "authoring/DotStyle.h"
#include "authoring/PageRules.h"
#include "authoring/ThemeWriter.h"
#include "base/Errors.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QShortcut>
#include <QSlider>
#include <QSpinBox>
#include <QTimer>

#include <cmath>
#include <filesystem>

namespace vorlane {
namespace {

const QString kConseil = QStringLiteral(
    "Glissez un point pour le déplacer. Double-cliquez sur le contour pour ajouter un point ; "
    "clic droit ou touche Suppr pour en retirer un.");
const QString kConseilColorier =
    QStringLiteral("Le dessin que l'enfant coloriera. Revenez à « Image avec les points » pour changer les points.");
const QString kConseilGomme = QStringLiteral(
    "Gomme : cliquez sur un trait pour l'effacer, ou frottez pour en gommer un morceau (le contour se gomme "
    "par petits morceaux). Ctrl+Z le remet.");

// A file name as a picture name: "emperor_penguin-01" gives "Emperor penguin".
QString PictureName(const QString& fileName)
{
    QString name = fileName;
    name.replace(QRegularExpression(QStringLiteral("[_\\-.]+")), QStringLiteral(" "));
    name.remove(QRegularExpression(QStringLiteral("(\\s+\\d+)+$")));
    name = name.simplified();
    if (!name.isEmpty())
        name[0] = name[0].toUpper();
    return name.isEmpty() ? fileName : name;
}

// The child's line colours on offer: bright, and never black, which bounds
// the regions to colour.
struct LineColour {
    const char* name;
    QColor colour;
};
const LineColour kLineColours[] = {
    {"Bleu", QColor(0x15, 0x65, 0xC0)},   {"Rouge", QColor(0xD3, 0x2F, 0x2F)},  {"Vert", QColor(0x2E, 0x7D, 0x32)},
    {"Orange", QColor(0xEF, 0x6C, 0x00)}, {"Violet", QColor(0x7B, 0x1F, 0xA2)}, {"Rose", QColor(0xD8, 0x1B, 0x60)},
    {"Marron", QColor(0x6D, 0x4C, 0x41)},
};

// How far from the outline a double-click still adds a dot on it.
constexpr double kAddReach = 15.0;

template <class Control>
Control* Place(Control* control, int left, int top, int width, int height)
{
    control->setGeometry(left, top, width, height);
    return control;
}

QPushButton* Button(QWidget* parent, const QString& caption, int left, int top, int width)
{
    auto* button = Place(new QPushButton(caption, parent), left, top, width, 29);
    button->setAutoDefault(false);
    return button;
}

QLabel* Label(QWidget* parent, const QString& text, int left, int top, int width)
{
    return Place(new QLabel(text, parent), left, top, width, 22);
}

QIcon Swatch(const QColor& colour)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(colour);
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    painter.drawRect(0, 0, 15, 15);
    return QIcon(pixmap);
}

bool Letters(LabelStyle style)
{
    return style == LabelStyle::UpperLetters || style == LabelStyle::LowerLetters;
}

// What the labels count by: counting by 5 naturally starts at 5.
int Step(LabelStyle style)
{
    switch (style) {
    case LabelStyle::ByTwo:
        return 2;
    case LabelStyle::ByFive:
        return 5;
    case LabelStyle::ByTen:
        return 10;
    case LabelStyle::Numbers:
    case LabelStyle::UpperLetters:
    case LabelStyle::LowerLetters:
        break;
    }
    return 1;
}

// Where a dot added at `position` goes in the order: into the stretch of the
// child's line that passes nearest to it.
std::size_t InsertionPlace(const std::vector<Dot>& dots, QPoint position)
{
    std::size_t best = dots.size();
    double bestDistance = 1e18;
    for (std::size_t i = 0; i < dots.size(); ++i) {
        const double distance = PageRules::SegmentDistance(position, dots[i].position, dots[(i + 1) % dots.size()].position);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i + 1;
        }
    }
    return best;
}

std::string Bytes(const QString& text)
{
    return QFile::encodeName(text).toStdString();
}

QString Text(const std::string& bytes)
{
    return QFile::decodeName(QByteArray::fromStdString(bytes));
}

void Inform(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::Information, QStringLiteral("Vorlane"), text, QMessageBox::Ok, parent);
    box.exec();
}

}  // namespace

TfrmAtelier::TfrmAtelier(ContentPlaces places, const QString& theme, QWidget* parent)
    : QWidget(parent, Qt::Window), m_places(std::move(places))
{
    setObjectName(QStringLiteral("frmAtelier"));
    setWindowTitle(QStringLiteral("Vorlane - Atelier de dessins"));
    QFont smallFont = font();
    smallFont.setPointSize(9);
    setFont(smallFont);
    setFixedSize(1000, 690);
    setAcceptDrops(true);
    CreateControls();
    ConnectHandlers();
    FillThemes();
    // Named on the command line, a shared theme is not taken: the parent learns
    // why before any work rather than after it.
    if (m_places.IsSharedTheme(Bytes(theme)))
        QTimer::singleShot(0, this, [this, why = Text(ThemeNameRefusal(m_places, Bytes(theme)))] { Inform(this, why); });
    else if (!theme.isEmpty())
        cBTheme->setCurrentText(theme);
    ShowSaveChoice();
    Show(m_state);
    btnOuvrir->setFocus();
}

void TfrmAtelier::CreateControls()
{
    gbDessin = Place(new QGroupBox(QStringLiteral(" Dessin "), this), 0, 0, 268, 124);
    btnOuvrir = Button(gbDessin, QStringLiteral("&Ouvrir un dessin…"), 10, 22, 248);
    btnRouvrir = Button(gbDessin, QStringLiteral("&Rouvrir un dessin"), 10, 56, 248);
    lblDepot = Place(new QLabel(QStringLiteral("ou déposez un dessin sur l'aperçu, ou collez une image (Ctrl+V)."),
                                gbDessin),
                     10, 88, 248, 32);
    lblDepot->setWordWrap(true);

    gbPoints = Place(new QGroupBox(QStringLiteral(" Points à relier "), this), 0, 128, 268, 300);
    lblNombre = Label(gbPoints, QString(), 10, 22, 248);
    ScrBNombre = Place(new QSlider(Qt::Horizontal, gbPoints), 10, 44, 248, 24);
    ScrBNombre->setRange(kFewestDots, kMostDots);
    ScrBNombre->setPageStep(5);
    ScrBNombre->setTickPosition(QSlider::TicksBelow);
    ScrBNombre->setTickInterval(5);
    Label(gbPoints, QStringLiteral("Numéros :"), 10, 78, 100);
    cBNumeros = Place(new QComboBox(gbPoints), 110, 78, 148, 24);
    cBNumeros->addItems({QStringLiteral("1 2 3 …"), QStringLiteral("A B C …"), QStringLiteral("a b c …"),
                         QStringLiteral("de 2 en 2"), QStringLiteral("de 5 en 5"), QStringLiteral("de 10 en 10")});
    Label(gbPoints, QStringLiteral("Premier numéro :"), 10, 110, 140);
    EdPremierNumero = Place(new QSpinBox(gbPoints), 170, 110, 88, 24);
    EdPremierNumero->setRange(0, 999);
    Label(gbPoints, QStringLiteral("Sens :"), 10, 142, 100);
    rbHoraire = Place(new QRadioButton(QStringLiteral("comme les aiguilles d'une montre"), gbPoints), 24, 164, 234, 22);
    rbAntiHoraire = Place(new QRadioButton(QStringLiteral("dans l'autre sens"), gbPoints), 24, 186, 234, 22);
    btnPremierPoint = Button(gbPoints, QStringLiteral("Commencer par le point &choisi"), 10, 214, 248);
    Label(gbPoints, QStringLiteral("Trait de l'enfant :"), 10, 254, 140);
    cBCouleur = Place(new QComboBox(gbPoints), 150, 254, 108, 24);
    for (const LineColour& colour : kLineColours)
        cBCouleur->addItem(Swatch(colour.colour), QString::fromUtf8(colour.name), colour.colour);

    btnAnnuler = Button(this, QStringLiteral("&Annuler"), 0, 434, 131);
    btnRetablir = Button(this, QStringLiteral("Réta&blir"), 137, 434, 131);

    gbTheme = Place(new QGroupBox(QStringLiteral(" Ajouter au jeu "), this), 0, 470, 268, 140);
    Label(gbTheme, QStringLiteral("Thème :"), 10, 22, 60);
    cBTheme = Place(new QComboBox(gbTheme), 70, 22, 188, 24);
    cBTheme->setEditable(true);
    cBTheme->setInsertPolicy(QComboBox::NoInsert);
    cBTheme->lineEdit()->setPlaceholderText(QStringLiteral("choisir ou taper un nom"));
    Label(gbTheme, QStringLiteral("Nom :"), 10, 52, 60);
    EdNom = Place(new QLineEdit(gbTheme), 70, 52, 188, 24);
    EdNom->setPlaceholderText(QStringLiteral("le nom de l'image"));
    EdNom->setMaxLength(60);
    EdNom->setToolTip(QStringLiteral("Le nom de l'image (« vache ») : le jeu le dit quand le dessin est fini,\n"
                                     "la gestion des impressions l'affiche et l'écrit sous l'image imprimée."));
    chkRemplacer = Place(new QCheckBox(gbTheme), 10, 80, 248, 22);
    btnAjouter = Button(gbTheme, QStringLiteral("Ajouter au &thème"), 10, 104, 248);

    btnAide = Button(this, QStringLiteral("Ai&de"), 0, 660, 131);
    btnFermer = Button(this, QStringLiteral("&Fermer"), 137, 660, 131);

    gbApercu = Place(new QGroupBox(QStringLiteral(" Aperçu "), this), 276, 0, 724, 690);
    rbPoints = Place(new QRadioButton(QStringLiteral("Image avec les &points"), gbApercu), 10, 20, 180, 22);
    rbColorier = Place(new QRadioButton(QStringLiteral("Image à &colorier"), gbApercu), 195, 20, 150, 22);
    rbPoints->setChecked(true);
    chkTrait = Place(new QCheckBox(QStringLiteral("&Voir le trait de l'enfant"), gbApercu), 350, 20, 210, 22);
    chkTrait->setToolTip(QStringLiteral("Le trait que l'enfant tracera en reliant les points, du premier au dernier."));
    btnGomme = Place(new QPushButton(QStringLiteral("&Gomme"), gbApercu), 594, 16, 120, 28);
    btnGomme->setAutoDefault(false);
    btnGomme->setCheckable(true);
    btnGomme->setToolTip(QStringLiteral("Effacer un trait de la page affichée : hachures, ombres, traits en trop.\n"
                                        "Un clic sur un trait l'efface en entier, frotter en gomme un morceau ;\n"
                                        "le contour se gomme par petits morceaux. Ctrl+Z le remet."));
    auto* frame = Place(new QFrame(gbApercu), 8, 46, 708, 564);
    frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Editor = Place(new DotEditor(gbApercu), 10, 48, kPictureSize.width(), kPictureSize.height());
    Editor->SetInvitation(QStringLiteral("Déposez un dessin ici,\nou cliquez sur « Ouvrir un dessin… »,\n"
                                         "ou collez une image avec Ctrl+V."));
    lblQualite = Place(new QLabel(gbApercu), 10, 614, 704, 42);
    lblQualite->setWordWrap(true);
    lblQualite->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QFont bold = lblQualite->font();
    bold.setBold(true);
    lblQualite->setFont(bold);
    lblConseil = Place(new QLabel(kConseil, gbApercu), 10, 658, 704, 26);
    lblConseil->setWordWrap(true);
}

void TfrmAtelier::ConnectHandlers()
{
    const auto on = [this](void (TfrmAtelier::*handler)()) { return TApplication::Handler(this, handler); };
    connect(btnOuvrir, &QPushButton::clicked, this, on(&TfrmAtelier::btnOuvrirClick));
    connect(btnRouvrir, &QPushButton::clicked, this, on(&TfrmAtelier::btnRouvrirClick));
    connect(ScrBNombre, &QSlider::valueChanged, this, on(&TfrmAtelier::ScrBNombreChange));
    connect(cBNumeros, &QComboBox::currentIndexChanged, this, on(&TfrmAtelier::cBNumerosChange));
    connect(EdPremierNumero, &QSpinBox::valueChanged, this, on(&TfrmAtelier::EdPremierNumeroChange));
    connect(rbHoraire, &QRadioButton::clicked, this, on(&TfrmAtelier::rbSensClick));
    connect(rbAntiHoraire, &QRadioButton::clicked, this, on(&TfrmAtelier::rbSensClick));
    connect(btnPremierPoint, &QPushButton::clicked, this, on(&TfrmAtelier::btnPremierPointClick));
    connect(cBCouleur, &QComboBox::currentIndexChanged, this, on(&TfrmAtelier::cBCouleurChange));
    connect(rbPoints, &QRadioButton::toggled, this, on(&TfrmAtelier::rbVueClick));
    connect(chkTrait, &QCheckBox::toggled, this, on(&TfrmAtelier::rbVueClick));
    connect(btnGomme, &QPushButton::toggled, this, on(&TfrmAtelier::btnGommeClick));
    connect(btnAjouter, &QPushButton::clicked, this, on(&TfrmAtelier::btnAjouterClick));
    connect(btnAnnuler, &QPushButton::clicked, &m_undo, &QUndoStack::undo);
    connect(btnRetablir, &QPushButton::clicked, &m_undo, &QUndoStack::redo);
    connect(&m_undo, &QUndoStack::canUndoChanged, btnAnnuler, &QPushButton::setEnabled);
    connect(&m_undo, &QUndoStack::canRedoChanged, btnRetablir, &QPushButton::setEnabled);
    btnAnnuler->setEnabled(false);
    btnRetablir->setEnabled(false);
    // The step each button would take back or again, under the pointer.
    connect(&m_undo, &QUndoStack::undoTextChanged, btnAnnuler,
            [this](const QString& text) { btnAnnuler->setToolTip(QStringLiteral("Annuler : %1 (Ctrl+Z)").arg(text)); });
    connect(&m_undo, &QUndoStack::redoTextChanged, btnRetablir, [this](const QString& text) {
        btnRetablir->setToolTip(QStringLiteral("Rétablir : %1 (Ctrl+Y)").arg(text));
    });
    connect(btnAide, &QPushButton::clicked, this, [] { TApplication::HelpContents(); });
    connect(btnFermer, &QPushButton::clicked, this, &QWidget::close);
    connect(cBTheme, &QComboBox::currentTextChanged, this, &TfrmAtelier::ShowSaveChoice);
    connect(chkRemplacer, &QCheckBox::toggled, this, &TfrmAtelier::ShowSaveChoice);

    connect(Editor, &DotEditor::dotDragged, this, [this](int index, QPoint position) {
        TApplication::Guarded([&] { EditorDotDragged(index, position); });
    });
    connect(Editor, &DotEditor::dotMoved, this, [this](int index, QPoint position) {
        TApplication::Guarded([&] { EditorDotMoved(index, position); });
    });
    connect(Editor, &DotEditor::addRequested, this,
            [this](QPoint position) { TApplication::Guarded([&] { EditorAddRequested(position); }); });
    connect(Editor, &DotEditor::removeRequested, this,
            [this](int index) { TApplication::Guarded([&] { EditorRemoveRequested(index); }); });
    connect(Editor, &DotEditor::eraseRequested, this, [this](const std::vector<QPoint>& path) {
        TApplication::Guarded([&] { EditorEraseRequested(path); });
    });
    connect(Editor, &DotEditor::selectionChanged, this,
            [this](int index) { btnPremierPoint->setEnabled(index > 0); });

    // Ctrl+V in the name boxes pastes text there: those boxes take it first.
    connect(new QShortcut(QKeySequence::Paste, this), &QShortcut::activated, this, on(&TfrmAtelier::Paste));
    connect(new QShortcut(QKeySequence::Undo, this), &QShortcut::activated, &m_undo, &QUndoStack::undo);
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y), this), &QShortcut::activated, &m_undo,
            &QUndoStack::redo);
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), this), &QShortcut::activated, &m_undo,
            &QUndoStack::redo);
    connect(new QShortcut(Qt::Key_F1, this), &QShortcut::activated, this, [] { TApplication::HelpContents(); });
}

void TfrmAtelier::FillThemes()
{
    QStringList names;
    for (const std::string& name : ThemeNames(m_places))
        names << Text(name);
    QStringList shown;
    for (int i = 0; i < cBTheme->count(); ++i)
        shown << cBTheme->itemText(i);
    if (names == shown)
        return;
    const QString current = cBTheme->currentText();
    cBTheme->clear();
    cBTheme->addItems(names);
    cBTheme->setCurrentText(current);
}

// Work not yet in a theme is not thrown away without a word.
void TfrmAtelier::closeEvent(QCloseEvent* event)
{
    if (m_state.drawing == nullptr || m_undo.isClean()) {
        event->accept();
        return;
    }
    QMessageBox box(QMessageBox::Question, QStringLiteral("Vorlane"),
                    QStringLiteral("Ce dessin n'a pas été ajouté à un thème depuis ses derniers changements.\n"
                                   "Fermer l'atelier quand même ?"),
                    QMessageBox::Yes | QMessageBox::No, this);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("Oui"));
    box.button(QMessageBox::No)->setText(QStringLiteral("Non"));
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    if (box.exec() == QMessageBox::Yes)
        event->accept();
    else
        event->ignore();
}

void TfrmAtelier::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_placed)
        return;
    m_placed = true;
    CentreOnScreen(*this);
}

// ---- State and undo ----------------------------------------------------

void TfrmAtelier::Change(const QString& text, AtelierState after, AtelierChange::Kind kind)
{
    m_undo.push(new AtelierChange(text, kind, m_state, std::move(after),
                                  [this](const AtelierState& state) { Show(state); }));
}

void TfrmAtelier::Show(const AtelierState& state)
{
    m_state = state;
    ShowControls(m_state.options);
    Redraw(m_state.dots);
    ShowVerdict();
}

void TfrmAtelier::ShowControls(const DotOptions& options)
{
    m_showing = true;
    const bool open = m_state.drawing != nullptr;
    for (QWidget* control : std::initializer_list<QWidget*>{gbPoints, gbTheme, rbPoints, rbColorier, btnGomme})
        control->setEnabled(open);
    chkTrait->setEnabled(open && rbPoints->isChecked());
    ScrBNombre->setMaximum(Letters(options.style) ? kMostLetterDots : kMostDots);
    ScrBNombre->setValue(open ? static_cast<int>(m_state.dots.size()) : options.count);
    lblNombre->setText(QStringLiteral("Nombre de points : %1").arg(ScrBNombre->value()));
    cBNumeros->setCurrentIndex(static_cast<int>(options.style));
    EdPremierNumero->setValue(options.firstNumber);
    EdPremierNumero->setEnabled(!Letters(options.style));
    (options.direction == Direction::Clockwise ? rbHoraire : rbAntiHoraire)->setChecked(true);
    int colour = cBCouleur->findData(options.lineColour);
    if (colour < 0) {
        cBCouleur->addItem(Swatch(options.lineColour), QStringLiteral("Autre"), options.lineColour);
        colour = cBCouleur->count() - 1;
    }
    cBCouleur->setCurrentIndex(colour);
    btnPremierPoint->setEnabled(open && Editor->Selected() > 0);
    m_showing = false;
}

void TfrmAtelier::Redraw(const std::vector<Dot>& dots)
{
    if (m_state.drawing == nullptr) {
        m_dotsPicture = QImage();
        Editor->SetPicture(QImage());
        Editor->SetDots({});
        return;
    }
    const JudgedDots* judged = Judged(dots);
    m_dotsPicture = judged != nullptr ? judged->dotsPicture : DrawDotsPicture(*m_state.drawing, dots, m_state.options);
    m_childsLine = chkTrait->isChecked() ? WithChildsLine(m_dotsPicture, dots, m_state.options) : QImage();
    Editor->SetPicture(ShownPicture());
    std::vector<QPoint> positions;
    positions.reserve(dots.size());
    for (const Dot& dot : dots)
        positions.push_back(dot.position);
    Editor->SetDots(std::move(positions));
}

std::vector<Dot> TfrmAtelier::PlaceJudged(const AtelierState& after)
{
    m_judged = JudgedDots::Place(*after.drawing, after.options);
    m_judgedFor = after;
    m_judgedFor.dots = m_judged.dots;
    return m_judged.dots;
}

const JudgedDots* TfrmAtelier::Judged(const std::vector<Dot>& dots) const
{
    const bool same = m_judgedFor.drawing != nullptr && m_judgedFor.drawing == m_state.drawing &&
                      m_judgedFor.options == m_state.options && m_judgedFor.dots == dots;
    return same ? &m_judged : nullptr;
}

QImage TfrmAtelier::ShownPicture() const
{
    if (m_state.drawing == nullptr)
        return {};
    if (!rbPoints->isChecked())
        return m_state.drawing->PictureToColour();
    return m_childsLine.isNull() ? m_dotsPicture : m_childsLine;
}

void TfrmAtelier::Tell(const QString& text)
{
    lblConseil->setText(QStringLiteral("<b>%1</b>").arg(text.toHtmlEscaped()));
    QTimer::singleShot(4000, lblConseil, [this] { lblConseil->setText(Conseil()); });
}

QString TfrmAtelier::Conseil() const
{
    return btnGomme->isChecked() ? kConseilGomme : rbPoints->isChecked() ? kConseil : kConseilColorier;
}

// ---- Opening -----------------------------------------------------------

void TfrmAtelier::Open(TracedDrawing drawing, const QString& name)
{
    AtelierState after = m_state;
    after.drawing = std::make_shared<const TracedDrawing>(std::move(drawing));
    after.options.firstDot.reset();
    // The fewest dots the drawing needs: the youngest child it can suit.
    after.proposedCount = JudgedDots::ProposedCount(*after.drawing, after.options);
    after.options.count = after.proposedCount;
    after.dots = PlaceJudged(after);
    Editor->Select(-1);
    const int proposed = after.proposedCount;
    Change(QStringLiteral("Ouvrir un dessin"), std::move(after));
    Tell(QStringLiteral("%1 points conseillés pour ce dessin : dès %2 ans. Plus de points pour les plus grands.")
             .arg(proposed)
             .arg(YoungestAgeFor(static_cast<std::size_t>(proposed))));
    // A pasted image has no name: the box is left for the parent to fill.
    EdNom->setText(name);
    EdNom->setCursorPosition(0);
    // A new drawing is a new picture: nothing to replace.
    m_savedPicture = 0;
    ShowSaveChoice();
}

void TfrmAtelier::OpenFile(const QString& path)
{
    const WaitCursor waiting;
    Open(TracedDrawing::FromFile(path), PictureName(QFileInfo(path).completeBaseName()));
    m_lastFolder = QFileInfo(path).absolutePath();
}

void TfrmAtelier::OpenImage(const QImage& image, const QString& name)
{
    const WaitCursor waiting;
    Open(TracedDrawing::FromImage(image), name);
}

// A file dropped or copied from a file manager, an image copied from a web
// browser or a drawing program, or the text of an SVG drawing.
void TfrmAtelier::OpenMimeData(const QMimeData& data)
{
    if (data.hasUrls()) {
        for (const QUrl& url : data.urls()) {
            if (url.isLocalFile()) {
                OpenFile(url.toLocalFile());
                return;
            }
        }
    }
    if (data.hasImage()) {
        OpenImage(qvariant_cast<QImage>(data.imageData()), QString());
        return;
    }
    if (data.hasFormat(QStringLiteral("image/svg+xml"))) {
        const WaitCursor waiting;
        Open(TracedDrawing::FromBytes(data.data(QStringLiteral("image/svg+xml")), QStringLiteral("svg")), QString());
        return;
    }
    // An image dragged out of a web browser comes as its address alone.
    if (data.hasUrls())
        throw EVorlaneError("Cette image est sur Internet : copiez-la dans le navigateur (clic droit, "
                            "« Copier l'image »), puis collez-la ici avec Ctrl+V.");
    // The text of an SVG drawing, copied from an editor.
    if (data.hasText() && data.text().contains(QStringLiteral("<svg"))) {
        const WaitCursor waiting;
        Open(TracedDrawing::FromBytes(data.text().toUtf8(), QStringLiteral("svg")), QString());
        return;
    }
    throw EVorlaneError("Ceci n'est pas une image. Copiez un dessin (par exemple avec un clic droit sur une image, "
                        "puis « Copier l'image ») et recommencez.");
}

void TfrmAtelier::Paste()
{
    const QMimeData* data = QApplication::clipboard()->mimeData();
    if (data == nullptr)
        throw EVorlaneError("Le presse-papiers est vide : copiez d'abord un dessin.");
    OpenMimeData(*data);
}

void TfrmAtelier::dragEnterEvent(QDragEnterEvent* event)
{
    const QMimeData* data = event->mimeData();
    if (data->hasUrls() || data->hasImage() || data->hasFormat(QStringLiteral("image/svg+xml")))
        event->acceptProposedAction();
}

void TfrmAtelier::dropEvent(QDropEvent* event)
{
    event->acceptProposedAction();
    TApplication::Guarded([this, event] { OpenMimeData(*event->mimeData()); });
}

void TfrmAtelier::btnOuvrirClick()
{
    QFileDialog dialog(this, QStringLiteral("Ouvrir un dessin"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    // Where a family's drawings are: the pictures folder, then the last one used.
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    dialog.setDirectory(!m_lastFolder.isEmpty() ? m_lastFolder
                        : QFileInfo(pictures).isDir() ? pictures
                                                      : QDir::homePath());
    dialog.setNameFilters({QStringLiteral("Dessins (*.svg *.png *.jpg *.jpeg *.bmp *.gif *.webp)"),
                           QStringLiteral("Tous les fichiers (*)")});
    // Qt's own dialog speaks English unless told: its captions in French.
    dialog.setLabelText(QFileDialog::LookIn, QStringLiteral("Dossier :"));
    dialog.setLabelText(QFileDialog::FileName, QStringLiteral("Nom du fichier :"));
    dialog.setLabelText(QFileDialog::FileType, QStringLiteral("Type :"));
    dialog.setLabelText(QFileDialog::Accept, QStringLiteral("Ouvrir"));
    dialog.setLabelText(QFileDialog::Reject, QStringLiteral("Annuler"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    OpenFile(dialog.selectedFiles().front());
}

void TfrmAtelier::btnRouvrirClick()
{
    ReopenDialog dialog(m_places, Bytes(cBTheme->currentText().trimmed()), this);
    if (!dialog.HasPictures()) {
        Inform(this, QStringLiteral("Aucun dessin fait dans l'atelier n'a encore été ajouté à un thème."));
        return;
    }
    if (dialog.exec() == QDialog::Accepted)
        Reopen(dialog.Theme(), dialog.Picture());
}

void TfrmAtelier::Reopen(const std::string& theme, int picture)
{
    ReopenedPicture reopened = ReopenPicture(m_places, theme, picture);
    AtelierState after{std::make_shared<const TracedDrawing>(std::move(reopened.drawing)), std::move(reopened.dots),
                       reopened.options};
    Editor->Select(-1);
    Change(QStringLiteral("Rouvrir un dessin"), std::move(after));
    cBTheme->setCurrentText(Text(theme));
    EdNom->setText(QString::fromStdString(reopened.pictureName));
    m_savedTheme = theme;
    m_savedPicture = picture;
    chkRemplacer->setChecked(true);
    ShowSaveChoice();
    m_undo.setClean();
}

// ---- The options -------------------------------------------------------

void TfrmAtelier::ScrBNombreChange()
{
    lblNombre->setText(QStringLiteral("Nombre de points : %1").arg(ScrBNombre->value()));
    if (m_showing || m_state.drawing == nullptr)
        return;
    AtelierState after = m_state;
    after.options.count = ScrBNombre->value();
    after.dots = PlaceJudged(after);
    Change(QStringLiteral("Nombre de points"), std::move(after), AtelierChange::Kind::Count);
}

void TfrmAtelier::cBNumerosChange()
{
    if (m_showing || m_state.drawing == nullptr)
        return;
    AtelierState after = m_state;
    after.options.style = static_cast<LabelStyle>(cBNumeros->currentIndex());
    // A first number the parent left as it came follows the new count.
    if (after.options.firstNumber == Step(m_state.options.style))
        after.options.firstNumber = Step(after.options.style);
    if (Letters(after.options.style) && after.dots.size() > static_cast<std::size_t>(kMostLetterDots)) {
        after.options.count = kMostLetterDots;
        after.dots = PlaceJudged(after);
    }
    Change(QStringLiteral("Numéros"), std::move(after));
}

void TfrmAtelier::EdPremierNumeroChange()
{
    if (m_showing || m_state.drawing == nullptr)
        return;
    AtelierState after = m_state;
    after.options.firstNumber = EdPremierNumero->value();
    Change(QStringLiteral("Premier numéro"), std::move(after));
}

void TfrmAtelier::rbSensClick()
{
    if (m_showing || m_state.drawing == nullptr)
        return;
    AtelierState after = m_state;
    after.options.direction = rbHoraire->isChecked() ? Direction::Clockwise : Direction::Anticlockwise;
    if (after.options.direction == m_state.options.direction)
        return;
    after.options.firstDot = after.dots.front().position;
    after.dots = OrderDots(std::move(after.dots), after.options);
    Editor->Select(-1);
    Change(QStringLiteral("Sens"), std::move(after));
}

void TfrmAtelier::btnPremierPointClick()
{
    const int selected = Editor->Selected();
    if (m_state.drawing == nullptr || selected < 0 || selected >= static_cast<int>(m_state.dots.size())) {
        Tell(QStringLiteral("Cliquez d'abord sur le point par lequel l'enfant doit commencer."));
        return;
    }
    AtelierState after = m_state;
    after.options.firstDot = after.dots[static_cast<std::size_t>(selected)].position;
    after.dots = OrderDots(std::move(after.dots), after.options);
    Editor->Select(0);
    Change(QStringLiteral("Premier point"), std::move(after));
}

void TfrmAtelier::cBCouleurChange()
{
    if (m_showing || m_state.drawing == nullptr)
        return;
    AtelierState after = m_state;
    after.options.lineColour = cBCouleur->currentData().value<QColor>();
    Change(QStringLiteral("Couleur du trait"), std::move(after));
}

void TfrmAtelier::rbVueClick()
{
    Editor->SetEditable(rbPoints->isChecked());
    chkTrait->setEnabled(m_state.drawing != nullptr && rbPoints->isChecked());
    lblConseil->setText(Conseil());
    Redraw(m_state.dots);
    ShowMarks();
}

void TfrmAtelier::btnGommeClick()
{
    Editor->SetErasing(btnGomme->isChecked());
    lblConseil->setText(Conseil());
}

// ---- Dots by hand ------------------------------------------------------

void TfrmAtelier::EditorDotDragged(int index, QPoint position)
{
    std::vector<Dot> dots = m_state.dots;
    dots.at(static_cast<std::size_t>(index)).position = position;
    Redraw(dots);
}

// A dot let go goes to the nearest point of the outline: the line the child
// draws then follows the drawing.
void TfrmAtelier::EditorDotMoved(int index, QPoint position)
{
    AtelierState after = m_state;
    Dot& dot = after.dots.at(static_cast<std::size_t>(index));
    dot.position = NearestOutlinePoint(*after.drawing, position);
    dot.corner = false;
    if (index == 0 && after.options.firstDot)
        after.options.firstDot = dot.position;
    Change(QStringLiteral("Déplacer un point"), std::move(after));
}

void TfrmAtelier::EditorAddRequested(QPoint position)
{
    const QPoint onOutline = NearestOutlinePoint(*m_state.drawing, position);
    if (std::hypot(onOutline.x() - position.x(), onOutline.y() - position.y()) > kAddReach) {
        Tell(QStringLiteral("Double-cliquez sur le contour du dessin pour y ajouter un point."));
        return;
    }
    const int most = Letters(m_state.options.style) ? kMostLetterDots : kMostDots;
    if (static_cast<int>(m_state.dots.size()) >= most) {
        Tell(QStringLiteral("Un dessin a au plus %1 points.").arg(most));
        return;
    }
    AtelierState after = m_state;
    const std::size_t place = InsertionPlace(after.dots, onOutline);
    after.dots.insert(after.dots.begin() + static_cast<std::ptrdiff_t>(place), Dot{onOutline, false});
    after.options.count = static_cast<int>(after.dots.size());
    Editor->Select(static_cast<int>(place));
    Change(QStringLiteral("Ajouter un point"), std::move(after));
}

void TfrmAtelier::EditorRemoveRequested(int index)
{
    if (static_cast<int>(m_state.dots.size()) <= kFewestDots) {
        Tell(QStringLiteral("Un dessin a au moins %1 points.").arg(kFewestDots));
        return;
    }
    AtelierState after = m_state;
    after.dots.erase(after.dots.begin() + index);
    after.options.count = static_cast<int>(after.dots.size());
    Editor->Select(-1);
    Change(QStringLiteral("Retirer un point"), std::move(after));
}

// A stroke rubbed out of the page shown: a drawing of its own, so that undo
// brings the stroke back with the drawing before it.
void TfrmAtelier::EditorEraseRequested(const std::vector<QPoint>& path)
{
    if (m_state.drawing == nullptr)
        return;
    std::optional<TracedDrawing> erased =
        m_state.drawing->Erased(rbPoints->isChecked() ? DrawingPage::Dots : DrawingPage::Colour, path);
    if (!erased) {
        Tell(QStringLiteral("Cliquez sur un trait, ou frottez dessus, pour le gommer."));
        return;
    }
    AtelierState after = m_state;
    after.drawing = std::make_shared<const TracedDrawing>(std::move(*erased));
    Change(QStringLiteral("Gomme"), std::move(after));
}

// ---- Into the game -----------------------------------------------------

// The picture last written or reopened is written again over itself while
// its theme is the one chosen and the box stays ticked.
bool TfrmAtelier::Replacing() const
{
    return m_savedPicture > 0 && Bytes(cBTheme->currentText().trimmed()) == m_savedTheme && chkRemplacer->isChecked();
}

void TfrmAtelier::ShowSaveChoice()
{
    const bool offered = m_savedPicture > 0 && Bytes(cBTheme->currentText().trimmed()) == m_savedTheme;
    chkRemplacer->setText(QStringLiteral("Remplacer l'image %1 de ce thème").arg(m_savedPicture));
    chkRemplacer->setVisible(offered);
}

void TfrmAtelier::btnAjouterClick()
{
    if (m_state.drawing == nullptr)
        return;
    const QString theme = cBTheme->currentText().trimmed();
    const QString name = EdNom->text().trimmed();
    if (theme.isEmpty()) {
        Inform(this, QStringLiteral("Choisissez un thème dans la liste, ou tapez le nom d'un nouveau thème."));
        cBTheme->setFocus();
        return;
    }
    if (name.isEmpty()) {
        Inform(this, QStringLiteral("Donnez un nom à l'image."));
        EdNom->setFocus();
        return;
    }
    const bool replacing = Replacing();
    // What the writer will do, not what the list showed: a theme made
    // elsewhere since the list was read is added to, not created.
    const bool newTheme = !std::filesystem::exists(m_places.UserThemePath(Bytes(theme)));
    // A shared theme cannot be changed, and a theme of the user's named like
    // one, in any letter case, would stand beside it as its twin.
    if (const std::string refusal = ThemeNameRefusal(m_places, Bytes(theme)); !refusal.empty()) {
        Inform(this, Text(refusal));
        cBTheme->setFocus();
        return;
    }
    int picture = 0;
    {
        const WaitCursor waiting;
        picture = AddPictureToTheme(m_places, Bytes(theme), name.toStdString(), *m_state.drawing, m_state.dots,
                                    m_state.options, replacing ? m_savedPicture : 0);
    }
    m_savedTheme = Bytes(theme);
    m_savedPicture = picture;
    m_undo.setClean();
    FillThemes();
    cBTheme->setCurrentText(theme);
    chkRemplacer->setChecked(true);
    ShowSaveChoice();
    Inform(this, replacing ? QStringLiteral("L'image %1 du thème « %2 » est remplacée par « %3 ».")
                                 .arg(picture)
                                 .arg(theme, name)
                 : newTheme ? QStringLiteral("Le thème « %1 » est créé, avec « %2 » pour première image.\n"
                                             "Il n'est pas encore coché : cochez-le dans la liste des thèmes "
                                             "de la fenêtre de lancement de Vorlane pour y jouer.")
                                  .arg(theme, name)
                            : QStringLiteral("« %1 » est maintenant l'image %2 du thème « %3 ».")
                                  .arg(name)
                                  .arg(picture)
                                  .arg(theme));
}

}  // namespace vorlane
