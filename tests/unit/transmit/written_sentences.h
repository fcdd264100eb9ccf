// A link writer for tests: every sentence handed to it, with its target.
#pragma once
#include <string>
#include <vector>

#include "transmit/bbm.h"

namespace written_sentences {

struct Written {
  std::string text;
  int target;
};

inline void Capture(void* context, const char* text, int length, int target) {
  static_cast<std::vector<Written>*>(context)->push_back({std::string(text, length), target});
}

// A writer that appends to `written`.
inline BbmWriter WriterInto(std::vector<Written>* written) {
  return BbmWriter{Capture, written};
}

}  // namespace written_sentences
