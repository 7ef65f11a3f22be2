#pragma once
// postscriptfonts: the PostScript fonts the plot program knows by name: the 34 standard base fonts and a last
// entry for any other font.

#include <array>
#include <string_view>

namespace qorva {

inline constexpr std::array<std::string_view, 35> PostscriptFonts{
    "Times-Roman",        "Times-Italic",           "Times-Bold",
    "Times-BoldItalic",   "Helvetica",              "Helvetica-Oblique",
    "Helvetica-Bold",     "Helvetica-BoldOblique",  "Helvetica-Narrow",
    "Helvetica-Narrow-Oblique", "Helvetica-Narrow-Bold", "Helvetica-Narrow-BoldOblique",
    "Courier",            "Courier-Oblique",        "Courier-Bold",
    "Courier-BoldOblique", "Palatino-Roman",        "Palatino-Italic",
    "Palatino-Bold",      "Palatino-BoldItalic",    "AvantGarde-Book",
    "AvantGarde-Demi",    "AvantGarde-BookOblique", "AvantGarde-DemiOblique",
    "Bookman-Light",      "Bookman-Demi",           "Bookman-LightItalic",
    "Bookman-DemiItalic", "NewCenturySchlbk-Roman", "NewCenturySchlbk-Bold",
    "NewCenturySchlbk-Italic", "NewCenturySchlbk-BoldItalic", "ZapfChancery-MediumItalic",
    "Symbol",             "other fonts",
};

}  // namespace qorva
