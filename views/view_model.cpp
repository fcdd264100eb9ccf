// The choice of view for a click on a timeline column: which template and
// view code a slot opens, after filling the decoded record from a consistent
// copy of the slot. Main thread only.
#include "views/view_model.h"

#include <cstring>

#include "ais/decode.h"
#include "views/view_ids.h"

namespace {

constexpr ViewChoice kNoView = {0, 0};
constexpr ViewChoice kGenericChoice = {view_template::kGeneric, kViewGeneric};

// The message's own template, or 0 when it has none.
int PickTemplate(const MessageView& view, const DecodedMessage& record) {
  switch (view.pick) {
    case ViewPick::kGeneric:
      return 0;
    case ViewPick::kFixed:
      return view.templateId;
    case ViewPick::kCommState:
      return record.commStateFlag == 0 ? view.templateId : view.otherTemplateId;
    case ViewPick::kPartNumber:
      return record.partNumber == 1 ? view.otherTemplateId : view.templateId;
    case ViewPick::kApplication:
      return record.dacFi == view.dacFi ? view.templateId : 0;
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
    return {AbkView()->templateId, AbkView()->viewCode};
  }
  if (snapshot.kind != kSlotVdm && snapshot.kind != kSlotVdo) return kNoView;

  // Messages from other stations (VDM) and own messages (VDO) decode alike,
  // binary ones included: both carry the message in their fragment store.
  // Every message is decoded, also one only the generic view shows.
  DecodeMessage(snapshot.fragments, record);
  const MessageView* view = MessageViewOf(noted.messageId);
  // A reserved message id has no decoder; the message's first six bits are its id.
  const int decodedId = view != nullptr ? record->messageId : record->payload[0] >> 2;
  if (decodedId != noted.messageId) return kNoView;
  const int templateId = view != nullptr ? PickTemplate(*view, *record) : 0;
  if (templateId == 0) return kGenericChoice;
  return {templateId, view->viewCode};
}
