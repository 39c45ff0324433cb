// SPDX-License-Identifier: MIT
// The body-line writer: printed text placed at its column in the document's
// preformatted body, with leader fills, box-drawing rules, UTF-8 conversion
// and the first web address made a link.
#pragma once

#include <cstdint>

#include "common/text.h"
#include "html/document.h"

/// Writes one piece of printed text that begins at `column` (1-based) and
/// is followed by `newlines` line ends:
///  - control bytes (0-31, 127, 255) of the text are written as spaces,
///    one each;
///  - spaces up to `column` unless the output line is already there (it
///    never moves back);
///  - a pending fill: spaces, then copies of the fill text ending at the
///    fill column, its control bytes spaces too; the fill is consumed;
///  - a text of only dashes and blanks holding "--" becomes a light rule,
///    every "=" of a text holding "==" a double rule;
///  - the text converted to UTF-8, its first "http://" address (any letter
///    case) made a link, written with no escaping;
///  - CR LF `newlines` times, adding them to the page's line count and
///    starting a new output line; with `newlines` 0 the output column grows
///    by the text's cells (after fill and rules, one per code page byte).
/// `column` and `newlines` are taken within -32768..32767; counters stop at
/// the ends of that range. Texts of any length are written whole, straight
/// from where they lie: nothing of the text is copied. With no document
/// open nothing is written and the counters move all the same.
void WriteBodyText(DocumentState& doc, int column, ByteView text, int newlines);

/// The same for the caller's own text, whose control bytes become spaces in
/// place: on return it holds the text as written, before fill and rules.
void WriteBodyText(DocumentState& doc, int column, ByteString& text, int newlines);

/// Sets the pending leader fill (an alignment line of the spool file): the
/// next body text is followed by copies of `fillText` that end at
/// `fillColumn`. An empty text leaves no fill pending.
void SetLeaderFill(DocumentState& doc, int16_t fillColumn, ByteView fillText);
