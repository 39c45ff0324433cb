// SPDX-License-Identifier: MIT
// The print run's trace lines, each asked for only while the trace is on.
#include "spool/run_trace.h"

#include "platform/platform.h"
#include "platform/trace.h"

void TraceSpoolOpened(const SpoolReader& reader, const ByteString& path) {
  if (!platform::TraceOn()) return;
  if (reader.file == 0)
    platform::Trace("spool file ", path, ": not read: ", platform::LastFailure());
  else
    platform::Trace("spool file ", path, ": ", platform::FileSize(reader.file), " bytes");
}

void TraceSpoolRead(const SpoolReader& reader, uint32_t lines, uint32_t linesLeftOut, bool documentBegun) {
  if (!platform::TraceOn()) return;
  platform::Trace("spool file: ", lines, " lines read");
  const int64_t size = platform::FileSize(reader.file);
  if (reader.ctrlZAt >= 0 && reader.ctrlZAt + 1 < size)
    platform::Trace("spool file: a Ctrl-Z at byte ", reader.ctrlZAt, " ended it; ", size - reader.ctrlZAt - 1,
                    " bytes after it were not read");
  if (reader.linesPassedOver + linesLeftOut > 0)
    platform::Trace("spool file: ", reader.linesPassedOver + linesLeftOut, " lines left out as too long");
  if (!documentBegun) platform::Trace("spool file: no Device line, so no document was begun");
}

void TraceSendSection(const ByteString& recipient, const ByteString& directory, bool printing) {
  platform::Trace("Send section: recipient \"", recipient, "\", folder \"", directory,
                  "\": ", printing ? "printed" : "left out (mail is on, PerCorreu, and PrtTambe is 0)");
}
