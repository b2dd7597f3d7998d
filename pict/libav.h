// pict/libav.h (private to pict/): libavcodec and its companions, loaded on first use. Few
// pictures carry QuickTime data, and linking these libraries (with the hundred they bring)
// would make every run start several times slower; so the program loads them only when a
// picture needs them, and calls them through this table.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/log.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include <string>

namespace pict {

struct Libav {
#define PICT_LIBAV_FUNCTION(name) decltype(&::name) name = nullptr;
#include "pict/libav_functions.inc"
#undef PICT_LIBAV_FUNCTION
};

// The libraries' functions; null, with the reason in reason, when they cannot be loaded (the
// picture is then refused as undecodable, as a codec libavcodec lacks would be).
const Libav* LoadLibav(std::string& reason);

}  // namespace pict
