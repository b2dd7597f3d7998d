// platform/pango_font.h: the one place Pango fonts are described and loaded, for the code that
// lays text out with Pango itself: the watermark's text (platform/drawing.cpp) and the PICT
// decoder's (pict/text.cpp; its layer may use Pango). Unlike the other platform headers it
// hands out Pango's own types, since both users go on to shape and draw with them.
#pragma once

#include <pango/pangocairo.h>

#include <memory>

#include "platform/font_request.h"

struct PangoDescriptionFree {
  void operator()(PangoFontDescription* description) const {
    pango_font_description_free(description);
  }
};
using PangoDescription = std::unique_ptr<PangoFontDescription, PangoDescriptionFree>;

struct PangoObjectUnref {
  void operator()(gpointer object) const { g_object_unref(object); }
};
template <class T>
using PangoOwned = std::unique_ptr<T, PangoObjectUnref>;

// A Cairo font map of its own: Pango's default one differs per thread.
PangoOwned<PangoFontMap> NewFontMap();

// request's family, its pixel size as an absolute size (a size in points would be rescaled for
// the context's resolution; at least 1 pixel, in Pango's units of 1/1024 pixel, rounded), bold
// and italic. Underline and strike-out are the layout's business, not the font's.
PangoDescription DescribeFont(const FontRequest& request);

// The font of description in context; empty when fontconfig has no usable font at all (Pango
// still answers with generic families then: only loading a real font tells).
PangoOwned<PangoFont> LoadPangoFont(PangoContext* context, const PangoFontDescription* description);
