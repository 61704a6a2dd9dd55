// The launcher's window-level handlers and the buttons that open other windows.

#include "launcher/TProgramme.h"

#include "app/TApplication.h"
#include "launcher/TfrmAbout.h"
#include "print/TfrmImpression.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

namespace vorlane {

void TProgramme::ConnectHandlers()
{
    const auto on = [this](void (TProgramme::*handler)()) { return TApplication::Handler(this, handler); };
    connect(cBApparences, &QComboBox::activated, this, on(&TProgramme::cBApparencesChange));
    connect(chkSon, &QCheckBox::toggled, this, on(&TProgramme::chkSonClick));
    connect(chkHazard, &QCheckBox::toggled, this, on(&TProgramme::chkHazardClick));
    connect(cBAidePoint, &QComboBox::currentIndexChanged, this, on(&TProgramme::cBAidePointChange));
    connect(chkVoix, &QCheckBox::toggled, this, on(&TProgramme::chkVoixClick));
    // The selection, not the current row: focus alone moves the current row.
    connect(clbThemes->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            on(&TProgramme::clbThemesClick));
    // valueChanged and textChanged also fire on changes made by the handlers
    // themselves: the tolerance pair relies on that to keep the two in step.
    connect(ScrBTolerance, &QScrollBar::valueChanged, this, on(&TProgramme::ScrBToleranceChange));
    connect(EdTolerance, &QLineEdit::textChanged, this, on(&TProgramme::EdToleranceChange));
    clbThemes->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(clbThemes, &QListView::customContextMenuRequested, this, [this](const QPoint& position) {
        TApplication::Guarded([this, &position] { clbThemesContextMenu(position); });
    });
    connect(btnLancer, &QPushButton::clicked, this, on(&TProgramme::btnLancerClick));
    connect(btnUtilitaireImpression, &QPushButton::clicked, this,
            on(&TProgramme::btnUtilitaireImpressionClick));
    connect(btnAPropos, &QPushButton::clicked, this, on(&TProgramme::btnAProposClick));
    connect(btnAideProgramme, &QPushButton::clicked, this, on(&TProgramme::btnAideProgrammeClick));
    connect(btnQuitter, &QPushButton::clicked, this, on(&TProgramme::btnQuitterClick));
    // The window sees key releases before its controls do.
    qApp->installEventFilter(this);
}

void TProgramme::btnUtilitaireImpressionClick()
{
    if (frmImpression == nullptr)
        return;
    frmImpression->TreeViewRefresh();
    frmImpression->exec();
}

void TProgramme::btnAProposClick()
{
    if (frmAbout != nullptr)
        frmAbout->exec();
}

void TProgramme::btnAideProgrammeClick()
{
    TApplication::HelpContents();
}

void TProgramme::btnQuitterClick()
{
    close();
}

void TProgramme::FormKeyUp(int key)
{
    if (key == Qt::Key_F1)
        btnAideProgrammeClick();
}

// Brings an open modal window back to the front when the launcher is uncovered.
void TProgramme::FormPaint()
{
    for (QWidget* modal : {static_cast<QWidget*>(frmAbout), static_cast<QWidget*>(frmImpression)}) {
        if (modal != nullptr && modal->isVisible() && !modal->isActiveWindow()) {
            modal->raise();
            modal->activateWindow();
        }
    }
}

void TProgramme::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    FormPaint();
}

bool TProgramme::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyRelease) {
        auto* widget = qobject_cast<QWidget*>(watched);
        const auto* key = static_cast<QKeyEvent*>(event);
        if (widget != nullptr && widget->window() == this && !key->isAutoRepeat() && key->key() == Qt::Key_F1) {
            FormKeyUp(key->key());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TProgramme::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept();
    // Closing the launcher ends the program, whatever other window is open.
    QCoreApplication::quit();
}

}  // namespace vorlane
