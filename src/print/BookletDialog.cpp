#include "print/BookletDialog.h"

#include "app/MakeButton.h"
#include "app/TApplication.h"
#include "base/AtomicFile.h"
#include "content/ContentPlaces.h"
#include "content/DisplayString.h"
#include "print/Album.h"
#include "print/Paper.h"
#include "print/WorkProgress.h"

#include <QDir>
#include <QEventLoop>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <atomic>
#include <exception>
#include <thread>

namespace vorlane {
namespace {

constexpr int kFolderRole = Qt::UserRole;
constexpr int kPicturesRole = Qt::UserRole + 1;

QString Plural(int count, const QString& one, const QString& many)
{
    return count == 1 ? one : QString::number(count) + QLatin1Char(' ') + many;
}

// The paper's name, and that of the book folded from it.
QString FoldedName(const QPageSize& paper)
{
    return paper.id() == QPageSize::Letter ? QStringLiteral("demi-Letter") : QStringLiteral("A5");
}

const QString kHowToPrintFolded = QStringLiteral(
    "Pour l'imprimer : recto verso, retournement sur le bord court ; pliez ensuite la pile en deux et "
    "agrafez-la au pli.");

void WritePdf(const QString& path, const QByteArray& bytes)
{
    ReplaceFileAtomically(path.toStdString(), {reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                               static_cast<std::size_t>(bytes.size())});
}

// Where the teacher's answers go beside the booklet saved at `path`.
QString AnswersPath(const QString& path)
{
    const QString stem = path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive) ? path.chopped(4) : path;
    return stem + QStringLiteral(" - solutions.pdf");
}

}  // namespace

BookletDialog::BookletDialog(Kind kind, const std::vector<Theme>& themes, const std::string& current,
                             UserDialogs dialogs, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_kind(kind),
      m_dialogs(std::move(dialogs))
{
    setObjectName(kind == Kind::Booklet ? QStringLiteral("frmCahier") : QStringLiteral("frmAlbum"));
    setWindowTitle(kind == Kind::Booklet ? QStringLiteral("Vorlane - Faire un cahier")
                                         : QStringLiteral("Vorlane - Album des images coloriées"));
    setFixedSize(560, 476);
    CreateControls(themes, current);
    UpdateSummary();
}

BookletDialog::~BookletDialog() = default;

void BookletDialog::CreateControls(const std::vector<Theme>& themes, const std::string& current)
{
    gbThemes = new QGroupBox(QStringLiteral(" Thèmes "), this);
    gbThemes->setGeometry(8, 8, 224, 460);
    lstThemes = new QListWidget(gbThemes);
    lstThemes->setObjectName(QStringLiteral("lstThemes"));
    lstThemes->setGeometry(8, 22, 208, 394);
    for (const Theme& theme : themes) {
        auto* item = new QListWidgetItem(DisplayString(theme.folder), lstThemes);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        item->setData(kFolderRole, QByteArray::fromStdString(theme.folder));
        item->setData(kPicturesRole, theme.pictures);
        item->setCheckState(theme.folder == current ? Qt::Checked : Qt::Unchecked);
        if (theme.folder == current)
            lstThemes->setCurrentItem(item);
    }
    connect(lstThemes, &QListWidget::itemChanged, this, &BookletDialog::UpdateSummary);
    const auto checkAll = [this](Qt::CheckState state) {
        for (int i = 0; i < lstThemes->count(); ++i)
            lstThemes->item(i)->setCheckState(state);
    };
    btnAll = MakeButton(gbThemes, "btnAll", QStringLiteral("&Tous"), QRect(8, 424, 102, 28));
    btnNone = MakeButton(gbThemes, "btnNone", QStringLiteral("Auc&un"), QRect(114, 424, 102, 28));
    connect(btnAll, &QPushButton::clicked, this, [checkAll] { checkAll(Qt::Checked); });
    connect(btnNone, &QPushButton::clicked, this, [checkAll] { checkAll(Qt::Unchecked); });

    const auto makeGroup = [this](const QString& title, int top) {
        auto* group = new QGroupBox(title, this);
        group->setGeometry(240, top, 312, top == 8 ? 72 : 96);
        return group;
    };
    const auto makeChoice = [this](QGroupBox* group, const char* name, const QString& text, int row) {
        auto* choice = new QRadioButton(text, group);
        choice->setObjectName(QString::fromLatin1(name));
        choice->setGeometry(12, 22 + 24 * row, 292, 22);
        connect(choice, &QRadioButton::toggled, this, &BookletDialog::UpdateSummary);
        return choice;
    };
    gbKind = makeGroup(QStringLiteral(" Cahier "), 8);
    rbDots = makeChoice(gbKind, "rbDots", QStringLiteral("Points à &relier"), 0);
    rbColouring = makeChoice(gbKind, "rbColouring", QStringLiteral("Cahier de &coloriage"), 1);
    gbAnswers = makeGroup(QStringLiteral(" Solutions "), 86);
    rbAnswersAtEnd = makeChoice(gbAnswers, "rbAnswersAtEnd", QStringLiteral("&En petit à la fin du cahier"), 0);
    rbAnswersApart = makeChoice(gbAnswers, "rbAnswersApart", QStringLiteral("Dans un PDF à part, pour l'e&nseignant"), 1);
    rbNoAnswers = makeChoice(gbAnswers, "rbNoAnswers", QStringLiteral("&Sans les solutions"), 2);
    gbLayout = makeGroup(QStringLiteral(" Mise en page "), 188);
    rbLandscape = makeChoice(gbLayout, "rbLandscape", QStringLiteral("Pa&ysage, une image par feuille"), 0);
    rbPortrait = makeChoice(gbLayout, "rbPortrait", QStringLiteral("P&ortrait, une image par feuille"), 1);
    const QPageSize paper = DefaultPaper();
    rbFolded = makeChoice(gbLayout, "rbFolded",
                          QStringLiteral("&Livret plié ") + FoldedName(paper) + QStringLiteral(", recto verso"), 2);
    lblSummary = new QLabel(this);
    lblSummary->setObjectName(QStringLiteral("lblSummary"));
    lblSummary->setWordWrap(true);
    lblSummary->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    if (m_kind == Kind::Album) {
        gbKind->hide();
        gbAnswers->hide();
        gbLayout->hide();
        lblSummary->setGeometry(242, 14, 308, 160);
    } else {
        lblSummary->setGeometry(242, 290, 308, 78);
    }

    pbWork = new QProgressBar(this);
    pbWork->setObjectName(QStringLiteral("pbWork"));
    pbWork->setGeometry(240, 374, 212, 24);
    pbWork->hide();
    btnCancel = MakeButton(this, "btnCancel", QStringLiteral("&Annuler"), QRect(458, 372, 94, 28));
    btnCancel->hide();
    connect(btnCancel, &QPushButton::clicked, this, [this] {
        if (m_running != nullptr)
            m_running->Cancel();
    });

    btnSavePdf = MakeButton(this, "btnSavePdf", QStringLiteral("Enregistrer en P&DF…"), QRect(240, 404, 154, 30));
    btnPrint = MakeButton(this, "btnPrint", QStringLiteral("Im&primer…"), QRect(398, 404, 154, 30));
    btnClose = MakeButton(this, "btnClose", QStringLiteral("&Fermer"), QRect(398, 440, 154, 28));
    connect(btnSavePdf, &QPushButton::clicked, this, TApplication::Handler(this, &BookletDialog::btnSavePdfClick));
    connect(btnPrint, &QPushButton::clicked, this, TApplication::Handler(this, &BookletDialog::btnPrintClick));
    connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);
    // The default booklet: the dots, the answers small at the end, a page a sheet.
    rbDots->setChecked(true);
    rbAnswersAtEnd->setChecked(true);
    rbLandscape->setChecked(true);
    lstThemes->setFocus();
}

std::vector<std::string> BookletDialog::CheckedThemes() const
{
    std::vector<std::string> folders;
    for (int i = 0; i < lstThemes->count(); ++i) {
        if (lstThemes->item(i)->checkState() == Qt::Checked)
            folders.push_back(lstThemes->item(i)->data(kFolderRole).toByteArray().toStdString());
    }
    return folders;
}

BookletOptions BookletDialog::Options() const
{
    BookletOptions options;
    options.kind = rbColouring->isChecked() ? BookletOptions::Kind::Colouring : BookletOptions::Kind::Dots;
    options.answers = rbAnswersApart->isChecked() ? BookletOptions::Answers::Apart
                      : rbNoAnswers->isChecked()  ? BookletOptions::Answers::None
                                                  : BookletOptions::Answers::AtEnd;
    options.layout = rbPortrait->isChecked() ? BookletOptions::Layout::Portrait
                     : rbFolded->isChecked() ? BookletOptions::Layout::FoldedBook
                                             : BookletOptions::Layout::Landscape;
    return options;
}

void BookletDialog::UpdateSummary()
{
    int pictures = 0;
    for (int i = 0; i < lstThemes->count(); ++i) {
        if (lstThemes->item(i)->checkState() == Qt::Checked)
            pictures += lstThemes->item(i)->data(kPicturesRole).toInt();
    }
    QString summary;
    bool something = false;
    if (m_kind == Kind::Album) {
        const auto coloured = static_cast<int>(ColouredPictures(ContentPlaces::Current(), CheckedThemes()).size());
        something = coloured > 0;
        summary = something ? Plural(coloured, QStringLiteral("Une image coloriée"), QStringLiteral("images coloriées")) +
                                  QStringLiteral(", une par page, avec son nom et le jour où elle a été coloriée.")
                            : QStringLiteral("Aucune image coloriée dans les thèmes cochés.");
    } else {
        const BookletOptions options = Options();
        const bool dots = options.kind == BookletOptions::Kind::Dots;
        gbAnswers->setEnabled(dots);
        something = pictures > 0;
        const int pages = BookletPages(pictures, options);
        const int answers = dots && options.answers != BookletOptions::Answers::None ? AnswerPages(pictures) : 0;
        const QPageSize paper = DefaultPaper();
        QString what = QString::number(pictures) + (dots ? QStringLiteral(" à relier") : QStringLiteral(" à colorier"));
        if (options.answers == BookletOptions::Answers::AtEnd && answers > 0)
            what += QStringLiteral(", ") + QString::number(answers) + QStringLiteral(" de solutions");
        summary = QStringLiteral("La couverture et ") +
                  Plural(pages, QStringLiteral("une page"), QStringLiteral("pages")) + QStringLiteral(" (") + what +
                  QStringLiteral(")");
        if (options.layout == BookletOptions::Layout::FoldedBook) {
            const int sheets = (pages + 1 + 3) / 4;
            summary += QStringLiteral(", en livret ") + FoldedName(paper) + QStringLiteral(" de ") +
                       Plural(sheets, QStringLiteral("une feuille "), QStringLiteral("feuilles ")) + paper.name() +
                       QStringLiteral(". ") + kHowToPrintFolded;
        } else {
            summary += QStringLiteral(", sur papier ") + paper.name() + QLatin1Char('.');
        }
        if (options.answers == BookletOptions::Answers::Apart && answers > 0)
            summary += QStringLiteral(" Les solutions à part : ") +
                       Plural(answers, QStringLiteral("une page."), QStringLiteral("pages."));
        if (!something)
            summary = QStringLiteral("Cochez un thème.");
    }
    lblSummary->setText(summary);
    btnSavePdf->setEnabled(something);
    btnPrint->setEnabled(something);
}

std::optional<Booklet> BookletDialog::MakeDocuments(WorkProgress& progress) const
{
    if (m_kind == Kind::Album)
        return MakeAlbum(ContentPlaces::Current(), ColouredPictures(ContentPlaces::Current(), CheckedThemes()),
                         &progress);
    return MakeBooklet(ContentPlaces::Current(), CheckedThemes(), Options(), &progress);
}

QString BookletDialog::DocumentName() const
{
    QStringList names;
    for (const std::string& folder : CheckedThemes())
        names << DisplayString(folder);
    const QString what = names.size() <= 3 ? names.join(QStringLiteral(", "))
                                           : QString::number(names.size()) + QStringLiteral(" thèmes");
    if (m_kind == Kind::Album)
        return QStringLiteral("Album - ") + what;
    return (rbColouring->isChecked() ? QStringLiteral("Cahier de coloriage - ") : QStringLiteral("Cahier - ")) + what;
}

bool BookletDialog::RunWork(const std::function<void(WorkProgress&)>& work)
{
    WorkProgress progress;
    std::exception_ptr failure;
    std::atomic<bool> finished{false};
    const QList<QWidget*> waiting{gbThemes, gbKind, gbAnswers, gbLayout, btnSavePdf, btnPrint, btnClose};
    for (QWidget* widget : waiting)
        widget->setEnabled(false);
    pbWork->setRange(0, 1);
    pbWork->setValue(0);
    pbWork->show();
    btnCancel->show();
    btnCancel->setFocus();
    m_running = &progress;

    QEventLoop loop;
    QTimer timer;
    timer.setInterval(40);
    connect(&timer, &QTimer::timeout, &loop, [&] {
        pbWork->setRange(0, std::max(1, progress.Total()));
        pbWork->setValue(std::min(progress.Done(), pbWork->maximum()));
        if (finished)
            loop.quit();
    });
    std::thread worker([&] {
        try {
            work(progress);
        } catch (...) {
            failure = std::current_exception();
        }
        finished = true;
    });
    timer.start();
    loop.exec();
    worker.join();

    m_running = nullptr;
    pbWork->hide();
    btnCancel->hide();
    for (QWidget* widget : waiting)
        widget->setEnabled(true);
    UpdateSummary();
    if (failure)
        std::rethrow_exception(failure);
    return !progress.Cancelled();
}

void BookletDialog::reject()
{
    // The close box or Escape while the work runs stops the work, not the window.
    if (m_running != nullptr) {
        m_running->Cancel();
        return;
    }
    QDialog::reject();
}

QString BookletDialog::LeftOut(const Booklet& documents)
{
    if (documents.leftOut.empty())
        return {};
    QString text = documents.leftOut.size() == 1 ? QStringLiteral("\n\nUne image n'a pas pu être lue ; elle est laissée de côté :")
                                                 : QStringLiteral("\n\nCes images n'ont pas pu être lues ; elles sont laissées de côté :");
    for (const std::string& line : documents.leftOut)
        text += QStringLiteral("\n– ") + QString::fromStdString(line);
    return text;
}

void BookletDialog::btnSavePdfClick()
{
    const QString path = m_dialogs.FileToWrite(this, QStringLiteral("Enregistrer en PDF"),
                                               DocumentName() + QStringLiteral(".pdf"),
                                               QStringLiteral("Documents PDF (*.pdf)"));
    if (path.isEmpty())
        return;
    const QPageSize paper = DefaultPaper();
    std::optional<Booklet> made;
    QByteArray pages;
    QByteArray answers;
    const bool done = RunWork([&](WorkProgress& progress) {
        made = MakeDocuments(progress);
        if (made)
            pages = made->pages.Pdf(paper, &progress);
        if (made && made->answers && !progress.Cancelled())
            answers = made->answers->Pdf(paper, &progress);
    });
    // Written only once all is made: "Annuler" leaves nothing behind.
    if (!done || !made)
        return;
    WritePdf(path, pages);
    QString said = (m_kind == Kind::Album ? QStringLiteral("L'album est enregistré dans ")
                                          : QStringLiteral("Le cahier est enregistré dans ")) +
                   QDir::toNativeSeparators(path) + QLatin1Char('.');
    if (made->answers) {
        WritePdf(AnswersPath(path), answers);
        said += QStringLiteral("\nSes solutions, pour l'enseignant, sont dans ") +
                QDir::toNativeSeparators(AnswersPath(path)) + QLatin1Char('.');
    }
    if (made->pages.Layout() == PageDocument::Sheets::FoldedBook)
        said += QStringLiteral("\n") + kHowToPrintFolded;
    lblSummary->setText(QStringLiteral("Enregistré dans ") + QDir::toNativeSeparators(path) + QLatin1Char('.'));
    m_dialogs.inform(this, said + LeftOut(*made));
}

void BookletDialog::btnPrintClick()
{
    const bool folded = m_kind == Kind::Booklet && rbFolded->isChecked();
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(DefaultPaper());
    printer.setDocName(DocumentName());
    if (folded) {
        // Two pages a side: both sides of each sheet, turned over on its short edge.
        printer.setPageOrientation(QPageLayout::Landscape);
        printer.setDuplex(QPrinter::DuplexShortSide);
    }
    if (!m_dialogs.print(this, printer))
        return;
    std::optional<Booklet> made;
    const bool done = RunWork([&](WorkProgress& progress) {
        made = MakeDocuments(progress);
        if (made && !made->pages.Print(printer, &progress))
            made.reset();
        if (made && made->answers && !made->answers->Print(printer, &progress))
            made.reset();
    });
    if (!done || !made)
        return;
    const QString where = printer.outputFormat() == QPrinter::PdfFormat
                              ? QStringLiteral("enregistré dans ") + QDir::toNativeSeparators(printer.outputFileName())
                              : QStringLiteral("envoyé à l'imprimante ") + printer.printerName();
    QString said = (m_kind == Kind::Album ? QStringLiteral("L'album est ") : QStringLiteral("Le cahier est ")) + where +
                   QLatin1Char('.');
    if (made->answers)
        said += QStringLiteral(" Ses solutions suivent, à part.");
    m_dialogs.inform(this, said + LeftOut(*made));
}

}  // namespace vorlane
