// UnzipBitmap's reader on arbitrary archive bytes: errors are expected, crashes,
// leaks and undefined behaviour are not.
#include "base/Errors.h"
#include "display/TDIB.h"
#include "print/zipUnzip.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    vorlane::TDIB image;
    try {
        vorlane::ReadBitmapArchive({data, size}, "fuzz.bmz", image);
    } catch (const vorlane::EVorlaneError&) {
    }
    return 0;
}
