#pragma once

#include <QString>

#include <functional>

class QDialog;
class QPrinter;
class QWidget;

namespace vorlane {

// The dialogs a print manager action opens and waits on: the system's save
// and print dialogs, and windows of ours run modally. Tests answer them in
// their stead.
struct UserDialogs {
    // The file to write, chosen in the system's save dialog; empty when cancelled.
    std::function<QString(QWidget* parent, const QString& caption, const QString& suggestedPath, const QString& filter)>
        saveFile;
    // The system's print dialog over `printer` (printer, copies, both sides...); false when cancelled.
    std::function<bool(QWidget* parent, QPrinter& printer)> print;
    // Shows one of our windows modally until it closes.
    std::function<void(QDialog& dialog)> run;
    // Tells the user something done (where a file was saved, what was left
    // out) in a box titled "Vorlane" with its OK button.
    std::function<void(QWidget* parent, const QString& text)> inform;

    static UserDialogs System();

    // Asks saveFile for a file to write, suggesting `name` in the user's
    // documents folder (else the home folder); empty when cancelled.
    QString FileToWrite(QWidget* parent, const QString& caption, const QString& name, const QString& filter) const;
};

}  // namespace vorlane
