#!/bin/sh
# Remakes the BMP files of this folder with ImageMagick from generated pictures.
# The .ppm pictures are the expected pixels; the tests compare every file with them.
set -eu
cd "$(dirname "$0")"
python3 - <<'PY'
W, H = 47, 33
corners = [(r, g, b) for r in (0, 255) for g in (0, 255) for b in (0, 255)]
many = [(r, g, b) for r in (0, 85, 170, 255) for g in (0, 85, 170, 255) for b in (0, 85, 170, 255)]

def picture(name, colours, index):
    with open(name, 'wb') as f:
        f.write(b'P6\n%d %d\n255\n' % (W, H))
        for y in range(H):
            for x in range(W):
                f.write(bytes(colours[index(x, y) % len(colours)]))

# Single-pixel stripes (absolute runs in RLE), wide bands (encoded runs) and blocks.
def bands(x, y):
    if x < 12:
        return x + y
    if x < 30:
        return 2 + (y // 5) % 6
    return x // 7 + y // 4

picture('source8.ppm', corners, bands)
picture('source64.ppm', many, lambda x, y: bands(x, y) * 9 + (x // 3))
picture('source2.ppm', [(0, 0, 0), (255, 255, 255)], lambda x, y: int((x * 3 + y * 5) % 7 < 3 or x > 40))
PY
convert source8.ppm -type TrueColor BMP3:rgb24.bmp
convert source8.ppm -type TrueColor BMP2:core24.bmp
convert source8.ppm -type Palette BMP2:core4.bmp
convert source64.ppm -type Palette BMP2:core8.bmp
convert source8.ppm -type Palette BMP3:pal4.bmp
convert source64.ppm -type Palette -compress None BMP3:pal8.bmp
convert source2.ppm -type Bilevel BMP3:mono1.bmp
convert source64.ppm -type Palette -compress RLE BMP3:rle8.bmp
convert source8.ppm -type TrueColor BMP:v5_rgb24.bmp
convert source8.ppm -type TrueColorAlpha BMP:v5_argb32.bmp
convert source8.ppm -define bmp:subtype=RGB565 BMP:v5_rgb565.bmp
convert source8.ppm -define bmp:subtype=RGB555 BMP:v5_rgb555.bmp
# Cut short: pixel data or RLE stream ending before the picture does.
head -c 3000 rgb24.bmp >malformed/truncated_rgb24.bmp
head -c 1500 rle8.bmp >malformed/truncated_rle8.bmp
head -c 40 pal8.bmp >malformed/truncated_header.bmp
