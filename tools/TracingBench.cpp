#include "TracingBench.h"

#include "JudgedDots.h"
#include "ThemeFiles.h"
#include "TracedDrawing.h"

#include "base/Errors.h"
#include "content/ThemeDat.h"

#include <array>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace vorlane {

namespace {

// The share of drawings that make a good page at the count measured. Held
// to the judge taught by a parent's eye, today's tracer makes a page a parent
// hands over as it is from about one drawing in ten: the bar keeps it from
// slipping back, and rises as the tracer learns. (It fell when the judge
// learnt to see a texture's cells and the knots of scribbled strokes: most
// pages it had called good were not, by eye.)
constexpr double kBar = 0.09;

struct Entry {
    std::string path, part;
};

std::vector<Entry> ReadList(const std::string& listFile)
{
    std::ifstream in(listFile);
    if (!in)
        throw EVorlaneError("Impossible de lire la liste de dessins " + listFile);
    std::vector<Entry> entries;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line.front() == '#')
            continue;
        const std::size_t tab = line.find('\t');
        entries.push_back({line.substr(0, tab), tab == std::string::npos ? std::string() : line.substr(tab + 1)});
    }
    return entries;
}

std::string Percent(double share)
{
    return std::to_string(static_cast<int>(100 * share + 0.5)) + " %";
}

}  // namespace

int MeasureTracing(const std::string& listFile, const std::string& root, const CorpusPart& which,
                   std::optional<int> dots, const std::string& previewDir, std::FILE* out)
{
    std::vector<Entry> entries;
    try {
        entries = ReadList(listFile);
    } catch (const EVorlaneError& error) {
        std::fprintf(out, "%s\n", error.what());
        return 2;
    }
    const DotOptions options;
    int measured = 0, good = 0, refused = 0, untold = 0;
    std::array<int, kCriteria> failing{};
    for (std::size_t line = 0; line < entries.size(); ++line) {
        const Entry& entry = entries[line];
        if ((which.fifth && line % 5 != 0) || (!which.part.empty() && entry.part != which.part))
            continue;
        ++measured;
        std::fprintf(out, "%s : ", entry.path.c_str());
        TracedDrawing drawing;
        try {
            drawing = TracedDrawing::FromFile(QString::fromStdString(root + "/" + entry.path));
        } catch (const EVorlaneError& error) {
            // Told, in French: a refusal is not a page to judge.
            ++refused;
            std::fprintf(out, "refusé : %s\n", error.what());
            continue;
        }
        DotOptions asked = options;
        asked.count = dots ? *dots : JudgedDots::ProposedCount(drawing, options);
        const JudgedDots page = JudgedDots::Place(drawing, asked);
        const std::vector<Dot>& placed = page.dots;
        const PageVerdict& verdict = page.verdict;
        const std::string said = verdict.Line();
        good += verdict.Good() ? 1 : 0;
        untold += !verdict.Good() && said.rfind("Qualité : à revoir", 0) != 0 ? 1 : 0;
        for (std::size_t criterion = 0; criterion < kCriteria; ++criterion)
            failing[criterion] += verdict.criteria[criterion].passed ? 0 : 1;
        std::fprintf(out, "%zu points, écart %.1f %%, numéros %g, faux points %g, trait %g, rayon %.1f, "
                          "contour montré %.0f %%, %d morceau(x)\n  %s\n",
                     placed.size(), verdict[Criterion::Similarity].figure, verdict[Criterion::Labels].figure,
                     verdict[Criterion::LookAlikes].figure, verdict[Criterion::CleanPath].figure, verdict.dotRadius,
                     100 * verdict.shownOutline, verdict.pieces, said.c_str());
        if (!previewDir.empty()) {
            const std::string stem = MakeFolder(previewDir) + "/" + NumberText(static_cast<std::uint32_t>(line + 1));
            page.dotsPicture.save(QString::fromStdString(stem + "-points.png"));
            drawing.PictureToColour().save(QString::fromStdString(stem + "-image.png"));
        }
    }
    if (measured == 0) {
        std::fprintf(out, "%s : aucun dessin à mesurer\n", listFile.c_str());
        return 2;
    }
    std::string counts;
    for (std::size_t criterion = 0; criterion < kCriteria; ++criterion)
        counts += std::string(criterion == 0 ? "" : ", ") + CriterionName(static_cast<Criterion>(criterion)) + " : " +
                  std::to_string(failing[criterion]);
    std::fprintf(out, "Total : %d / %d bonnes (%s), %d refusés ; à revoir pour %s ; sans le dire : %d\n", good,
                 measured, Percent(static_cast<double>(good) / measured).c_str(), refused, counts.c_str(), untold);
    return good >= kBar * measured && untold == 0 ? 0 : 1;
}

}  // namespace vorlane
