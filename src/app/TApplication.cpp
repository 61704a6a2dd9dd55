#include "app/TApplication.h"

#include "app/TfrmAide.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTimer>

namespace vorlane {

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    // The title the desktop shows for the program. Not the display name: Qt
    // would add it to every window title, the launcher's debug title included.
    setApplicationName(QStringLiteral("Vorlane"));
    // Qt's own texts (the file and print dialogs, the edit boxes' menus) in
    // French when the system has Qt's translations.
    if (m_qtTexts.load(QLocale(QLocale::French), QStringLiteral("qtbase"), QStringLiteral("_"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(&m_qtTexts);
    // Asked first, being installed last.
    installTranslator(&m_missingQtTexts);
}

TApplication::~TApplication() = default;

bool TApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ShowException(error);
    } catch (...) {
        ShowException(UnknownErrorText());
    }
    return false;
}

void TApplication::ShowException(const std::exception& error)
{
    ShowException(QString::fromUtf8(error.what()));
}

void TApplication::ShowException(const QString& message)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Vorlane"), message, QMessageBox::Ok);
    box.exec();
}

void TApplication::TellMoved(const std::vector<std::string>& moved, QWidget* over)
{
    if (moved.empty())
        return;
    QStringList lines;
    for (const std::string& line : moved)
        lines << QString::fromStdString(line);
    QTimer::singleShot(0, over, [over, text = lines.join(QStringLiteral("\n\n"))] {
        QMessageBox box(QMessageBox::Information, QStringLiteral("Vorlane"), text, QMessageBox::Ok, over);
        box.exec();
    });
}

QString TApplication::UnknownErrorText()
{
    return QStringLiteral("Erreur inattendue.");
}

TApplication* TApplication::Instance()
{
    return qobject_cast<TApplication*>(QCoreApplication::instance());
}

void TApplication::SetHelpFile(const QString& path)
{
    if (TApplication* application = Instance())
        application->m_helpFile = path;
}

QString TApplication::HelpFile()
{
    TApplication* application = Instance();
    return application != nullptr ? application->m_helpFile : QString();
}

void TApplication::HelpContents()
{
    TApplication* application = Instance();
    if (application == nullptr)
        return;
    if (!application->m_help)
        application->m_help = std::make_unique<TfrmAide>();
    application->m_help->ShowContents(application->m_helpFile);
}

}  // namespace vorlane
