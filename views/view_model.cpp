// The choice of view for a click on a timeline column: which template and
// view code a slot opens, after filling the decoded record from a consistent
// copy of the slot. Main thread only.
#include "views/view_model.h"

#include <cstring>

#include "ais/decode.h"

namespace {

// How a message id picks its template when the id alone does not.
enum class ViewPick : uint8_t {
  kFixed,        // templateId
  kCommState,    // templateId when commStateFlag is 0 (SOTDMA), else otherTemplateId
  kPartNumber,   // otherTemplateId when partNumber is 1 (part B), else templateId
  kApplication,  // templateId only when dacFi is the application the view shows
};

struct SlotViewRow {
  uint8_t messageId;
  ViewPick pick;
  int templateId;
  int otherTemplateId;
  int viewCode;
  uint16_t dacFi;  // kApplication: DAC in the upper ten bits, FI in the lower six
};

constexpr uint16_t DacFi(int dac, int fi) {
  return static_cast<uint16_t>(dac << 6 | fi);
}

constexpr SlotViewRow kSlotViews[] = {
    {1, ViewPick::kFixed, 1452, 0, 1, 0},
    {2, ViewPick::kFixed, 1453, 0, 2, 0},
    {3, ViewPick::kFixed, 1456, 0, 3, 0},
    {4, ViewPick::kFixed, 120, 0, 4, 0},
    {5, ViewPick::kFixed, 121, 0, 5, 0},
    {6, ViewPick::kApplication, 1447, 0, kViewTidalWindow, DacFi(1, 32)},
    {7, ViewPick::kFixed, 129, 0, 7, 0},
    {8, ViewPick::kApplication, 1448, 0, kViewMetHydro, DacFi(1, 31)},
    {13, ViewPick::kFixed, 132, 0, 13, 0},
    {18, ViewPick::kCommState, 1471, 142, 18, 0},
    {21, ViewPick::kFixed, 126, 0, 21, 0},
    // Part numbers 2 and 3 decode as part B but open the part A template.
    {24, ViewPick::kPartNumber, 151, 152, 24, 0},
};

constexpr int kAbkTemplate = 1432;
constexpr ViewChoice kNoView = {0, 0};

const SlotViewRow* FindSlotView(int32_t messageId) {
  for (const SlotViewRow& row : kSlotViews)
    if (row.messageId == messageId) return &row;
  return nullptr;
}

int PickTemplate(const SlotViewRow& row, const DecodedMessage& record) {
  switch (row.pick) {
    case ViewPick::kFixed:
      return row.templateId;
    case ViewPick::kCommState:
      return record.commStateFlag == 0 ? row.templateId : row.otherTemplateId;
    case ViewPick::kPartNumber:
      return record.partNumber == 1 ? row.otherTemplateId : row.templateId;
    case ViewPick::kApplication:
      return record.dacFi == row.dacFi ? row.templateId : 0;
  }
  return 0;
}

}  // namespace

ViewChoice ChooseSlotView(MessageLog* log, int32_t slot, DecodedMessage* record) {
  memset(record, 0, sizeof *record);
  if (slot < 0 || slot >= kLogSlots) return kNoView;
  const LogSlot& noted = log->slots[slot];
  if (noted.messageId == 0) return kNoView;

  SlotSnapshot snapshot;
  TakeSlotSnapshot(log, slot, &snapshot);
  // A reader may have stored into the slot since it was noted; its data is
  // then another message's, which no view of the noted one may show.
  if (snapshot.kind != noted.shownKind) return kNoView;

  // An acknowledgement always opens its own view: the slot's fragment store
  // holds an earlier, unrelated message whatever id the ABK acknowledges.
  if (snapshot.kind == kSlotAbk) {
    FillAbkView(snapshot.abk, record);
    if (record->messageId != noted.messageId) return kNoView;
    return {kAbkTemplate, kViewAbk};
  }
  if (snapshot.kind != kSlotVdm && snapshot.kind != kSlotVdo) return kNoView;

  const SlotViewRow* row = FindSlotView(noted.messageId);
  if (row == nullptr) return kNoView;
  // Messages from other stations (VDM) and own messages (VDO) decode alike,
  // binary ones included: both carry the message in their fragment store.
  DecodeMessage(snapshot.fragments, record);
  if (record->messageId != noted.messageId) return kNoView;
  const int templateId = PickTemplate(*row, *record);
  if (templateId == 0) return kNoView;
  return {templateId, row->viewCode};
}
