// vorlane-content: writes the demo content and themes of one's own, and checks content packages.

#include "ContentChecker.h"
#include "DemoMaker.h"
#include "DotPicture.h"
#include "JudgedDots.h"
#include "PictureJudge.h"
#include "ThemeWriter.h"
#include "ThemeFiles.h"
#include "TracingBench.h"
#include "TracedDrawing.h"
#include "VoiceMaker.h"

#include "base/Errors.h"
#include "content/ContentPaths.h"
#include "content/ContentPlaces.h"
#include "content/ThemeDat.h"
#include "print/Booklet.h"
#include "print/Paper.h"

#include <QGuiApplication>
#include <QPageSize>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace {

int Usage()
{
    std::fputs("Usage :\n"
               "  vorlane-content make-demo DOSSIER [--apercu DOSSIER_PNG]\n"
               "      écrit l'apparence et les thèmes de démonstration dans DOSSIER/Apparences et DOSSIER/Themes\n"
               "  vorlane-content make-voice DOSSIER [--espeak PROGRAMME]\n"
               "      fait dire par espeak-ng chaque numéro et chaque lettre des thèmes et le nom de chaque\n"
               "      image de démonstration, et l'écrit dans DOSSIER/Voix\n"
               "  vorlane-content make-theme FICHIER.json DOSSIER [--apercu DOSSIER_PNG]\n"
               "      dessine le thème décrit par FICHIER.json et l'écrit dans DOSSIER/Themes, puis le vérifie\n"
               "  vorlane-content trace DESSIN DOSSIER --theme NOM [--points N] [--numeros 1|A|a|2|5|10]\n"
               "                        [--premier K] [--nom NOM] [--apercu DOSSIER_PNG]\n"
               "      fait du dessin DESSIN (SVG, PNG, JPEG, BMP, GIF, WebP) une image à points de plus du\n"
               "      thème NOM de DOSSIER/Themes (créé s'il n'existe pas), avec N points (de 5 à 60, 20 par\n"
               "      défaut) numérotés à partir de K, puis vérifie le thème\n"
               "      Quand DOSSIER est en lecture seule (/usr/lib/vorlane), make-theme et trace écrivent\n"
               "      dans le dossier de l'utilisateur, ~/.local/share/vorlane ; un thème de DOSSIER ne peut\n"
               "      pas y être changé, ni repris sous son nom, quelle que soit la casse des lettres\n"
               "  vorlane-content judge DOSSIER_DU_THEME\n"
               "      juge chaque image à points du thème et donne les mesures de chaque critère\n"
               "  vorlane-content check DOSSIER [--strict]\n"
               "      vérifie chaque thème et chaque apparence du dossier DOSSIER (celui du programme,\n"
               "      ou celui d'un utilisateur : sa progression sur les thèmes partagés n'est pas un thème),\n"
               "      et juge chaque image à points ; avec --strict, une image à revoir est une erreur\n"
               "  vorlane-content cahier DOSSIER --theme NOM [--theme NOM...] [--formes points,colorier,solutions]\n"
               "                         [--papier A4|Letter] SORTIE.pdf\n"
               "      fait de thèmes du dossier du programme DOSSIER un cahier à imprimer : une couverture, les\n"
               "      images à relier, les images à colorier et les solutions (toutes par défaut)\n"
               "  vorlane-content trace-corpus LISTE [--partie tuned|held-out] [--cinquieme] [--points N]\n"
               "                               [--apercu DOSSIER_PNG]\n"
               "      trace chaque dessin de la liste (tests/data/tracing/corpus.tsv, chemins sous\n"
               "      /usr/share/openclipart/svg), le juge et donne les totaux ; réussit quand 90 % des\n"
               "      dessins au moins font une bonne image et que chacun des autres est dit « à revoir »\n",
               stderr);
    return 2;
}

// What becomes of the pages the picture judge finds doubtful.
enum class Doubtful { Warned, Faulty, Unsaid };

// Prints "<package> : OK" or one line per fault and warning; returns 1 when
// there are faults.
int Print(const std::vector<vorlane::PackageReport>& reports, Doubtful doubtful = Doubtful::Warned)
{
    bool faulty = false;
    for (const auto& report : reports) {
        const bool warned = doubtful != Doubtful::Unsaid && !report.warnings.empty();
        if (report.faults.empty() && !warned)
            std::printf("%s : OK\n", report.package.c_str());
        for (const std::string& fault : report.faults)
            std::printf("%s : %s\n", report.package.c_str(), fault.c_str());
        for (const std::string& warning : warned ? report.warnings : std::vector<std::string>{})
            std::printf("%s : %s%s\n", report.package.c_str(), doubtful == Doubtful::Faulty ? "" : "avertissement : ",
                        warning.c_str());
        faulty = faulty || !report.faults.empty() || (doubtful == Doubtful::Faulty && warned);
    }
    return faulty ? 1 : 0;
}

int Check(const char* programDir, Doubtful doubtful)
{
    const auto reports = vorlane::CheckProgramFolder(programDir);
    if (reports.empty()) {
        // A user's folder holding only their progress on the shared themes has nothing amiss.
        std::error_code error;
        const bool folders = std::filesystem::is_directory(std::filesystem::path(programDir) / "Themes", error) ||
                             std::filesystem::is_directory(std::filesystem::path(programDir) / "Apparences", error);
        std::printf("%s : aucun thème ni aucune apparence%s\n", programDir,
                    folders ? " à vérifier" : " (dossiers Themes/ et Apparences/)");
        return folders ? 0 : 1;
    }
    return Print(reports, doubtful);
}

// Each picture of a theme folder with the judge's figures: what a content
// author looks at to see how far a page is from good.
int Judge(const char* themeFolder)
{
    const std::filesystem::path folder(themeFolder);
    const int pictures = vorlane::ThemeDat(vorlane::ResolveContentFile((folder / "theme.dat").string())).NombreImages();
    if (pictures < 1) {
        std::printf("%s : aucune image\n", themeFolder);
        return 1;
    }
    bool doubtful = false;
    for (int picture = 1; picture <= pictures; ++picture) {
        const vorlane::PageVerdict verdict = vorlane::PictureJudge::JudgeThemePicture(folder.string(), picture);
        std::printf("%s : écart %.1f %%, numéros %g, faux points %g, trait %g, rayon %.1f, numéros de %.0f px, "
                    "contour montré %.0f %%, %d morceau(x)\n  %s\n",
                    vorlane::ImageSection(static_cast<std::uint32_t>(picture)).c_str(),
                    verdict[vorlane::Criterion::Similarity].figure, verdict[vorlane::Criterion::Labels].figure,
                    verdict[vorlane::Criterion::LookAlikes].figure, verdict[vorlane::Criterion::CleanPath].figure,
                    verdict.dotRadius, verdict.labelHeight, 100 * verdict.shownOutline, verdict.pieces,
                    verdict.Line().c_str());
        doubtful = doubtful || !verdict.Good();
    }
    return doubtful ? 1 : 0;
}

// The places of a folder given on the command line, made the program's; what
// the first start of this version moved in the user's folder is told once.
const vorlane::ContentPlaces& Settled(const std::string& programDir)
{
    const vorlane::ContentPlaces& places = vorlane::ContentPlaces::Settle(programDir);
    for (const std::string& moved : places.Moved())
        std::printf("vorlane-content : %s\n", moved.c_str());
    return places;
}

// A program folder this user may not write sends the theme to their own folder.
int MakeTheme(const char* dataFile, const char* programDir, const char* previewDir)
{
    const std::string folder = vorlane::MakeTheme(dataFile, Settled(programDir), previewDir);
    const std::string package = "Themes/" + std::filesystem::path(folder).filename().string();
    return Print({vorlane::CheckTheme(folder, package)});
}

struct TraceRequest {
    std::string drawing, programDir, theme, name, previewDir;
    vorlane::DotOptions options;
};

// Reads the options of "trace"; an empty answer is a usage fault, told on stderr.
std::optional<TraceRequest> ParseTrace(int argc, char** argv)
{
    if (argc < 4)
        return std::nullopt;
    TraceRequest request{argv[2], argv[3], {}, {}, {}, {}};
    const auto number = [](const char* text, int lowest, int highest) -> std::optional<int> {
        char* end = nullptr;
        const long value = std::strtol(text, &end, 10);
        if (*text == '\0' || *end != '\0' || value < lowest || value > highest)
            return std::nullopt;
        return static_cast<int>(value);
    };
    for (int i = 4; i < argc; i += 2) {
        if (i + 1 >= argc)
            return std::nullopt;
        const std::string option = argv[i];
        const char* value = argv[i + 1];
        if (option == "--theme") {
            request.theme = value;
        } else if (option == "--nom") {
            request.name = value;
        } else if (option == "--apercu") {
            request.previewDir = value;
        } else if (option == "--points") {
            const auto count = number(value, vorlane::kFewestDots, vorlane::kMostDots);
            if (!count) {
                std::fprintf(stderr, "vorlane-content : --points %s : il faut un nombre de %d à %d\n", value,
                             vorlane::kFewestDots, vorlane::kMostDots);
                return std::nullopt;
            }
            request.options.count = *count;
        } else if (option == "--premier") {
            const auto first = number(value, -100000, 100000);
            if (!first)
                return std::nullopt;
            request.options.firstNumber = *first;
        } else if (option == "--numeros") {
            const auto style = vorlane::LabelStyleNamed(QString::fromLocal8Bit(value));
            if (!style)
                return std::nullopt;
            request.options.style = *style;
        } else {
            return std::nullopt;
        }
    }
    if (request.theme.empty())
        return std::nullopt;
    const bool letters = request.options.style == vorlane::LabelStyle::UpperLetters ||
                         request.options.style == vorlane::LabelStyle::LowerLetters;
    if (letters && request.options.count > vorlane::kMostLetterDots) {
        std::fprintf(stderr, "vorlane-content : avec des lettres, %d points au plus\n", vorlane::kMostLetterDots);
        return std::nullopt;
    }
    if (request.name.empty())
        request.name = std::filesystem::path(request.drawing).stem().string();
    return request;
}

// Appends the drawing to the theme and prints the checker's verdict. A drawing
// that cannot be traced is told in French and leaves everything as it was.
int Trace(const TraceRequest& request)
{
    // A shared theme's name is refused before the drawing is traced.
    const vorlane::ContentPlaces& places = Settled(request.programDir);
    if (const std::string refusal = vorlane::ThemeNameRefusal(places, request.theme); !refusal.empty()) {
        std::fprintf(stderr, "vorlane-content : %s\n", refusal.c_str());
        return 1;
    }
    vorlane::TracedDrawing drawing;
    try {
        drawing = vorlane::TracedDrawing::FromFile(QString::fromStdString(request.drawing));
    } catch (const vorlane::EVorlaneError& error) {
        std::fprintf(stderr, "vorlane-content : %s\n", error.what());
        return 1;
    }
    const std::vector<vorlane::Dot> dots = vorlane::JudgedDots::Place(drawing, request.options).dots;
    const int picture = vorlane::AddPictureToTheme(places, request.theme, request.name, drawing, dots, request.options);
    if (!request.previewDir.empty()) {
        const std::string stem = vorlane::MakeFolder(request.previewDir) + "/" + request.theme + "-" +
                                 vorlane::NumberText(static_cast<std::uint32_t>(picture));
        vorlane::DrawDotsPicture(drawing, dots, request.options).save(QString::fromStdString(stem + "-points.png"));
        drawing.PictureToColour().save(QString::fromStdString(stem + "-image.png"));
    }
    const std::filesystem::path folder = std::filesystem::path(places.UserThemePath(request.theme)).parent_path();
    std::printf("%s : image %d, %zu points\n", request.drawing.c_str(), picture, dots.size());
    std::printf("%s\n", vorlane::PictureJudge::JudgeThemePicture(folder.string(), picture).Line().c_str());
    return Print({vorlane::CheckTheme(folder.string(), "Themes/" + folder.filename().string())}, Doubtful::Unsaid);
}

struct BookletRequest {
    std::string programDir, output;
    std::vector<std::string> themes;
    vorlane::BookletForms forms;
    std::optional<QPageSize> paper;
};

// Reads the options of "cahier"; an empty answer is a usage fault, told on stderr.
std::optional<BookletRequest> ParseBooklet(int argc, char** argv)
{
    if (argc < 4)
        return std::nullopt;
    BookletRequest request{argv[2], argv[argc - 1], {}, {}, {}};
    for (int i = 3; i + 1 < argc; i += 2) {
        if (i + 2 >= argc)
            return std::nullopt;
        const std::string option = argv[i];
        const std::string value = argv[i + 1];
        if (option == "--theme") {
            request.themes.push_back(value);
        } else if (option == "--formes") {
            if (!vorlane::ParseBookletForms(value, request.forms)) {
                std::fprintf(stderr, "vorlane-content : --formes %s : points, colorier ou solutions, séparés par des virgules\n",
                             value.c_str());
                return std::nullopt;
            }
        } else if (option == "--papier" && (value == "A4" || value == "Letter")) {
            request.paper = QPageSize(value == "A4" ? QPageSize::A4 : QPageSize::Letter);
        } else {
            return std::nullopt;
        }
    }
    if (request.themes.empty())
        return std::nullopt;
    return request;
}

// Writes the booklet; a theme that is not in the program folder is told in French.
// Only reads the program folder (and, when it is shared, the user's own).
int Booklet(const BookletRequest& request)
{
    const vorlane::ContentPlaces places(request.programDir);
    const std::vector<std::string> installed = places.ThemeNames();
    for (const std::string& theme : request.themes) {
        if (std::find(installed.begin(), installed.end(), theme) == installed.end()) {
            std::fprintf(stderr, "vorlane-content : pas de thème « %s » dans %s/Themes\n", theme.c_str(),
                         request.programDir.c_str());
            return 1;
        }
    }
    const vorlane::PageDocument booklet = vorlane::MakeBooklet(places, request.themes, request.forms);
    booklet.SaveAsPdf(request.output, request.paper.value_or(vorlane::DefaultPaper()));
    std::printf("%s : %d pages\n", request.output.c_str(), booklet.PageCount());
    return 0;
}

// Reads the options of "trace-corpus" and measures the tracer on the corpus.
int TraceCorpus(int argc, char** argv)
{
    if (argc < 3)
        return Usage();
    vorlane::CorpusPart which;
    int dots = 20;
    std::string previewDir;
    for (int i = 3; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--cinquieme") {
            which.fifth = true;
        } else if (i + 1 < argc && option == "--partie") {
            which.part = argv[++i];
        } else if (i + 1 < argc && option == "--apercu") {
            previewDir = argv[++i];
        } else if (i + 1 < argc && option == "--points") {
            dots = std::atoi(argv[++i]);
            if (dots < vorlane::kFewestDots || dots > vorlane::kMostDots)
                return Usage();
        } else {
            return Usage();
        }
    }
    return vorlane::MeasureTracing(argv[2], "/usr/share/openclipart/svg", which, dots, previewDir, stdout);
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
        if (argc >= 2 && std::strcmp(argv[1], "trace") == 0) {
            const auto request = ParseTrace(argc, argv);
            return request ? Trace(*request) : Usage();
        }
        if (argc == 3 && std::strcmp(argv[1], "judge") == 0)
            return Judge(argv[2]);
        if (argc >= 2 && std::strcmp(argv[1], "cahier") == 0) {
            const auto request = ParseBooklet(argc, argv);
            return request ? Booklet(*request) : Usage();
        }
        if (argc >= 2 && std::strcmp(argv[1], "trace-corpus") == 0)
            return TraceCorpus(argc, argv);
        if (argc == 3 && std::strcmp(argv[1], "check") == 0)
            return Check(argv[2], Doubtful::Warned);
        if (argc == 4 && std::strcmp(argv[1], "check") == 0 && std::strcmp(argv[3], "--strict") == 0)
            return Check(argv[2], Doubtful::Faulty);
        if (argc == 3 && std::strcmp(argv[1], "make-demo") == 0) {
            vorlane::MakeDemo(argv[2]);
            return 0;
        }
        if (argc == 5 && std::strcmp(argv[1], "make-demo") == 0 && std::strcmp(argv[3], "--apercu") == 0) {
            vorlane::MakeDemo(argv[2], argv[4]);
            return 0;
        }
        if (argc == 3 && std::strcmp(argv[1], "make-voice") == 0) {
            vorlane::MakeVoice(argv[2]);
            return 0;
        }
        if (argc == 5 && std::strcmp(argv[1], "make-voice") == 0 && std::strcmp(argv[3], "--espeak") == 0) {
            vorlane::MakeVoice(argv[2], argv[4]);
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
