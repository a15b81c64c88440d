// Reads a dialog template source: one statement per line, blank lines and // comments ignored.
//
//   DIALOG id x y cx cy                       first statement: resource id and frame, dialog units
//   CAPTION "text"
//   STYLE expression                          window and DS_ styles of the dialog
//   EXSTYLE expression
//   FONT points "face"                        default: 8 "DejaVu Sans"
//   CONTROL id class text x y cx cy [STYLE expression] [EXSTYLE expression]
//
// A control's text is "quoted" (escapes \r \n \t \" \\) or #number, the bitmap or icon resource a
// picture control shows. Class is one of the window classes of the template format. An expression
// joins style names or numbers with |; `NOT name` removes a style. Every control is WS_CHILD and
// WS_VISIBLE unless its expression says NOT WS_VISIBLE. Numbers are decimal, negative or 0x hex.
#pragma once

#include "platform/resources/dialog_template.hpp"

#include <cstdint>
#include <string>

namespace vnrc {

struct dialog_source {
    std::uint32_t id = 0;
    platform::resources::dialog_template dialog;
};

// Throws source_error (string_source.hpp) naming the line of the first mistake.
dialog_source parse_dialog_source(const std::string& text);

}  // namespace vnrc
