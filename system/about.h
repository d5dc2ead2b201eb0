#pragma once
// What the about box shows: the program's name, version and maker, one row per field, and where a click on
// the maker's contact rows leads.

#include "system/help.h"

#include <array>
#include <string>
#include <string_view>

namespace chimewell {

struct TAboutRow {
    std::string_view Field; // the field's name
    std::string_view Label;
    std::string Text;
};

// The eight one-line rows, top to bottom: name, product line, version, kind, author, contact, maker, site.
std::array<TAboutRow, 8> AboutRows();

// The author's words, two lines.
std::string AboutNote();
// The last line: when and where the program was finished.
std::string AboutAppend();

// The studio has neither an e-mail address nor a web site: its contact rows say where the help explains how
// to reach it, and a click opens that section of the help.
inline constexpr THelpSection AboutEmailSection = THelpSection::Report;
inline constexpr THelpSection AboutUrlSection = THelpSection::About;

} // namespace chimewell
