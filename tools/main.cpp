// vorlane-content: writes the demo content and themes of one's own, and checks content packages.

#include "ContentChecker.h"
#include "DemoMaker.h"

#include "base/Errors.h"

#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

namespace {

int Usage()
{
    std::fputs("Usage :\n"
               "  vorlane-content make-demo DOSSIER [--apercu DOSSIER_PNG]\n"
               "      écrit l'apparence et les thèmes de démonstration dans DOSSIER/Apparences et DOSSIER/Themes\n"
               "  vorlane-content make-theme FICHIER.json DOSSIER [--apercu DOSSIER_PNG]\n"
               "      dessine le thème décrit par FICHIER.json et l'écrit dans DOSSIER/Themes, puis le vérifie\n"
               "  vorlane-content check DOSSIER\n"
               "      vérifie chaque thème et chaque apparence du dossier du programme DOSSIER\n",
               stderr);
    return 2;
}

// Prints "<package> : OK" or one line per fault; returns 1 when there are faults.
int Print(const std::vector<vorlane::PackageReport>& reports)
{
    bool faulty = false;
    for (const auto& report : reports) {
        if (report.faults.empty())
            std::printf("%s : OK\n", report.package.c_str());
        for (const std::string& fault : report.faults)
            std::printf("%s : %s\n", report.package.c_str(), fault.c_str());
        faulty = faulty || !report.faults.empty();
    }
    return faulty ? 1 : 0;
}

int Check(const char* programDir)
{
    const auto reports = vorlane::CheckProgramFolder(programDir);
    if (reports.empty()) {
        std::printf("%s : aucun thème ni aucune apparence (dossiers Themes/ et Apparences/)\n", programDir);
        return 1;
    }
    return Print(reports);
}

int MakeTheme(const char* dataFile, const char* programDir, const char* previewDir)
{
    const std::string folder = vorlane::MakeTheme(dataFile, programDir, previewDir);
    const std::string package = "Themes/" + std::filesystem::path(folder).filename().string();
    return Print({vorlane::CheckTheme(folder, package)});
}

// Qt's notice that it made up a runtime folder says nothing to a content author.
void QuietMessages(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (!message.startsWith(QLatin1String("QStandardPaths:")))
        std::fprintf(stderr, "%s\n", qPrintable(message));
    if (type == QtFatalMsg)
        std::abort();
}

}  // namespace

int main(int argc, char** argv)
{
    qInstallMessageHandler(QuietMessages);
    // Drawing text needs a GUI application, not a screen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    try {
        if (argc == 3 && std::strcmp(argv[1], "check") == 0)
            return Check(argv[2]);
        if (argc == 3 && std::strcmp(argv[1], "make-demo") == 0) {
            vorlane::MakeDemo(argv[2]);
            return 0;
        }
        if (argc == 5 && std::strcmp(argv[1], "make-demo") == 0 && std::strcmp(argv[3], "--apercu") == 0) {
            vorlane::MakeDemo(argv[2], argv[4]);
            return 0;
        }
        if (argc == 4 && std::strcmp(argv[1], "make-theme") == 0)
            return MakeTheme(argv[2], argv[3], "");
        if (argc == 6 && std::strcmp(argv[1], "make-theme") == 0 && std::strcmp(argv[4], "--apercu") == 0)
            return MakeTheme(argv[2], argv[3], argv[5]);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "vorlane-content : %s\n", error.what());
        return 2;
    }
    return Usage();
}
