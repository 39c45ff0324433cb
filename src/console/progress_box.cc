// SPDX-License-Identifier: MIT
// The progress box: a single-line frame at rows 23 to 25, columns 34 to 48,
// titled "  PAG / LIN" over its top border, with the page and line counters
// on its middle row. The screen under it is saved on the window stack.
#include "console/progress_box.h"

#include <string>

#include "console/window_stack.h"

namespace {

constexpr int16_t kBoxTop = 23, kBoxLeft = 34, kBoxBottom = 25, kBoxRight = 48;

// The counters change with nearly every line; a console host takes a round
// trip for each cursor move, colour and text, so they are drawn at most
// once a frame. A person reading them sees no difference.
constexpr int64_t kFrameMilliseconds = 50;

// Calls with the same counters between two looks at them, and so between
// two readings of the clock while they are held back: nearly every line of
// a run is such a call, and reading a clock costs more than the rest of it.
constexpr int kCallsPerClockReading = 16;

// Frame bytes of the code page by style: top-left, top-right, bottom-left,
// bottom-right, horizontal, vertical.
const char kSingleFrame[] = "\xDA\xBF\xC0\xD9\xC4\xB3";
const char kDoubleFrame[] = "\xC9\xBB\xC8\xBC\xCD\xBA";
const char kBlankFrame[] = "      ";

void Put(ConsoleState& state, const ByteString& text) {
  if (state.console) state.console->Write(text);
}

void MoveTo(ConsoleState& state, int row, int column) {
  if (state.console) state.console->SetCursor(row, column);
}

int64_t Now(ConsoleState& state) { return state.console ? state.console->Milliseconds() : 0; }

void DrawCounters(ConsoleState& state, int pageCount, int pageLineCount, int64_t now) {
  state.progress.text = ProgressText(pageCount, pageLineCount);
  state.progress.pageCount = pageCount;
  state.progress.pageLineCount = pageLineCount;
  state.progress.shown = true;
  state.progress.pending = false;
  state.progress.drawnAt = now;
  LocateInWindow(state, 1, 2);
  // Wider counters grow into the frame, never past it: the box's saved
  // area ends there, and a cell beyond it would not be given back.
  ByteString shown = state.progress.text;
  const int room = state.windowRight - (state.windowLeft + 2) + 1;
  if (state.windowDepth != 0 && room >= 0 && shown.size() > static_cast<size_t>(room))
    shown.resize(static_cast<size_t>(room));
  Put(state, shown);
}

ByteString RightAligned(int value, size_t width) {
  ByteString digits = std::to_string(value);
  return digits.size() < width ? ByteString(width - digits.size(), ' ') + digits : digits;
}

}  // namespace

void SetScreenColour(ConsoleState& state, const ByteString& mode) {
  const ByteString letters = FoldUpper(mode);
  if (IsAllChar(letters, ' ')) return;
  auto holds = [&letters](char c) { return letters.find(c) != ByteString::npos; };

  if (holds('+')) state.colourSlotStack += static_cast<char>(state.currentColourSlot);
  int slot;
  if (holds('-')) {
    slot = 0;
    if (!state.colourSlotStack.empty()) {
      slot = static_cast<unsigned char>(state.colourSlotStack.back());
      state.colourSlotStack.pop_back();
    }
  } else if (holds('U')) {
    slot = 4;
  } else {
    slot = (holds('R') ? 2 : 0) + (holds('N') ? 1 : 0);
  }
  if (slot > 4) slot = 0;  // only slot numbers are ever saved; a stray byte means the plain slot

  if (state.console) {
    int attribute = state.console->Attribute();
    const int foreground = state.screenColours[slot][0], background = state.screenColours[slot][1];
    if (foreground >= 0 && foreground <= 15) attribute = (attribute & ~0x0F) | foreground;
    if (background >= 0 && background <= 15) attribute = (attribute & ~0xF0) | (background << 4);
    state.console->SetAttribute(attribute);
  }
  state.currentColourSlot = static_cast<int16_t>(slot);
}

void DrawFrame(ConsoleState& state, int16_t style) {
  if (state.windowDepth == 0) return;
  const char* frame = style == 1 ? kSingleFrame : style == 2 ? kDoubleFrame : kBlankFrame;
  const int inside = state.windowRight - state.windowLeft - 1;
  const size_t width = inside > 0 ? static_cast<size_t>(inside) : 0;

  MoveTo(state, state.windowTop, state.windowLeft);
  Put(state, frame[0] + ByteString(width, frame[4]) + frame[1]);
  for (int row = state.windowTop + 1; row <= state.windowBottom - 1; ++row) {
    MoveTo(state, row, state.windowLeft);
    Put(state, frame[5] + ByteString(width, ' ') + frame[5]);
  }
  MoveTo(state, state.windowBottom, state.windowLeft);
  Put(state, frame[2] + ByteString(width, frame[4]) + frame[3]);
}

void LocateInWindow(ConsoleState& state, int16_t row, int16_t column) {
  if (state.windowDepth != 0)
    MoveTo(state, state.windowTop + row, state.windowLeft + column);
  else
    MoveTo(state, row, column);
}

void OpenProgressBox(ConsoleState& state) {
  const size_t pushedBefore = state.pushedWindows.size();
  PushWindow(state, kBoxTop, kBoxLeft, kBoxBottom, kBoxRight);
  state.progress.pushed = state.pushedWindows.size() > pushedBefore;
  state.progress.shown = false;
  state.progress.pending = false;
  state.progress.callsBeforeClock = 0;  // the first counters go the slow path
  SetScreenColour(state, "+rn");
  DrawFrame(state, 1);
  LocateInWindow(state, 0, 2);
  Put(state, "  PAG / LIN");
  SetScreenColour(state, "-");
}

ByteString ProgressText(int pageCount, int pageLineCount) {
  return RightAligned(pageCount, 5) + " / " + RightAligned(pageLineCount, 3);
}

void ShowChangedProgress(ConsoleState& state, int pageCount, int pageLineCount) {
  ProgressBoxState& box = state.progress;
  box.seenPageCount = pageCount;
  box.seenPageLineCount = pageLineCount;
  box.callsBeforeClock = kCallsPerClockReading;
  if (box.shown && pageCount == box.pageCount && pageLineCount == box.pageLineCount) {
    box.pending = false;
    return;
  }
  const int64_t now = Now(state);
  // A clock that went back counts as a frame gone by.
  if (box.shown && now >= box.drawnAt && now - box.drawnAt < kFrameMilliseconds) {
    box.pending = true;
    return;
  }
  DrawCounters(state, pageCount, pageLineCount, now);
}

void CloseProgressBox(ConsoleState& state) {
  // The last counters shown are the run's, however short its last frame.
  if (state.progress.pending)
    DrawCounters(state, state.progress.seenPageCount, state.progress.seenPageLineCount, Now(state));
  state.progress.shown = false;
  // Without a window of ours, a pop would take the host's record.
  if (!state.progress.pushed) return;
  state.progress.pushed = false;
  PopWindow(state);
}
