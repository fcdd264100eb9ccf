// The titles of the message types, from their table.
#include "ais/message_types.h"

namespace {

struct TypeTitle {
  int id;
  const char* title;
};

#define ASM_TYPE_TITLE(id, title, decoder, view, encoder) {id, title},
constexpr TypeTitle kTitles[] = {ASM_MESSAGE_TYPES(ASM_TYPE_TITLE)};
#undef ASM_TYPE_TITLE

}  // namespace

const char* MessageTypeTitle(int id) {
  for (const TypeTitle& type : kTitles)
    if (type.id == id) return type.title;
  return nullptr;
}
