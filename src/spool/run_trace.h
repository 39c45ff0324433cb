// SPDX-License-Identifier: MIT
// The print run's lines of the administrator's trace (platform/trace.h):
// the spool file and the Send sections. Apart from the print run, so that
// its loop stays as small as without them: never inlined into it, where
// they would take the room its hot calls are inlined into.
#pragma once

#include <cstdint>

#include "common/text.h"
#include "spool/reader.h"

/// The spool file just opened at `path`: its size, or why it is not read.
[[gnu::noinline]] void TraceSpoolOpened(const SpoolReader& reader, const ByteString& path);

/// The spool file read to its end: the lines read, a Ctrl-Z with bytes
/// after it, the lines left out as too long (the reader's and the print
/// run's `linesLeftOut`), and a run that began no document.
[[gnu::noinline]] void TraceSpoolRead(const SpoolReader& reader, uint32_t lines, uint32_t linesLeftOut,
                                      bool documentBegun);

/// A Send line's section: its fields and whether it is printed.
[[gnu::noinline]] void TraceSendSection(const ByteString& recipient, const ByteString& directory, bool printing);
