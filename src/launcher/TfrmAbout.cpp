#include "launcher/TfrmAbout.h"

#include "app/CentreOnScreen.h"
#include "app/TApplication.h"
#include "launcher/Logo.h"

#include <QDesktopServices>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace vorlane {

namespace {

QString Link(const QString& url, const QString& text)
{
    return QStringLiteral("<a href=\"%1\">%2</a>").arg(url.toHtmlEscaped(), text.toHtmlEscaped());
}

}  // namespace

TfrmAbout::TfrmAbout(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("A propos de Vorlane"));
    setModal(true);

    auto* logo = new QLabel(this);
    logo->setPixmap(LogoPicture());

    auto* nom = new QLabel(QStringLiteral("Vorlane"), this);
    QFont nomFont = nom->font();
    nomFont.setPointSize(18);
    nomFont.setBold(true);
    nom->setFont(nomFont);
    auto* version = new QLabel(QStringLiteral("Version 1.10"), this);
    auto* titles = new QVBoxLayout;
    titles->addWidget(nom);
    titles->addWidget(version);
    titles->addStretch();

    auto* description =
        new QLabel(QStringLiteral("Des points à relier dans l'ordre, puis un dessin à colorier :\n"
                                  "un jeu pour les jeunes enfants."),
                   this);

    const QString site = QString::fromLatin1(kSiteUrl);
    const QString courriel = QString::fromLatin1(kMailUrl);
    lblSite = new QLabel(Link(site, site), this);
    lblCourriel = new QLabel(Link(courriel, courriel.mid(courriel.indexOf(':') + 1)), this);
    auto* contact = new QGridLayout;
    contact->addWidget(new QLabel(QStringLiteral("Site internet :"), this), 0, 0);
    contact->addWidget(lblSite, 0, 1);
    contact->addWidget(new QLabel(QStringLiteral("Courriel :"), this), 1, 0);
    contact->addWidget(lblCourriel, 1, 1);
    contact->setColumnStretch(1, 1);
    for (QLabel* label : {lblSite, lblCourriel}) {
        label->setTextFormat(Qt::RichText);
        label->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
        connect(label, &QLabel::linkActivated, this, &TfrmAbout::LinkActivated);
    }

    btnOk = new QPushButton(QStringLiteral("&Ok"), this);
    btnOk->setDefault(true);
    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);

    auto* top = new QHBoxLayout;
    top->addWidget(logo);
    top->addSpacing(12);
    top->addLayout(titles);
    top->addStretch();
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(btnOk);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 12);
    layout->addLayout(top);
    layout->addSpacing(8);
    layout->addWidget(description);
    layout->addSpacing(8);
    layout->addLayout(contact);
    layout->addSpacing(8);
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    WatchForDragging(this);
}

void TfrmAbout::WatchForDragging(QWidget* widget)
{
    widget->installEventFilter(this);
    for (QWidget* child : widget->findChildren<QWidget*>())
        child->installEventFilter(this);
}

void TfrmAbout::LinkActivated(const QString& link)
{
    QDesktopServices::openUrl(QUrl(link));
}

void TfrmAbout::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    adjustSize();
    CentreOnScreen(*this, parentWidget());
}

void TfrmAbout::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    // Without a window frame the box needs an edge of its own.
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Shadow));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    painter.setPen(palette().color(QPalette::Light));
    painter.drawRect(rect().adjusted(1, 1, -2, -2));
}

void TfrmAbout::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1 && !event->isAutoRepeat()) {
        TApplication::HelpContents();
        return;
    }
    QDialog::keyReleaseEvent(event);
}

// Any point of the box drags it: a press followed by a move beyond the drag
// distance moves the window, and the release that ends a drag is swallowed so
// that it does not also follow a link or press the button.
bool TfrmAbout::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton) {
            m_pressed = true;
            m_dragging = false;
            m_pressPosition = mouse->globalPosition().toPoint();
            m_windowAtPress = pos();
        }
        break;
    }
    case QEvent::MouseMove: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (!m_pressed || !(mouse->buttons() & Qt::LeftButton))
            break;
        const QPoint moved = mouse->globalPosition().toPoint() - m_pressPosition;
        if (!m_dragging && moved.manhattanLength() >= QApplication::startDragDistance())
            m_dragging = true;
        if (m_dragging) {
            move(m_windowAtPress + moved);
            return true;
        }
        break;
    }
    case QEvent::MouseButtonRelease: {
        const bool wasDragging = m_dragging;
        m_pressed = false;
        m_dragging = false;
        if (wasDragging && watched != this) {
            // The child saw the press: let it forget it without acting on it.
            auto* widget = qobject_cast<QWidget*>(watched);
            if (widget != nullptr)
                widget->setAttribute(Qt::WA_UnderMouse, false);
            if (auto* button = qobject_cast<QPushButton*>(watched))
                button->setDown(false);
            return true;
        }
        if (wasDragging)
            return true;
        break;
    }
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace vorlane
