#include "platform/pango_font.h"

#include <algorithm>
#include <cmath>

PangoOwned<PangoFontMap> NewFontMap() {
  return PangoOwned<PangoFontMap>(pango_cairo_font_map_new());
}

PangoDescription DescribeFont(const FontRequest& request) {
  PangoDescription description(pango_font_description_new());
  pango_font_description_set_family(description.get(), request.family.c_str());
  pango_font_description_set_absolute_size(
      description.get(),
      static_cast<double>(std::lround(std::max(request.pixelSize, 1.0) * PANGO_SCALE)));
  pango_font_description_set_weight(description.get(),
                                    request.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
  pango_font_description_set_style(description.get(),
                                   request.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
  return description;
}

PangoOwned<PangoFont> LoadPangoFont(PangoContext* context,
                                    const PangoFontDescription* description) {
  return PangoOwned<PangoFont>(pango_context_load_font(context, description));
}
