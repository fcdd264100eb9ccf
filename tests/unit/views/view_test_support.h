// Test helpers for the views: the cells of a view as a map and in order, and
// messages stated as (start bit, width, value) fields.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "ais/bit_writer.h"
#include "ais/decoded_message.h"
#include "views/view_model.h"

struct BitField {
  int start;
  int width;
  uint32_t value;
};

// Message bytes with the given fields written; everything else zero.
struct MessageBits {
  uint8_t bytes[kPayloadAreaBytes] = {};
  MessageBits(std::initializer_list<BitField> fields) {
    for (const BitField& f : fields) WriteBitField(bytes, f.start, f.width, f.value);
  }
};

struct ViewCells {
  std::vector<int> order;
  std::map<int, std::string> text;
  bool Has(int controlId) const { return text.count(controlId) != 0; }
  std::string operator[](int controlId) const {
    auto it = text.find(controlId);
    return it == text.end() ? "<not written>" : it->second;
  }
};

inline ViewCells CellsOf(int viewCode, const DecodedMessage& record) {
  ViewCell cells[kMaxViewCells];
  const int count = FillViewCells(viewCode, record, cells);
  ViewCells out;
  for (int i = 0; i < count; ++i) {
    out.order.push_back(cells[i].controlId);
    out.text[cells[i].controlId] = cells[i].text;
  }
  return out;
}
