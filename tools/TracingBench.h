#pragma once

#include <cstdio>
#include <string>

namespace vorlane {

// Which lines of a corpus list to trace.
struct CorpusPart {
    std::string part;    // "tuned", "held-out" or empty for both
    bool fifth = false;  // only every fifth line (the first, the sixth...)
};

// Traces each drawing of a corpus list (tests/data/tracing/corpus.tsv: a path
// under `root` and its part, a tab between, # for comments) at `dots` dots
// and prints, per drawing, the picture judge's figures and verdict, then the
// totals, on `out`. With `previewDir`, the dots pictures and the pictures to
// colour are kept there as PNG. Returns 0 when at least 90 % of the drawings
// make a good page and every other one was told so (a verdict "à revoir" or
// a refusal), 1 otherwise, 2 when the list cannot be read.
int MeasureTracing(const std::string& listFile, const std::string& root, const CorpusPart& which, int dots,
                   const std::string& previewDir, std::FILE* out);

}  // namespace vorlane
