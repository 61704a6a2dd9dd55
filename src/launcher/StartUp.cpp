#include "launcher/StartUp.h"

#include "app/TApplication.h"
#include "content/ContentPaths.h"
#include "content/ContentPlaces.h"
#include "content/GameSettings.h"
#include "game/TfrmPrincipale.h"
#include "launcher/Logo.h"
#include "launcher/SingleInstanceLock.h"
#include "launcher/TProgramme.h"
#include "launcher/TfrmAbout.h"
#include "print/TfrmImpression.h"

#include <QMessageBox>

#include <cstring>
#include <memory>

namespace vorlane {

namespace {

// Sets a program-wide window reference for as long as the window lives.
template <class Window>
class WindowReference {
public:
    WindowReference(Window*& reference, Window* window) : m_reference(reference) { m_reference = window; }
    WindowReference(const WindowReference&) = delete;
    WindowReference& operator=(const WindowReference&) = delete;
    ~WindowReference() { m_reference = nullptr; }

private:
    Window*& m_reference;
};

// What Qt is given of the command line: the program's name alone, so that
// Qt's own options (-reverse, -style, -platform...) mean nothing; only
// "debug" does, read before. Qt keeps both for the application's lifetime.
struct ProgramNameOnly {
    explicit ProgramNameOnly(char** commandLine)
        : argv{commandLine != nullptr && commandLine[0] != nullptr ? commandLine[0] : name, nullptr}
    {
    }
    char name[8] = "vorlane";
    int argc = 1;
    char* argv[2];
};

// A second copy says so and ends, before any window and without reading or
// writing the settings. Qt needs an application object for the box.
int RefuseSecondCopy(char** argv)
{
    ProgramNameOnly arguments(argv);
    QApplication application(arguments.argc, arguments.argv);
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Vorlane"), QStringLiteral("Ce logiciel est déjà chargé !"),
                    QMessageBox::Ok);
    box.exec();
    return 0;
}

}  // namespace

bool DebugSwitchGiven(int argc, const char* const* argv)
{
    return argc > 1 && std::strcmp(argv[1], "debug") == 0;
}

int RunProgram(int argc, char** argv)
{
    GameSettings.Langue = 0;
    if (DebugSwitchGiven(argc, argv))
        GameSettings.DebugMode = true;

    // Held until the process ends; the kernel drops it even after a crash.
    const SingleInstanceLock lock(SingleInstanceLock::LockFilePath(kSingleInstanceName));
    if (lock.GetState() == SingleInstanceLock::State::HeldElsewhere)
        return RefuseSecondCopy(argv);

    ProgramNameOnly arguments(argv);
    TApplication application(arguments.argc, arguments.argv);
    application.setWindowIcon(ApplicationIcon());
    // The launcher's closing ends the program, even with the help still open.
    application.setQuitOnLastWindowClosed(false);

    // Where the user's things are kept, before any window reads or writes
    // them: a shared program folder with no folder of the user's ends here.
    // What it moved there is told once the launcher shows.
    std::vector<std::string> moved;
    try {
        const std::string executable = ExecutablePath();
        moved = ContentPlaces::Settle(executable.substr(0, executable.find_last_of('/') + 1)).Moved();
    } catch (const EUserFolderError& error) {
        TApplication::ShowException(error);
        return 1;
    }

    // The windows in their fixed order. The about box and the print manager
    // belong to the launcher and open modally over it.
    const auto programme = std::make_unique<TProgramme>(ExecutablePath());
    const WindowReference programmeReference(Programme, programme.get());
    TApplication::Guarded([&] { programme->FormCreate(); });
    const WindowReference aboutReference(frmAbout, new TfrmAbout(programme.get()));
    const WindowReference impressionReference(frmImpression, new TfrmImpression(programme.get()));
    frmImpression->SetCatalogue(&programme->Catalogue());
    frmImpression->SetHighlightedTheme([launcher = programme.get()] { return launcher->HighlightedTheme(); });
    // Last, since it takes the display mode the launcher's creation settled;
    // a window of its own, shown while the launcher hides.
    const auto principale = std::make_unique<TfrmPrincipale>();
    const WindowReference principaleReference(frmPrincipale, principale.get());
    principale->SelectedAppearance = [launcher = programme.get()] { return launcher->SelectedAppearance(); };
    principale->ShowLauncher = [launcher = programme.get()] { launcher->show(); };
    principale->ShowError = [](const std::exception& error) { TApplication::ShowException(error); };

    programme->show();
    TApplication::TellMoved(moved, programme.get());
    return application.exec();
}

}  // namespace vorlane
