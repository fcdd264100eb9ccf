// What each message view shows: for a view code and a decoded record, the
// (control id, text) pairs the view writes, in order; and which view a click
// on a timeline column opens.
#pragma once
#include <cstdint>

#include "ais/decoded_message.h"
#include "log/message_log.h"
#include "views/cell_formats.h"

constexpr int kViewCellText = 48;
constexpr int kMaxViewCells = 64;

struct ViewCell {
  int controlId;
  char text[kViewCellText];
};

// View codes (the dialog's initial parameter): a message view's is its
// message id, but for these.
constexpr int kViewAbk = 60;
constexpr int kViewTidalWindow = 62;
constexpr int kViewMetHydro = 81;
// The generic view (views/generic_view.h) reads the record alone; its code
// only names it, in asm-decode's output.
constexpr int kViewGeneric = 90;

// How a message type picks its template when the id alone does not.
enum class ViewPick : uint8_t {
  kGeneric,      // none of its own: the generic view shows it
  kFixed,        // templateId
  kCommState,    // templateId when commStateFlag is 0 (SOTDMA), else otherTemplateId
  kPartNumber,   // otherTemplateId when partNumber is 1 (part B), else templateId
  kApplication,  // templateId when dacFi is the application the view shows, else the generic view
};

struct CellList {
  const CellRow* rows;
  int count;
};

// A message view: its template or templates, how a message picks one, the
// view code its dialog gets and the cells it writes.
struct MessageView {
  ViewPick pick;
  int templateId = 0;
  int otherTemplateId = 0;  // kCommState, kPartNumber
  int viewCode = 0;
  uint16_t dacFi = 0;  // kApplication: DAC in the upper ten bits, FI in the lower six
  CellList cells = {nullptr, 0};
};

// The view a message type opens (its row of the message types' table), or
// nullptr for an id the table lacks; and the ABK's view.
const MessageView* MessageViewOf(int messageId);
const MessageView* AbkView();

// Fills `cells` with what the view writes; returns the count (0 for a view
// code with no list).
int FillViewCells(int viewCode, const DecodedMessage& record, ViewCell* cells);

struct ViewChoice {
  int templateId;  // dialog template, 0 when the click opens nothing
  int viewCode;
};

// The click on a column: takes a consistent copy of the slot, clears and
// fills `record` (decode, or the ABK fields) and chooses the view by the
// slot's noted messageId and kind. A message without a template of its own
// (its type has none, its application has none, or its id is reserved)
// opens the generic view; an empty slot, or one a reader has rewritten
// since it was noted, opens nothing. Main thread.
ViewChoice ChooseSlotView(MessageLog* log, int32_t slot, DecodedMessage* record);
