// Any bytes either fail with "DIB is invalid" or give a bitmap that writes and reads back unchanged.
#include "display/TDIB.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    vorlane::TDIB dib;
    try {
        dib.LoadBitmapBytes({data, size});
    } catch (const vorlane::EInvalidGraphic&) {
        return 0;
    }
    // The round trip of a huge picture would slow the search down without finding more.
    if (static_cast<long>(dib.Width()) * dib.Height() > (1L << 16))
        return 0;
    std::vector<std::uint8_t> file;
    dib.SaveBitmapStream(file);
    vorlane::TDIB back;
    back.LoadBitmapBytes(file);
    if (back.Width() != dib.Width() || back.Height() != dib.Height())
        std::abort();
    for (int y = 0; y < dib.Height(); ++y)
        for (int x = 0; x < dib.Width(); ++x)
            if (back.PixelColour(x, y) != dib.PixelColour(x, y))
                std::abort();
    return 0;
}
