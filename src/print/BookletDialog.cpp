#include "print/BookletDialog.h"

#include "app/MakeButton.h"
#include "app/TApplication.h"
#include "app/WaitCursor.h"
#include "content/ContentPlaces.h"
#include "content/DisplayString.h"
#include "print/Album.h"
#include "print/Booklet.h"
#include "print/PageDocument.h"
#include "print/Paper.h"

#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPrinter>
#include <QPushButton>

namespace vorlane {
namespace {

constexpr int kFolderRole = Qt::UserRole;
constexpr int kPicturesRole = Qt::UserRole + 1;

QString Plural(int count, const QString& one, const QString& many)
{
    return count == 1 ? one : QString::number(count) + QLatin1Char(' ') + many;
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
    setFixedSize(480, 300);
    CreateControls(themes, current);
    UpdateSummary();
}

BookletDialog::~BookletDialog() = default;

void BookletDialog::CreateControls(const std::vector<Theme>& themes, const std::string& current)
{
    gbThemes = new QGroupBox(QStringLiteral(" Thèmes "), this);
    gbThemes->setGeometry(8, 8, 224, 284);
    lstThemes = new QListWidget(gbThemes);
    lstThemes->setObjectName(QStringLiteral("lstThemes"));
    lstThemes->setGeometry(8, 22, 208, 218);
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
    btnAll = MakeButton(gbThemes, "btnAll", QStringLiteral("&Tous"), QRect(8, 248, 102, 28));
    btnNone = MakeButton(gbThemes, "btnNone", QStringLiteral("Au&cun"), QRect(114, 248, 102, 28));
    connect(btnAll, &QPushButton::clicked, this, [checkAll] { checkAll(Qt::Checked); });
    connect(btnNone, &QPushButton::clicked, this, [checkAll] { checkAll(Qt::Unchecked); });

    gbForms = new QGroupBox(QStringLiteral(" Pages "), this);
    gbForms->setGeometry(240, 8, 232, 104);
    const auto makeCheck = [this](const char* name, const QString& text, int top) {
        auto* check = new QCheckBox(text, gbForms);
        check->setObjectName(QString::fromLatin1(name));
        check->setGeometry(10, top, 216, 22);
        check->setChecked(true);
        connect(check, &QCheckBox::toggled, this, &BookletDialog::UpdateSummary);
        return check;
    };
    chkDots = makeCheck("chkDots", QStringLiteral("Les images à &relier"), 22);
    chkToColour = makeCheck("chkToColour", QStringLiteral("Les images à c&olorier"), 48);
    chkAnswers = makeCheck("chkAnswers", QStringLiteral("Les &solutions, en petit à la fin"), 74);

    lblSummary = new QLabel(this);
    lblSummary->setObjectName(QStringLiteral("lblSummary"));
    lblSummary->setWordWrap(true);
    lblSummary->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    if (m_kind == Kind::Album) {
        gbForms->hide();
        lblSummary->setGeometry(242, 14, 228, 160);
    } else {
        lblSummary->setGeometry(242, 120, 228, 54);
    }

    btnSavePdf = MakeButton(this, "btnSavePdf", QStringLiteral("Enregistrer en P&DF…"), QRect(240, 182, 232, 30));
    btnPrint = MakeButton(this, "btnPrint", QStringLiteral("Im&primer…"), QRect(240, 218, 232, 30));
    btnClose = MakeButton(this, "btnClose", QStringLiteral("&Fermer"), QRect(240, 262, 232, 30));
    connect(btnSavePdf, &QPushButton::clicked, this, TApplication::Handler(this, &BookletDialog::btnSavePdfClick));
    connect(btnPrint, &QPushButton::clicked, this, TApplication::Handler(this, &BookletDialog::btnPrintClick));
    connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);
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
        const int dots = chkDots->isChecked() ? pictures : 0;
        const int toColour = chkToColour->isChecked() ? pictures : 0;
        const int answers = chkAnswers->isChecked() ? AnswerPages(pictures) : 0;
        something = dots + toColour + answers > 0;
        QStringList parts;
        if (dots > 0)
            parts << QString::number(dots) + QStringLiteral(" à relier");
        if (toColour > 0)
            parts << QString::number(toColour) + QStringLiteral(" à colorier");
        if (answers > 0)
            parts << QString::number(answers) + QStringLiteral(" de solutions");
        summary = something ? QStringLiteral("La couverture et ") +
                                  Plural(dots + toColour + answers, QStringLiteral("une page"), QStringLiteral("pages")) +
                                  QStringLiteral(" (") + parts.join(QStringLiteral(", ")) +
                                  QStringLiteral("), sur papier ") + DefaultPaper().name() + QLatin1Char('.')
                            : QStringLiteral("Cochez un thème et les pages à y mettre.");
    }
    lblSummary->setText(summary);
    btnSavePdf->setEnabled(something);
    btnPrint->setEnabled(something);
}

PageDocument BookletDialog::MakeDocument() const
{
    const WaitCursor waiting;
    if (m_kind == Kind::Album)
        return MakeAlbum(ColouredPictures(ContentPlaces::Current(), CheckedThemes()));
    return MakeBooklet(ContentPlaces::Current(), CheckedThemes(),
                       {chkDots->isChecked(), chkToColour->isChecked(), chkAnswers->isChecked()});
}

QString BookletDialog::DocumentName() const
{
    QStringList names;
    for (const std::string& folder : CheckedThemes())
        names << DisplayString(folder);
    const QString what = names.size() <= 3 ? names.join(QStringLiteral(", "))
                                           : QString::number(names.size()) + QStringLiteral(" thèmes");
    return (m_kind == Kind::Booklet ? QStringLiteral("Cahier - ") : QStringLiteral("Album - ")) + what;
}

void BookletDialog::btnSavePdfClick()
{
    const QString path = m_dialogs.FileToWrite(this, QStringLiteral("Enregistrer en PDF"),
                                               DocumentName() + QStringLiteral(".pdf"),
                                               QStringLiteral("Documents PDF (*.pdf)"));
    if (path.isEmpty())
        return;
    MakeDocument().SaveAsPdf(path.toStdString(), DefaultPaper());
    lblSummary->setText(QStringLiteral("Enregistré dans ") + QDir::toNativeSeparators(path) + QLatin1Char('.'));
}

void BookletDialog::btnPrintClick()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(DefaultPaper());
    printer.setDocName(DocumentName());
    if (!m_dialogs.print(this, printer))
        return;
    MakeDocument().Print(printer);
}

}  // namespace vorlane
