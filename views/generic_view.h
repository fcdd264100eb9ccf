// The generic message view: for any decoded message, the rows of a
// two-column list (field label, value text), made from one table of fields
// per message type, and the view's title. Every message type has a table,
// those with a template of their own too, so the view can show any message;
// messages 6 and 8 show their header, DAC, FI and application data in hex.
// Texts are UTF-8 (the degree sign). No state; any thread.
#pragma once
#include <cstddef>

#include "ais/decoded_message.h"

// Room for the longest value: a whole message of 1008 bits in hex with its
// bit count.
constexpr int kGenericValueText = 288;
constexpr int kMaxGenericRows = 40;

struct GenericRow {
  const char* label;  // a constant text of the table
  char value[kGenericValueText];
};

// The view's title for the decoded message, as the templates' titles read:
// " Message 9 : Standard SAR aircraft position report". Message types without
// a decoder (0, 28 to 63) are named by their first six bits.
void FormatGenericTitle(const DecodedMessage& record, char* out, size_t size);

// Fills `rows` (room for kMaxGenericRows) with the label and value of every
// field the message carries, in message order; returns the count. Values
// with units show the raw field too ("12.3 kn (raw 123)"); values with a
// meaning of their own show both ("4095 = not available").
int FillGenericRows(const DecodedMessage& record, GenericRow* rows);
