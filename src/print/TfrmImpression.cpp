#include "print/TfrmImpression.h"

#include "app/MakeButton.h"
#include "app/TApplication.h"
#include "content/ContentCatalogue.h"
#include "content/ContentPlaces.h"
#include "content/DisplayString.h"
#include "content/IniFile.h"
#include "content/PlayList.h"
#include "content/ThemeDat.h"
#include "print/BookletDialog.h"
#include "print/PictureName.h"
#include "print/PicturePreview.h"
#include "print/PrintStore.h"
#include "print/StoreFiles.h"
#include "print/SystemPrinter.h"

#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTreeWidget>

#include <algorithm>
#include <functional>
#include <vector>

namespace vorlane {
namespace {

// Theme nodes keep their folder name as bytes: the text shown may have been
// decoded from Latin-1 and would not name the folder again.
constexpr int kFolderNameRole = Qt::UserRole;
// Picture nodes keep their section ("Image07"): their text is the picture's name.
constexpr int kSectionRole = Qt::UserRole + 1;

// The three columns of the preview group, left to right.
constexpr int kColumnLeft[] = {8, 224, 436};
constexpr int kPreviewLeft[] = {12, 229, 441};

// The same words under each column, each button with a letter of its own
// for Alt: P, I and U print, S and R remove.
const QString kPrintCaptions[] = {QStringLiteral("Im&primer l'image ci-dessus"),
                                  QStringLiteral("&Imprimer l'image ci-dessus"),
                                  QStringLiteral("Imprimer l'image ci-dess&us")};
const QString kClearCaptions[] = {QStringLiteral("&Supprimer du gestionnaire"),
                                  QStringLiteral("Supprimer du gestionnai&re")};
// The picture to colour is there once completed; the coloured picture, once coloured.
const QString kAlertText = QStringLiteral("Cette image sera disponible lorsque vous l'aurez complétée dans le jeu.");
const QString kColouredAlertText =
    QStringLiteral("Cette image sera disponible lorsque vous l'aurez coloriée dans le jeu.");
const QString kHintText = QStringLiteral(
    "En cliquant sur ce bouton, vous pourrez imprimer cette image uniquement après l'avoir complétée dans le jeu.");
const QString kColouredHintText = QStringLiteral(
    "En cliquant sur ce bouton, vous pourrez imprimer cette image uniquement après l'avoir coloriée dans le jeu.");

QFrame* MakeFrame(QWidget* parent, const QRect& geometry, QFrame::Shadow shadow)
{
    auto* frame = new QFrame(parent);
    frame->setFrameStyle(QFrame::Panel | shadow);
    frame->setGeometry(geometry);
    return frame;
}

bool TextFits(const QLabel* label, const QFont& font)
{
    const QRect box = label->contentsRect();
    const QRect needed =
        QFontMetrics(font).boundingRect(box, static_cast<int>(label->alignment()) | Qt::TextWordWrap, label->text());
    return needed.width() <= box.width() && needed.height() <= box.height();
}

// The boxes were designed around a narrower font than most desktops have here:
// a text that would be cut gets a condensed font, then a smaller one.
void FitText(QLabel* label)
{
    QFont font = label->font();
    if (TextFits(label, font))
        return;
    font.setStretch(QFont::Condensed);
    while (!TextFits(label, font) && font.pointSizeF() > 6)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    label->setFont(font);
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, const QRect& geometry,
                  Qt::Alignment alignment)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(geometry);
    label->setAlignment(alignment);
    label->setWordWrap(true);
    FitText(label);
    return label;
}

// A column's caption: a raised frame that the label fills.
QLabel* MakeCaption(QWidget* parent, int column, const char* name, const QString& text)
{
    QFrame* frame = MakeFrame(parent, QRect(kColumnLeft[column], 20, 209, 29), QFrame::Raised);
    return MakeLabel(frame, name, text, frame->contentsRect(), Qt::AlignCenter);
}

PicturePreview* MakePreview(QWidget* parent, int column, const char* name)
{
    MakeFrame(parent, QRect(kColumnLeft[column], 56, 209, 161), QFrame::Sunken);
    auto* preview = new PicturePreview(parent);
    preview->setObjectName(QString::fromLatin1(name));
    preview->setGeometry(kPreviewLeft[column], 60, 200, 150);
    return preview;
}

bool LocaleLess(const QString& a, const QString& b)
{
    return QString::localeAwareCompare(a, b) < 0;
}

std::int32_t PictureCount(const std::string& countText)
{
    std::int32_t count = 0;
    if (!IniFile::ParseInteger(countText, count))
        return 0;
    return std::clamp(count, 0, kMaxThemePictures);
}

}  // namespace

TfrmImpression::TfrmImpression(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      m_printer(std::make_unique<SystemPrinter>()),
      m_runQuestion([](QMessageBox& box) { return static_cast<QMessageBox::StandardButton>(box.exec()); }),
      m_dialogs(UserDialogs::System())
{
    setObjectName(QStringLiteral("frmImpression"));
    setWindowTitle(QStringLiteral("Vorlane - Gestion des impressions"));
    QFont smallFont = font();
    smallFont.setPointSize(8);
    setFont(smallFont);
    setFixedSize(815, 413);
    CreateControls();

    // Keys are seen by the window before its controls.
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);

    SetDotsColumnLoaded(false);
    SetColumnState(m_imageColumn, ColumnState::Reset);
    SetColumnState(m_colorColumn, ColumnState::Reset);
    btnBooklet->setEnabled(false);
    btnAlbum->setEnabled(false);
    tvThemes->setFocus();
}

TfrmImpression::~TfrmImpression() = default;

void TfrmImpression::CreateControls()
{
    gbImages = new QGroupBox(QStringLiteral(" Images disponibles "), this);
    gbImages->setObjectName(QStringLiteral("gbImages"));
    gbImages->setGeometry(0, 0, 157, 377);

    tvThemes = new QTreeWidget(gbImages);
    tvThemes->setObjectName(QStringLiteral("tvThemes"));
    tvThemes->setGeometry(4, 16, 149, 357);
    tvThemes->setHeaderHidden(true);
    tvThemes->setColumnCount(1);
    tvThemes->setIndentation(15);
    tvThemes->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tvThemes->setSelectionMode(QAbstractItemView::SingleSelection);
    // Queued: an error of the handler then reaches the application's handler
    // from the event loop, not through the middle of the tree's own mouse and
    // selection code, which would be left half done.
    connect(tvThemes, &QTreeWidget::currentItemChanged, this, &TfrmImpression::tvThemesChange,
            Qt::QueuedConnection);

    btnExit = MakeButton(this, "btnExit", QStringLiteral("&Fermer"), QRect(4, 384, 149, 25));
    connect(btnExit, &QPushButton::clicked, this, &TfrmImpression::btnExitClick);

    gbPreview = new QGroupBox(QStringLiteral(" Prévisualisation "), this);
    gbPreview->setObjectName(QStringLiteral("gbPreview"));
    gbPreview->setGeometry(164, 0, 649, 413);

    lblImageDotsOnlyComment =
        MakeCaption(gbPreview, 0, "lblImageDotsOnlyComment", QStringLiteral("Image avec les points seulement."));
    lblImageComment = MakeCaption(gbPreview, 1, "lblImageComment", QStringLiteral("Image à colorier."));
    lblImageColor = MakeCaption(gbPreview, 2, "lblImageColor", QStringLiteral("Image coloriée."));

    imgPreviewDotsOnly = MakePreview(gbPreview, 0, "imgPreviewDotsOnly");
    imgPreviewImage = MakePreview(gbPreview, 1, "imgPreviewImage");
    imgColorImage = MakePreview(gbPreview, 2, "imgColorImage");

    // Opaque, over the preview.
    const auto makeAlert = [this](int column, const char* name, const QString& text) {
        QLabel* alert = MakeLabel(gbPreview, name, text, QRect(kColumnLeft[column] + 8, 64, 193, 141), Qt::AlignCenter);
        alert->setAutoFillBackground(true);
        return alert;
    };
    lblImageCommentAlert = makeAlert(1, "lblImageCommentAlert", kAlertText);
    lblImageColorAlert = makeAlert(2, "lblImageColorAlert", kColouredAlertText);

    const auto makePrintButton = [this](int column, const char* name) {
        QPushButton* button =
            MakeButton(gbPreview, name, kPrintCaptions[column], QRect(kColumnLeft[column], 220, 209, 33));
        connect(button, &QPushButton::clicked, this, [this, button] { btnPrintImageDotsOnlyClick(button); });
        return button;
    };
    btnPrintImageDotsOnly = makePrintButton(0, "btnPrintImageDotsOnly");
    btnPrintImage = makePrintButton(1, "btnPrintImage");
    btnPrintColor = makePrintButton(2, "btnPrintColor");

    MakeFrame(gbPreview, QRect(kColumnLeft[1], 256, 209, 86), QFrame::Raised);
    MakeFrame(gbPreview, QRect(kColumnLeft[2], 256, 209, 86), QFrame::Raised);
    btnClear = MakeButton(gbPreview, "btnClear", kClearCaptions[0], QRect(kColumnLeft[1] + 8, 260, 193, 33));
    btnClearColor = MakeButton(gbPreview, "btnClearColor", kClearCaptions[1], QRect(kColumnLeft[2] + 8, 260, 193, 33));
    connect(btnClear, &QPushButton::clicked, this, &TfrmImpression::btnClearClick);
    connect(btnClearColor, &QPushButton::clicked, this, &TfrmImpression::btnClearColorClick);

    const Qt::Alignment hintAlignment = Qt::AlignHCenter | Qt::AlignTop;
    lblClearHint = MakeLabel(gbPreview, "lblClearHint", kHintText, QRect(228, 296, 201, 41), hintAlignment);
    lblClearColorHint =
        MakeLabel(gbPreview, "lblClearColorHint", kColouredHintText, QRect(440, 296, 201, 41), hintAlignment);

    CreateSharingControls();

    // Down each column in turn: its print button, what else it offers, then the next column.
    QWidget* const chain[] = {tvThemes,           btnPrintImageDotsOnly, btnBooklet,      btnAlbum,
                              btnSavePdfDotsOnly, btnPrintImage,         btnClear,        btnSavePdfImage,
                              btnPrintColor,      btnClearColor,         btnSavePdfColor, btnSaveImage,
                              btnExit};
    for (std::size_t i = 0; i + 1 < std::size(chain); ++i)
        setTabOrder(chain[i], chain[i + 1]);

    m_imageColumn = {imgPreviewImage, btnPrintImage, btnClear, lblClearHint, lblImageCommentAlert, btnSavePdfImage,
                     nullptr};
    m_colorColumn = {imgColorImage, btnPrintColor,   btnClearColor, lblClearColorHint, lblImageColorAlert,
                     btnSavePdfColor, btnSaveImage};
}

// Keeping and sharing, under the columns: the dots column's empty place
// holds the booklet and the album, each column a PDF of its form, the
// coloured one its picture too.
void TfrmImpression::CreateSharingControls()
{
    MakeFrame(gbPreview, QRect(kColumnLeft[0], 256, 209, 86), QFrame::Raised);
    btnBooklet = MakeButton(gbPreview, "btnBooklet", QStringLiteral("Faire un &cahier…"),
                            QRect(kColumnLeft[0] + 8, 260, 193, 33));
    btnAlbum = MakeButton(gbPreview, "btnAlbum", QStringLiteral("&Album…"), QRect(kColumnLeft[0] + 8, 297, 193, 33));
    connect(btnBooklet, &QPushButton::clicked, this, TApplication::Handler(this, &TfrmImpression::btnBookletClick));
    connect(btnAlbum, &QPushButton::clicked, this, TApplication::Handler(this, &TfrmImpression::btnAlbumClick));

    // D, E and N for Alt: the same words under each column.
    const QString savePdfCaptions[] = {QStringLiteral("Enregistrer en P&DF…"), QStringLiteral("&Enregistrer en PDF…"),
                                       QStringLiteral("Enregistrer e&n PDF…")};
    const auto makeSavePdf = [this, &savePdfCaptions](int column, const char* name, Form form) {
        QPushButton* button =
            MakeButton(gbPreview, name, savePdfCaptions[column], QRect(kColumnLeft[column], 348, 209, 27));
        connect(button, &QPushButton::clicked, this,
                [this, form] { TApplication::Guarded([this, form] { btnSavePdfClick(form); }); });
        return button;
    };
    btnSavePdfDotsOnly = makeSavePdf(0, "btnSavePdfDotsOnly", Form::DotsOnly);
    btnSavePdfImage = makeSavePdf(1, "btnSavePdfImage", Form::ToColour);
    btnSavePdfColor = makeSavePdf(2, "btnSavePdfColor", Form::Coloured);
    btnSaveImage = MakeButton(gbPreview, "btnSaveImage", QStringLiteral("Enregistrer l'ima&ge…"),
                              QRect(kColumnLeft[2], 379, 209, 27));
    connect(btnSaveImage, &QPushButton::clicked, this, TApplication::Handler(this, &TfrmImpression::btnSaveImageClick));
}

void TfrmImpression::SetCatalogue(const ContentCatalogue* catalogue)
{
    m_catalogue = catalogue;
}

void TfrmImpression::SetHighlightedTheme(std::function<std::string()> highlightedTheme)
{
    m_highlightedTheme = std::move(highlightedTheme);
}

void TfrmImpression::SetPrinter(std::unique_ptr<Printer> printer)
{
    m_printer = std::move(printer);
}

void TfrmImpression::SetQuestionRunner(QuestionRunner runner)
{
    m_runQuestion = std::move(runner);
}

void TfrmImpression::SetUserDialogs(UserDialogs dialogs)
{
    m_dialogs = std::move(dialogs);
}

void TfrmImpression::SetColumnState(const Column& column, ColumnState state)
{
    const bool available = state == ColumnState::Available;
    if (!available)
        column.preview->Clear();
    column.print->setEnabled(available);
    column.clear->setEnabled(available);
    column.savePdf->setEnabled(available);
    if (column.saveImage != nullptr)
        column.saveImage->setEnabled(available);
    column.hint->setVisible(available);
    column.alert->setVisible(state == ColumnState::NotAvailable);
}

void TfrmImpression::SetDotsColumnLoaded(bool loaded)
{
    if (!loaded)
        imgPreviewDotsOnly->Clear();
    btnPrintImageDotsOnly->setEnabled(loaded);
    btnSavePdfDotsOnly->setEnabled(loaded);
}

std::string TfrmImpression::DotsFile() const
{
    return ContentPlaces::Current().ThemeContentFile(m_currentTheme, DotsFileName(m_currentImage));
}

std::string TfrmImpression::PictureFile() const
{
    return ContentPlaces::Current().ThemeContentFile(m_currentTheme, PictureFileName(m_currentImage));
}

std::string TfrmImpression::ArchiveFile() const
{
    return ContentPlaces::Current().ThemeUserFile(m_currentTheme, ArchiveFileName(m_currentImage));
}

void TfrmImpression::TreeViewRefresh()
{
    tvThemes->clear();
    btnBooklet->setEnabled(false);
    btnAlbum->setEnabled(false);
    if (m_catalogue == nullptr)
        return;

    struct ThemeNode {
        std::string folder;
        QString text;
        std::int32_t pictures;
    };
    const std::vector<std::string>& names = m_catalogue->ThemeNames();
    const std::vector<std::string>& counts = m_catalogue->ThemeImageCounts();
    std::vector<ThemeNode> themes;
    themes.reserve(names.size());
    for (std::size_t i = 0; i < names.size(); ++i)
        themes.push_back({names[i], DisplayString(names[i]), i < counts.size() ? PictureCount(counts[i]) : 0});
    // Case-sensitive, in the user's locale; "Image09" stays before "Image10"
    // thanks to the zero padding, up to picture 99.
    std::stable_sort(themes.begin(), themes.end(),
                     [](const ThemeNode& a, const ThemeNode& b) { return LocaleLess(a.text, b.text); });

    for (const ThemeNode& theme : themes) {
        auto* node = new QTreeWidgetItem(tvThemes, QStringList(theme.text));
        node->setData(0, kFolderNameRole, QByteArray::fromStdString(theme.folder));
        // The pictures in their theme's order, easy to hard, each by its name
        // where the theme gives one ("1. œuf"), else as "Image01".
        const ThemeDat dat = ThemeDat::ForTheme(theme.folder);
        for (std::int32_t picture = 1; picture <= theme.pictures; ++picture) {
            const auto number = static_cast<std::uint32_t>(picture);
            const PictureName name = PictureName::Of(theme.folder, dat, number);
            auto* child = new QTreeWidgetItem(node, QStringList(name.ListText()));
            child->setData(0, kSectionRole, QString::fromStdString(ImageSection(number)));
            child->setToolTip(0, name.Caption());
        }
    }
    tvThemes->expandAll();

    btnBooklet->setEnabled(tvThemes->topLevelItemCount() > 0);
    btnAlbum->setEnabled(tvThemes->topLevelItemCount() > 0);
    if (tvThemes->topLevelItemCount() == 0)
        return;
    QTreeWidgetItem* selected = tvThemes->topLevelItem(0);
    const std::string highlighted = m_highlightedTheme ? m_highlightedTheme() : std::string();
    if (!highlighted.empty()) {
        for (int i = 0; i < tvThemes->topLevelItemCount(); ++i) {
            QTreeWidgetItem* node = tvThemes->topLevelItem(i);
            if (node->data(0, kFolderNameRole).toByteArray().toStdString() == highlighted) {
                selected = node;
                break;
            }
        }
    }
    tvThemes->setCurrentItem(selected);
}

void TfrmImpression::showEvent(QShowEvent* event)
{
    if (QScreen* screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    FormShow();
    QDialog::showEvent(event);
}

void TfrmImpression::FormShow()
{
    if (tvThemes->currentItem() != nullptr)
        return;
    SetDotsColumnLoaded(false);
    SetColumnState(m_imageColumn, ColumnState::Reset);
    SetColumnState(m_colorColumn, ColumnState::Reset);
}

void TfrmImpression::tvThemesChange()
{
    const QTreeWidgetItem* node = tvThemes->currentItem();
    if (node == nullptr || node->parent() == nullptr)
        return;

    m_currentTheme = node->parent()->data(0, kFolderNameRole).toByteArray().toStdString();
    m_currentImage = node->data(0, kSectionRole).toString().toStdString();

    // The mark and the archive are looked up afresh: the game changes them.
    // A form that cannot be shown (a damaged archive, a missing picture) says
    // so and leaves its column empty; the other forms are still shown.
    const auto load = [](const std::function<void()>& loading) {
        bool loaded = false;
        TApplication::Guarded([&] {
            loading();
            loaded = true;
        });
        return loaded;
    };
    if (ThemeDat::ForTheme(m_currentTheme).Imprimer(m_currentImage)) {
        const bool loaded = load([this] { imgPreviewImage->LoadFromFile(PictureFile()); });
        SetColumnState(m_imageColumn, loaded ? ColumnState::Available : ColumnState::Reset);
    } else {
        SetColumnState(m_imageColumn, ColumnState::NotAvailable);
    }

    const std::string archive = ArchiveFile();
    if (FileExists(archive)) {
        const bool loaded = load([this, &archive] { imgColorImage->LoadFromArchive(archive); });
        SetColumnState(m_colorColumn, loaded ? ColumnState::Available : ColumnState::Reset);
    } else {
        SetColumnState(m_colorColumn, ColumnState::NotAvailable);
    }

    SetDotsColumnLoaded(load([this] { imgPreviewDotsOnly->LoadFromFile(DotsFile()); }));
}

std::string TfrmImpression::ThemeLookedAt() const
{
    const QTreeWidgetItem* node = tvThemes->currentItem();
    if (node != nullptr && node->parent() != nullptr)
        node = node->parent();
    if (node != nullptr)
        return node->data(0, kFolderNameRole).toByteArray().toStdString();
    return m_currentTheme;
}

void TfrmImpression::RunBookletDialog(bool album)
{
    // The themes as the tree shows them, with their picture counts.
    std::vector<BookletDialog::Theme> themes;
    for (int i = 0; i < tvThemes->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* node = tvThemes->topLevelItem(i);
        themes.push_back({node->data(0, kFolderNameRole).toByteArray().toStdString(), node->childCount()});
    }
    BookletDialog dialog(album ? BookletDialog::Kind::Album : BookletDialog::Kind::Booklet, themes, ThemeLookedAt(),
                         m_dialogs, this);
    m_dialogs.run(dialog);
}

bool TfrmImpression::ConfirmRemoval()
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirmation de suppression"),
                    QStringLiteral("Etes-vous sûr de vouloir supprimer cette image du gestionnaire d'impression"),
                    QMessageBox::Yes | QMessageBox::No, this);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("Oui"));
    box.button(QMessageBox::No)->setText(QStringLiteral("Non"));
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return m_runQuestion(box) == QMessageBox::Yes;
}

void TfrmImpression::btnClearClick()
{
    if (!ConfirmRemoval())
        return;
    ThemeDat::ForTheme(m_currentTheme).WriteImprimer(m_currentImage, false);
    SetColumnState(m_imageColumn, ColumnState::NotAvailable);
}

void TfrmImpression::btnClearColorClick()
{
    if (!ConfirmRemoval())
        return;
    // A deletion the system refuses is reported, and the column still offers the picture.
    DeleteStoreFile(ArchiveFile());
    SetColumnState(m_colorColumn, ColumnState::NotAvailable);
}

void TfrmImpression::btnExitClick()
{
    close();
}

void TfrmImpression::FormKeyUp(int key)
{
    if (key == Qt::Key_F1)
        TApplication::HelpContents();
}

// Enter clicks the focused button and nothing else: Enter in the tree must
// never print.
void TfrmImpression::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (auto* button = qobject_cast<QPushButton*>(focusWidget()); button != nullptr && button->isEnabled())
            button->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfrmImpression::keyReleaseEvent(QKeyEvent* event)
{
    if (!event->isAutoRepeat())
        FormKeyUp(event->key());
    QDialog::keyReleaseEvent(event);
}

bool TfrmImpression::eventFilter(QObject* watched, QEvent* event)
{
    // F1 is taken here, before the control, so that it does not travel on to
    // the window and open the help twice.
    if (event->type() == QEvent::KeyRelease) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F1) {
            if (!key->isAutoRepeat())
                FormKeyUp(key->key());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace vorlane
