// What each message view shows: for a view code and a decoded record, the
// (control id, text) pairs the view writes, in order; and which view a click
// on a timeline column opens.
#pragma once
#include <cstdint>

#include "ais/decoded_message.h"
#include "log/message_log.h"

constexpr int kViewCellText = 48;
constexpr int kMaxViewCells = 64;

struct ViewCell {
  int controlId;
  char text[kViewCellText];
};

// View codes (the dialog's initial parameter).
constexpr int kViewAbk = 60;
constexpr int kViewTidalWindow = 62;
constexpr int kViewMetHydro = 81;

// Fills `cells` with what the view writes; returns the count (0 for a view
// code with no list).
int FillViewCells(int viewCode, const DecodedMessage& record, ViewCell* cells);

struct ViewChoice {
  int templateId;  // dialog template, 0 when the click opens nothing
  int viewCode;
};

// The click on a column: takes a consistent copy of the slot, clears and
// fills `record` (decode, or the ABK fields) and chooses the view by the
// slot's noted messageId and kind. Main thread.
ViewChoice ChooseSlotView(MessageLog* log, int32_t slot, DecodedMessage* record);
