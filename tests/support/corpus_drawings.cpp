#include "tests/support/corpus_drawings.h"

const Drawing kDrawings[19] = {
    {"quickdrawviewer/CarteRingstadt.pict", 0.955},  // 0.963 / 0.963
    {"quickdrawviewer/ClarisGradient2Colors.pict"},
    {"quickdrawviewer/Clarisgradientstar.pict"},
    {"quickdrawviewer/CréateursGenevois.pict", 0.96},  // 0.969 / 0.969
    {"quickdrawviewer/Graypatterns.pict"},
    {"quickdrawviewer/LogoTigresVolants.pict"},
    {"quickdrawviewer/MacDraft.pict"},
    {"quickdrawviewer/PixPattern.PICT"},
    {"quickdrawviewer/inside_macintosh.pict"},
    {"quickdrawviewer/liste_chainee.pict", 0.955},  // 0.965 / 0.965
    {"quickdrawviewer/rotated.pict"},
    {"twelvemonkeys/5.pict"},
    {"twelvemonkeys/7.pict"},
    {"twelvemonkeys/8.pict"},
    {"twelvemonkeys/EDUC0052.pict"},
    {"twelvemonkeys/carte.pict", 0.955},  // 0.960 / 0.960
    {"twelvemonkeys/cow.pict"},
    {"twelvemonkeys/demo.pict"},
    {"twelvemonkeys/oom.pict"},
};

// Files of a single pixmap each, bitmaps among them.
const char* const kPixmaps[23] = {
    "pictsharp/pal1.pict",
    "pictsharp/pal2-grayscale.pict",
    "pictsharp/pal2-indexed.pict",
    "pictsharp/pal8.pct",
    "pictsharp/rgb16-565.pict",
    "pictsharp/rgb24.pict",
    "pictsharp/rgb32.pict",
    "quickdrawviewer/AlbumWorldMap.pict",
    "quickdrawviewer/DiskMode SCSI.PICT",
    "quickdrawviewer/KptBryceXanadesFjord.pict",
    "quickdrawviewer/UltraPaint.pict",
    "quickdrawviewer/applet.pict",
    "twelvemonkeys/16bit.pict",
    "twelvemonkeys/32bit.pict",
    "twelvemonkeys/BLK.PCT",
    "twelvemonkeys/FC10.PCT",
    "twelvemonkeys/FLAG_B24.PCT",
    "twelvemonkeys/MARBLES.PCT",
    "twelvemonkeys/TRU256.PCT",
    "twelvemonkeys/VENUS.PCT",
    "twelvemonkeys/food.pct",
    "twelvemonkeys/mire32.pict",
    "twelvemonkeys/test.pct",
};
