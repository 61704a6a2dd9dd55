// vorlane-content: writes the demo content and themes of one's own, checks
// content packages and makes booklets. Options may stand before or after
// the folders of every command; every message is French and names the file
// and the reason.

#include "Arguments.h"
#include "ContentChecker.h"
#include "DemoMaker.h"
#include "DotPicture.h"
#include "JudgedDots.h"
#include "PictureJudge.h"
#include "ThemeFiles.h"
#include "ThemeWriter.h"
#include "TracedDrawing.h"
#include "TracingBench.h"
#include "VoiceMaker.h"

#include "base/Errors.h"
#include "content/AsciiCase.h"
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

struct Command {
    const char* name;
    const char* usage;
};

const Command kCommands[] = {
    {"make-demo",
     "  vorlane-content make-demo DOSSIER [--apercu DOSSIER_PNG]\n"
     "      écrit l'apparence et les thèmes de démonstration dans DOSSIER/Apparences et DOSSIER/Themes\n"},
    {"make-voice",
     "  vorlane-content make-voice DOSSIER [--espeak PROGRAMME]\n"
     "      fait dire par espeak-ng chaque numéro et chaque lettre des thèmes et le nom de chaque\n"
     "      image de démonstration, et l'écrit dans DOSSIER/Voix\n"},
    {"make-theme",
     "  vorlane-content make-theme FICHIER.json DOSSIER [--apercu DOSSIER_PNG]\n"
     "      dessine le thème décrit par FICHIER.json et l'écrit dans DOSSIER/Themes, chaque image\n"
     "      sous son nom (« name »), puis le vérifie\n"},
    {"trace",
     "  vorlane-content trace DESSIN DOSSIER --theme NOM [--points N] [--numeros 1|A|a|2|5|10]\n"
     "                        [--premier K] [--nom NOM] [--apercu DOSSIER_PNG]\n"
     "      fait du dessin DESSIN (SVG, PNG, JPEG, BMP, GIF, WebP) une image à points de plus du\n"
     "      thème NOM de DOSSIER/Themes (créé s'il n'existe pas), avec N points (de 5 à 60, 20 par\n"
     "      défaut) numérotés à partir de K, puis vérifie le thème\n"
     "      Quand DOSSIER est en lecture seule (/usr/lib/vorlane), make-theme et trace écrivent\n"
     "      dans le dossier de l'utilisateur, ~/.local/share/vorlane ; un thème de DOSSIER ne peut\n"
     "      pas y être changé, ni repris sous son nom, quelle que soit la casse des lettres\n"},
    {"judge",
     "  vorlane-content judge DOSSIER_DU_THEME\n"
     "      juge chaque image à points du thème et donne les mesures de chaque critère\n"},
    {"check",
     "  vorlane-content check DOSSIER [--strict]\n"
     "      vérifie chaque thème et chaque apparence du dossier DOSSIER (celui du programme,\n"
     "      ou celui d'un utilisateur : sa progression sur les thèmes partagés n'est pas un thème),\n"
     "      et juge chaque image à points ; avec --strict, une image à revoir est une erreur\n"},
    {"cahier",
     "  vorlane-content cahier DOSSIER --theme NOM [--theme NOM...] [--cahier points|coloriage]\n"
     "                         [--solutions fin|a-part|aucune] [--mise-en-page paysage|portrait|livret]\n"
     "                         [--papier A4|Letter] SORTIE.pdf\n"
     "      fait de thèmes du dossier du programme DOSSIER un cahier à imprimer : une couverture, les\n"
     "      images à relier de la plus facile à la plus difficile et les solutions en petit à la fin\n"
     "      (à part : SORTIE - solutions.pdf), ou un cahier de coloriage ; une image par feuille, ou un\n"
     "      livret plié A5 (demi-Letter) à imprimer recto verso\n"},
    {"trace-corpus",
     "  vorlane-content trace-corpus LISTE [--partie tuned|held-out] [--cinquieme] [--points N]\n"
     "                               [--apercu DOSSIER_PNG]\n"
     "      trace chaque dessin de la liste (tests/data/tracing/corpus.tsv, chemins sous\n"
     "      /usr/share/openclipart/svg) avec le nombre de points que l'atelier propose pour lui,\n"
     "      ou N points, le juge et donne les totaux ; réussit quand 9 % des dessins au moins font\n"
     "      une bonne image et que chacun des autres est dit « à revoir »\n"},
};

// The usage of every command, or of the one named.
int Usage(const char* command = nullptr)
{
    std::fputs("Usage :\n", stderr);
    for (const Command& known : kCommands) {
        if (command == nullptr || std::strcmp(command, known.name) == 0)
            std::fputs(known.usage, stderr);
    }
    return 2;
}

// What a refused write says: the write error's own message and, when the system said
// why, its reason in French.
std::string Said(const std::exception& error)
{
    std::string said = error.what();
    if (const auto* refused = dynamic_cast<const vorlane::EWriteError*>(&error);
        refused != nullptr && refused->SystemError() != 0)
        said += " : " + vorlane::FrenchSystemError(refused->SystemError());
    return said;
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

int Check(const std::string& programDir, Doubtful doubtful)
{
    const auto reports = vorlane::CheckProgramFolder(programDir);
    if (reports.empty()) {
        // A user's folder holding only their progress on the shared themes has nothing amiss.
        std::error_code error;
        const bool folders = std::filesystem::is_directory(std::filesystem::path(programDir) / "Themes", error) ||
                             std::filesystem::is_directory(std::filesystem::path(programDir) / "Apparences", error);
        std::printf("%s : aucun thème ni aucune apparence%s\n", programDir.c_str(),
                    folders ? " à vérifier" : " (dossiers Themes/ et Apparences/)");
        return folders ? 0 : 1;
    }
    return Print(reports, doubtful);
}

// Each picture of a theme folder with the judge's figures: what a content
// author looks at to see how far a page is from good.
int Judge(const std::string& themeFolder)
{
    const std::filesystem::path folder(themeFolder);
    const int pictures = vorlane::ThemeDat(vorlane::ResolveContentFile((folder / "theme.dat").string())).NombreImages();
    if (pictures < 1) {
        std::printf("%s : aucune image\n", themeFolder.c_str());
        return 1;
    }
    bool doubtful = false;
    for (int picture = 1; picture <= pictures; ++picture) {
        const vorlane::PageVerdict verdict = vorlane::PictureJudge::JudgeThemePicture(folder.string(), picture);
        std::printf("%s : écart %.1f %%, numéros %g, faux points %g, trait %g, hors contour %g, partie perdue %.0f px, "
                    "fentes %g, rayon %.1f, numéros de %.0f px, contour montré %.0f %% (le long du trait %.0f %%), %d morceau(x), doublé %.0f %%, fouillis %.2f\n  %s\n",
                    vorlane::ImageSection(static_cast<std::uint32_t>(picture)).c_str(),
                    verdict[vorlane::Criterion::Similarity].figure, verdict[vorlane::Criterion::Labels].figure,
                    verdict[vorlane::Criterion::LookAlikes].figure, verdict[vorlane::Criterion::CleanPath].figure,
                    verdict[vorlane::Criterion::OnOutline].figure, verdict[vorlane::Criterion::Parts].figure,
                    verdict[vorlane::Criterion::Colouring].figure, verdict.dotRadius, verdict.labelHeight,
                    100 * verdict.shownOutline, 100 * verdict[vorlane::Criterion::GivenAway].figure, verdict.pieces,
                    100 * verdict.alongside, verdict.clutter, verdict.Line().c_str());
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
int MakeTheme(const std::string& dataFile, const std::string& programDir, const std::string& previewDir)
{
    const std::string folder = vorlane::MakeTheme(dataFile, Settled(programDir), previewDir);
    const std::string package = "Themes/" + std::filesystem::path(folder).filename().string();
    return Print({vorlane::CheckTheme(folder, package)});
}

// Appends the drawing to the theme and prints the checker's verdict. A drawing
// that cannot be traced is told in French and leaves everything as it was.
int Trace(const vorlane::Arguments& arguments)
{
    const std::string drawingFile = arguments.Positional()[0];
    const std::string programDir = arguments.Positional()[1];
    const std::optional<std::string> theme = arguments.Value("--theme");
    if (!theme || theme->empty())
        throw vorlane::EUsageError("--theme : le thème où ajouter l'image est à donner");
    vorlane::DotOptions options;
    options.count = arguments.Number("--points", vorlane::kFewestDots, vorlane::kMostDots, options.count);
    options.firstNumber = arguments.Number("--premier", -100000, 100000, options.firstNumber);
    options.style = *vorlane::LabelStyleNamed(QString::fromStdString(
        arguments.Choice("--numeros", {"1", "A", "a", "2", "5", "10"}, vorlane::LabelStyleName(options.style).toStdString())));
    const bool letters =
        options.style == vorlane::LabelStyle::UpperLetters || options.style == vorlane::LabelStyle::LowerLetters;
    if (letters && options.count > vorlane::kMostLetterDots)
        throw vorlane::EUsageError("--points " + std::to_string(options.count) + " : avec des lettres, " +
                                   std::to_string(vorlane::kMostLetterDots) + " points au plus");
    const std::string name =
        arguments.Value("--nom").value_or(std::filesystem::path(drawingFile).stem().string());
    const std::string previewDir = arguments.Value("--apercu").value_or("");

    // A shared theme's name is refused before the drawing is traced.
    const vorlane::ContentPlaces& places = Settled(programDir);
    if (const std::string refusal = vorlane::ThemeNameRefusal(places, *theme); !refusal.empty()) {
        std::fprintf(stderr, "vorlane-content : %s\n", refusal.c_str());
        return 1;
    }
    vorlane::TracedDrawing drawing;
    try {
        drawing = vorlane::TracedDrawing::FromFile(QString::fromStdString(drawingFile));
    } catch (const vorlane::EVorlaneError& error) {
        std::fprintf(stderr, "vorlane-content : %s\n", error.what());
        return 1;
    }
    const std::vector<vorlane::Dot> dots = vorlane::JudgedDots::Place(drawing, options).dots;
    const int picture = vorlane::AddPictureToTheme(places, *theme, name, drawing, dots, options);
    if (!previewDir.empty()) {
        const std::string stem = vorlane::MakeFolder(previewDir) + "/" + *theme + "-" +
                                 vorlane::NumberText(static_cast<std::uint32_t>(picture));
        vorlane::DrawDotsPicture(drawing, dots, options).save(QString::fromStdString(stem + "-points.png"));
        drawing.PictureToColour().save(QString::fromStdString(stem + "-image.png"));
    }
    const std::filesystem::path folder = std::filesystem::path(places.UserThemePath(*theme)).parent_path();
    std::printf("%s : image %d, %zu points\n", drawingFile.c_str(), picture, dots.size());
    std::printf("%s\n", vorlane::PictureJudge::JudgeThemePicture(folder.string(), picture).Line().c_str());
    return Print({vorlane::CheckTheme(folder.string(), "Themes/" + folder.filename().string())}, Doubtful::Unsaid);
}

// Why `path` cannot take the booklet, before any work is done; empty when it can.
std::string OutputRefusal(const std::string& path)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path output(path);
    if (fs::is_directory(output, error))
        return "c'est un dossier";
    const fs::path folder = output.has_parent_path() ? output.parent_path() : fs::path(".");
    if (!fs::exists(folder, error))
        return "le dossier " + folder.string() + " n'existe pas";
    if (!fs::is_directory(folder, error))
        return folder.string() + " n'est pas un dossier";
    return {};
}

// Writes the booklet of the themes named, in any letter case, each once. A
// theme that is not in the program folder is told with those that are; a
// picture that cannot be read is left out of the booklet and told at the end
// (exit status 1, the booklet written all the same).
int Booklet(const vorlane::Arguments& arguments)
{
    const std::string programDir = arguments.Positional()[0];
    const std::string output = arguments.Positional()[1];
    vorlane::BookletOptions options;
    options.kind = arguments.Choice("--cahier", {"points", "coloriage"}, "points") == "coloriage"
                       ? vorlane::BookletOptions::Kind::Colouring
                       : vorlane::BookletOptions::Kind::Dots;
    const std::string answers = arguments.Choice("--solutions", {"fin", "a-part", "aucune"}, "fin");
    options.answers = answers == "a-part"   ? vorlane::BookletOptions::Answers::Apart
                      : answers == "aucune" ? vorlane::BookletOptions::Answers::None
                                            : vorlane::BookletOptions::Answers::AtEnd;
    const std::string layout = arguments.Choice("--mise-en-page", {"paysage", "portrait", "livret"}, "paysage");
    options.layout = layout == "portrait" ? vorlane::BookletOptions::Layout::Portrait
                     : layout == "livret" ? vorlane::BookletOptions::Layout::FoldedBook
                                          : vorlane::BookletOptions::Layout::Landscape;
    const std::string paperName = arguments.Choice("--papier", {"A4", "Letter"}, "");
    const QPageSize paper = paperName.empty()    ? vorlane::DefaultPaper()
                            : paperName == "A4" ? QPageSize(QPageSize::A4)
                                                : QPageSize(QPageSize::Letter);
    if (arguments.Values("--theme").empty())
        throw vorlane::EUsageError("--theme : au moins un thème est à donner");

    // Only reads the program folder (and, when it is shared, the user's own).
    const vorlane::ContentPlaces places(programDir);
    const std::vector<std::string> installed = places.ThemeNames();
    std::vector<std::string> themes;
    for (const std::string& asked : arguments.Values("--theme")) {
        const auto found = std::find_if(installed.begin(), installed.end(), [&](const std::string& theme) {
            return theme == asked;
        });
        const auto folded = found != installed.end()
                                ? found
                                : std::find_if(installed.begin(), installed.end(), [&](const std::string& theme) {
                                      return vorlane::EqualsIgnoringCase(theme, asked);
                                  });
        if (folded == installed.end()) {
            std::vector<std::string> sorted = installed;
            std::sort(sorted.begin(), sorted.end());
            std::string list;
            for (const std::string& theme : sorted)
                list += (list.empty() ? "" : ", ") + theme;
            std::fprintf(stderr, "vorlane-content : pas de thème « %s » dans %s/Themes ; %s\n", asked.c_str(),
                         programDir.c_str(),
                         installed.empty() ? "ce dossier n'en a aucun" : ("les thèmes sont : " + list).c_str());
            return 1;
        }
        if (std::find(themes.begin(), themes.end(), *folded) == themes.end())
            themes.push_back(*folded);
    }
    const std::string answersOutput =
        (output.size() > 4 && vorlane::EqualsIgnoringCase(output.substr(output.size() - 4), ".pdf") ? output.substr(0, output.size() - 4)
                                                                                            : output) +
        " - solutions.pdf";
    for (const std::string& path : {output, answersOutput}) {
        if (const std::string refusal = OutputRefusal(path); !refusal.empty()) {
            std::fprintf(stderr, "vorlane-content : Impossible d'écrire dans %s : %s\n", path.c_str(), refusal.c_str());
            return 1;
        }
        if (options.answers != vorlane::BookletOptions::Answers::Apart)
            break;
    }

    const std::optional<vorlane::Booklet> booklet = vorlane::MakeBooklet(places, themes, options);
    booklet->pages.SaveAsPdf(output, paper);
    std::printf("%s : %d pages\n", output.c_str(), booklet->pages.PageCount());
    if (booklet->answers) {
        booklet->answers->SaveAsPdf(answersOutput, paper);
        std::printf("%s : %d pages de solutions\n", answersOutput.c_str(), booklet->answers->PageCount());
    }
    if (options.layout == vorlane::BookletOptions::Layout::FoldedBook)
        std::printf("Livret de %d feuilles : imprimez-le recto verso, retournement sur le bord court, puis pliez la "
                    "pile en deux et agrafez-la au pli.\n",
                    booklet->pages.SideCount() / 2);
    for (const std::string& line : booklet->leftOut)
        std::fprintf(stderr, "vorlane-content : image laissée de côté : %s\n", line.c_str());
    return booklet->leftOut.empty() ? 0 : 1;
}

// Measures the tracer on the corpus.
int TraceCorpus(const vorlane::Arguments& arguments)
{
    vorlane::CorpusPart which;
    which.fifth = arguments.Has("--cinquieme");
    which.part = arguments.Choice("--partie", {"tuned", "held-out"}, "");
    std::optional<int> dots;
    if (arguments.Value("--points"))
        dots = arguments.Number("--points", vorlane::kFewestDots, vorlane::kMostDots, 0);
    return vorlane::MeasureTracing(arguments.Positional()[0], "/usr/share/openclipart/svg", which, dots,
                                   arguments.Value("--apercu").value_or(""), stdout);
}

int Run(int argc, char** argv)
{
    using vorlane::Arguments;
    const std::string command = argv[1];
    if (command == "make-demo") {
        const Arguments arguments(argc, argv, 2, {"--apercu"}, {}, 1, 1);
        vorlane::MakeDemo(arguments.Positional()[0], arguments.Value("--apercu").value_or(""));
        return 0;
    }
    if (command == "make-voice") {
        const Arguments arguments(argc, argv, 2, {"--espeak"}, {}, 1, 1);
        if (const auto espeak = arguments.Value("--espeak"))
            vorlane::MakeVoice(arguments.Positional()[0], *espeak);
        else
            vorlane::MakeVoice(arguments.Positional()[0]);
        return 0;
    }
    if (command == "make-theme") {
        const Arguments arguments(argc, argv, 2, {"--apercu"}, {}, 2, 2);
        return MakeTheme(arguments.Positional()[0], arguments.Positional()[1], arguments.Value("--apercu").value_or(""));
    }
    if (command == "trace")
        return Trace(Arguments(argc, argv, 2, {"--theme", "--points", "--numeros", "--premier", "--nom", "--apercu"}, {},
                               2, 2));
    if (command == "judge")
        return Judge(Arguments(argc, argv, 2, {}, {}, 1, 1).Positional()[0]);
    if (command == "check") {
        const Arguments arguments(argc, argv, 2, {}, {"--strict"}, 1, 1);
        return Check(arguments.Positional()[0], arguments.Has("--strict") ? Doubtful::Faulty : Doubtful::Warned);
    }
    if (command == "cahier")
        return Booklet(Arguments(argc, argv, 2,
                                 {"--theme", "--cahier", "--solutions", "--mise-en-page", "--papier"}, {}, 2, 2));
    if (command == "trace-corpus")
        return TraceCorpus(Arguments(argc, argv, 2, {"--partie", "--points", "--apercu"}, {"--cinquieme"}, 1, 1));
    std::fprintf(stderr, "vorlane-content : commande inconnue : %s\n", command.c_str());
    return Usage();
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
    if (argc < 2)
        return Usage();
    try {
        return Run(argc, argv);
    } catch (const vorlane::EUsageError& error) {
        std::fprintf(stderr, "vorlane-content %s : %s\n", argv[1], error.what());
        return Usage(argv[1]);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "vorlane-content : %s\n", Said(error).c_str());
        return 2;
    }
}
