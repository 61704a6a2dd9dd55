#include "atelier/ReopenDialog.h"

#include "authoring/ThemeWriter.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace vorlane {

ReopenDialog::ReopenDialog(const ContentPlaces& places, const std::string& theme, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , cBTheme(new QComboBox(this))
    , lbImages(new QListWidget(this))
{
    setWindowTitle(QStringLiteral("Vorlane - Rouvrir un dessin"));
    for (const std::string& name : ThemeNames(places)) {
        auto pictures = ReopenablePictures(places, name);
        if (pictures.empty())
            continue;
        cBTheme->addItem(QFile::decodeName(QByteArray::fromStdString(name)));
        m_themes.push_back({name, std::move(pictures)});
    }
    for (std::size_t i = 0; i < m_themes.size(); ++i)
        if (m_themes[i].theme == theme)
            cBTheme->setCurrentIndex(static_cast<int>(i));

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* open = buttons->addButton(QStringLiteral("&Ouvrir"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Annuler"), QDialogButtonBox::RejectRole);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Thème :"), this));
    layout->addWidget(cBTheme);
    layout->addWidget(new QLabel(QStringLiteral("Dessins faits dans l'atelier :"), this));
    layout->addWidget(lbImages);
    layout->addWidget(buttons);
    resize(340, 380);

    connect(cBTheme, &QComboBox::currentIndexChanged, this, &ReopenDialog::cBThemeChange);
    connect(lbImages, &QListWidget::currentRowChanged, this, [open](int row) { open->setEnabled(row >= 0); });
    connect(lbImages, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    cBThemeChange();
}

void ReopenDialog::cBThemeChange()
{
    lbImages->clear();
    const int theme = cBTheme->currentIndex();
    if (theme < 0)
        return;
    for (const auto& [number, name] : m_themes[static_cast<std::size_t>(theme)].pictures)
        lbImages->addItem(QStringLiteral("Image %1 : %2").arg(number, 2, 10, QLatin1Char('0'))
                              .arg(QString::fromStdString(name)));
    lbImages->setCurrentRow(0);
}

std::string ReopenDialog::Theme() const
{
    const int theme = cBTheme->currentIndex();
    return theme < 0 ? std::string() : m_themes[static_cast<std::size_t>(theme)].theme;
}

int ReopenDialog::Picture() const
{
    const int theme = cBTheme->currentIndex();
    const int row = lbImages->currentRow();
    if (theme < 0 || row < 0)
        return 0;
    return m_themes[static_cast<std::size_t>(theme)].pictures[static_cast<std::size_t>(row)].first;
}

}  // namespace vorlane
