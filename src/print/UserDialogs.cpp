#include "print/UserDialogs.h"

#include <QDialog>
#include <QFileDialog>
#include <QPrintDialog>
#include <QPrinter>

namespace vorlane {

UserDialogs UserDialogs::System()
{
    UserDialogs dialogs;
    dialogs.saveFile = [](QWidget* parent, const QString& caption, const QString& suggestedPath, const QString& filter) {
        return QFileDialog::getSaveFileName(parent, caption, suggestedPath, filter);
    };
    dialogs.print = [](QWidget* parent, QPrinter& printer) {
        QPrintDialog dialog(&printer, parent);
        dialog.setWindowTitle(QStringLiteral("Imprimer"));
        return dialog.exec() == QDialog::Accepted;
    };
    dialogs.run = [](QDialog& dialog) { dialog.exec(); };
    return dialogs;
}

}  // namespace vorlane
