#include "print/UserDialogs.h"

#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QStandardPaths>

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
        // Printing into a file would suggest the name of the PDF just saved,
        // and replace it: "Enregistrer en PDF" is there for files.
        dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
        return dialog.exec() == QDialog::Accepted;
    };
    dialogs.run = [](QDialog& dialog) { dialog.exec(); };
    dialogs.inform = [](QWidget* parent, const QString& text) {
        QMessageBox box(QMessageBox::Information, QStringLiteral("Vorlane"), text, QMessageBox::Ok, parent);
        box.exec();
    };
    return dialogs;
}

QString UserDialogs::FileToWrite(QWidget* parent, const QString& caption, const QString& name,
                                 const QString& filter) const
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QDir::homePath();
    return saveFile(parent, caption, folder + QLatin1Char('/') + name, filter);
}

}  // namespace vorlane
