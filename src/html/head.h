// SPDX-License-Identifier: MIT
// Beginning a document: the reset of the document state, the file, and the
// head with its three style sheets up to the opening of the body.
#pragma once

#include "common/text.h"
#include "html/document.h"
#include "platform/platform.h"

/// Resets the document state (margin 0.5, pitch 10, page, line and column
/// counters 0; the emphasis toggles and the fill are kept), creates
/// `htmlPath` when no entry of that name exists (DocumentOutput::Open; an
/// existing file is never emptied) and writes the head, ending with
/// "<BODY><PRE>" and a line end. The author (`operatorName`), title
/// (`menuTitle`) and keywords (`metaKeywords`) are converted to UTF-8; the
/// keywords line is left out when `metaKeywords` is empty. When the file is
/// not made nothing is written, and nothing is reported: the answer says
/// whether the name was taken, so that the caller may try another one.
DocumentCreation BeginDocument(DocumentState& doc, const ByteString& operatorName, const ByteString& menuTitle,
                               const ByteString& metaKeywords);

/// A number as the style sheets carry it: a sign place (a blank, or "-"),
/// then at most 15 significant digits, the 15th rounded from the 16th
/// (above 5 up, exactly 5 to even; later digits not looked at), with
/// trailing fraction zeros, a bare decimal point and the zero before the
/// point of a value below 1 left out: 10 gives " 10", 0.5 gives " .5".
/// Always positional, never with an exponent; a value that is not finite
/// gives " 0".
ByteString NumberText(double value);

/// The date and time of the description tag: a blank, then
/// "yyyy/mm/dd hh:mm:ss" with every field zero-padded to its width.
ByteString DateTimeText(const platform::LocalTime& time);
