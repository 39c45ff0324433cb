// SPDX-License-Identifier: MIT
// Print attributes as tags in the document body: pitch as SPAN elements of
// the style sheets' classes, bold, underline and italic as B, U and I.
#pragma once

#include "common/text.h"
#include "html/document.h"

/// Writes the tags for a text of code letters, one code per character,
/// in order, each upper-cased first; other characters are ignored.
///   @ and N: pica, E: elite, Q: compressed — "</SPAN>" when the pitch at
///   the start of the call differs from the one asked for, then the SPAN
///   of its class; X: the pitch at the start of the call halved, no tag;
///   B, U, I: the closing tag when the element is open, else the opening
///   one, and the toggle flips.
/// The pitch becomes that of the last pitch code, at the end of the call.
/// With no document open the tags are dropped and the state changes alike.
void SetPrintAttributes(DocumentState& doc, ByteView codes);
