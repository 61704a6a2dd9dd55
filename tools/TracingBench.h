#pragma once

#include <cstdio>
#include <optional>
#include <string>

namespace vorlane {

// Which lines of a corpus list to trace.
struct CorpusPart {
    std::string part;    // "tuned", "held-out" or empty for both
    bool fifth = false;  // only every fifth line (the first, the sixth...)
};

// Traces each drawing of a corpus list (tests/data/tracing/corpus.tsv: a path
// under `root` and its part, a tab between, # for comments) at `dots` dots,
// or at the count the atelier proposes for it when none is given, and
// prints, per drawing, the picture judge's figures and verdict, then the
// totals, on `out`. With `previewDir`, the dots pictures and the pictures to
// colour are kept there as PNG. Returns 0 when the share of drawings that
// make a good page reaches the bar (9 % today) and every other one was told
// so (a verdict "à revoir" or a refusal), 1 otherwise, 2 when the list
// cannot be read.
int MeasureTracing(const std::string& listFile, const std::string& root, const CorpusPart& which,
                   std::optional<int> dots, const std::string& previewDir, std::FILE* out);

}  // namespace vorlane
