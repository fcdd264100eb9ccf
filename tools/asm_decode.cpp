// asm-decode: reads NMEA sentences from files or standard input and prints,
// for every message the client would log, one JSON line with what the
// timeline notes, what a click on its column decodes and which view it opens
// with the texts of that view's cells. One intake and a 50-slot log, exactly
// as the Presentation Port feeds them; single-threaded.
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

#include "ais/decode.h"
#include "log/message_log.h"
#include "nmea/sentence_intake.h"
#include "views/view_model.h"

namespace {

using Json = nlohmann::ordered_json;

constexpr int kDefaultChunk = 128;
constexpr int kMaxChunk = 128;
constexpr const char kUsage[] = "usage: asm-decode [--chunk N] [FILE ...]\n";

// The log and intake are large and live for the whole run.
MessageLog messageLog;
SentenceIntake intake;
DecodedMessage record;
ViewCell cells[kMaxViewCells];

// One output document, built once: the per-message work overwrites its
// values in place and rebuilds only the cells.
struct Output {
  Json doc;
  Json* slot;
  Json* kind;
  Json* channelRow;
  Json* messageId;
  Json* templateId;
  Json* viewCode;
  std::vector<Json*> fieldValues;  // one per kDecodedFields entry
  std::vector<uint16_t> textRoom;  // room of each text field, 0 for the others
  Json* payload;
  Json* cells;
  std::string hex;
  bool writeFailed = false;
};
Output output;

void PrepareOutput() {
  Json& doc = output.doc;
  doc = Json::object();
  doc["slot"] = 0;
  doc["kind"] = "";
  doc["channelRow"] = 0;
  doc["messageId"] = 0;
  doc["template"] = nullptr;
  doc["view"] = nullptr;
  doc["fields"] = Json::object();
  doc["cells"] = Json::object();
  Json& fields = doc["fields"];
  for (int i = 0; i < kDecodedFieldCount; ++i) {
    const DecodedField& field = kDecodedFields[i];
    const bool text = field.kind == FieldKind::kText || field.kind == FieldKind::kChar;
    fields[field.name] = text ? Json(std::string()) : Json(0);
    // Fields are listed in record order, so a text field's room ends where
    // the next field begins.
    const size_t end = i + 1 < kDecodedFieldCount ? kDecodedFields[i + 1].offset : offsetof(DecodedMessage, payload);
    output.textRoom.push_back(field.kind == FieldKind::kText ? static_cast<uint16_t>(end - field.offset) : 0);
  }
  fields["payload"] = std::string();
  fields["payload"].get_ref<std::string&>().reserve(2 * kPayloadAreaBytes);
  output.hex.reserve(2 * kPayloadAreaBytes);

  // Pointers into the document stay valid: no key is added after this.
  output.slot = &doc["slot"];
  output.kind = &doc["kind"];
  output.channelRow = &doc["channelRow"];
  output.messageId = &doc["messageId"];
  output.templateId = &doc["template"];
  output.viewCode = &doc["view"];
  for (int i = 0; i < kDecodedFieldCount; ++i) output.fieldValues.push_back(&fields[kDecodedFields[i].name]);
  output.payload = &fields["payload"];
  output.cells = &doc["cells"];
}

const char* KindName(uint32_t notification) {
  switch (notification) {
    case ID_LOG_VDM:
      return "VDM";
    case ID_LOG_VDO:
      return "VDO";
    case ID_LOG_ABK:
      return "ABK";
  }
  return "";
}

void SetText(Json* value, const char* text, size_t length) {
  value->get_ref<std::string&>().assign(text, length);
}

void FillFields() {
  const auto* base = reinterpret_cast<const unsigned char*>(&record);
  for (int i = 0; i < kDecodedFieldCount; ++i) {
    const DecodedField& field = kDecodedFields[i];
    const unsigned char* at = base + field.offset;
    Json* value = output.fieldValues[i];
    switch (field.kind) {
      case FieldKind::kU8:
        *value = static_cast<uint32_t>(at[0]);
        break;
      case FieldKind::kU16: {
        uint16_t v;
        memcpy(&v, at, sizeof v);
        *value = static_cast<uint32_t>(v);
        break;
      }
      case FieldKind::kU32: {
        uint32_t v;
        memcpy(&v, at, sizeof v);
        *value = v;
        break;
      }
      case FieldKind::kChar:
        SetText(value, reinterpret_cast<const char*>(at), at[0] ? 1 : 0);
        break;
      case FieldKind::kText: {
        const char* text = reinterpret_cast<const char*>(at);
        SetText(value, text, strnlen(text, output.textRoom[i]));
        break;
      }
    }
  }
  static const char kDigits[] = "0123456789abcdef";
  const int length = record.payloadLength < kPayloadAreaBytes ? record.payloadLength : kPayloadAreaBytes;
  output.hex.clear();
  for (int i = 0; i < length; ++i) {
    output.hex.push_back(kDigits[record.payload[i] >> 4]);
    output.hex.push_back(kDigits[record.payload[i] & 15]);
  }
  SetText(output.payload, output.hex.data(), output.hex.size());
}

// The main window's part: note the slot, then do what a click on its column
// does, and print the result.
void OnStoredSlot(void*, uint32_t notification, int32_t slot) {
  NoteStoredSlot(&messageLog, slot, notification);
  const ViewChoice choice = ChooseSlotView(&messageLog, slot, &record);
  const LogSlot& noted = messageLog.slots[slot];

  *output.slot = slot;
  SetText(output.kind, KindName(notification), strlen(KindName(notification)));
  *output.channelRow = noted.channelRow;
  *output.messageId = noted.messageId;
  if (choice.templateId != 0) {
    *output.templateId = choice.templateId;
    *output.viewCode = choice.viewCode;
  } else {
    *output.templateId = nullptr;
    *output.viewCode = nullptr;
  }
  FillFields();

  output.cells->clear();
  const int count = choice.templateId != 0 ? FillViewCells(choice.viewCode, record, cells) : 0;
  for (int i = 0; i < count; ++i) {
    char key[12];
    snprintf(key, sizeof key, "%d", cells[i].controlId);
    (*output.cells)[key] = cells[i].text;
  }

  std::string line = output.doc.dump(-1, ' ', false, Json::error_handler_t::replace);
  line.push_back('\n');
  if (fwrite(line.data(), 1, line.size(), stdout) != line.size()) output.writeFailed = true;
}

int OpenInput(const char* path) {
  if (strcmp(path, "-") == 0) {
#ifdef _WIN32
    _setmode(_fileno(stdin), _O_BINARY);
#endif
    return 0;
  }
#ifdef _WIN32
  return _open(path, _O_RDONLY | _O_BINARY);
#else
  return open(path, O_RDONLY);
#endif
}

long ReadInput(int fd, uint8_t* buffer, size_t size) {
  for (;;) {
#ifdef _WIN32
    const long got = _read(fd, buffer, static_cast<unsigned>(size));
#else
    const long got = static_cast<long>(read(fd, buffer, size));
#endif
    if (got >= 0 || errno != EINTR) return got;
  }
}

void CloseInput(int fd) {
  if (fd == 0) return;
#ifdef _WIN32
  _close(fd);
#else
  close(fd);
#endif
}

void ReportUnreadable(const char* path, int error) {
  fflush(stdout);  // the output of the inputs before it comes first
  const char* shown = strcmp(path, "-") == 0 ? "standard input" : path;
  fprintf(stderr, "asm-decode: cannot read '%s': %s\n", shown, strerror(error));
}

// Log files often end their lines in a line feed alone, which the intake
// (made for the CR LF of a transponder) ignores: a line feed that ends a
// sentence begun on its line without a carriage return gets one in front of
// it. Other lines (comments) are left alone, since a carriage return there
// would end the previous sentence a second time. Returns the bytes written.
long EndSentencesWithCarriageReturn(const uint8_t* in, long count, uint8_t* out) {
  static bool sentenceOpen = false;  // carries over reads and inputs
  long written = 0;
  for (long i = 0; i < count; ++i) {
    const uint8_t b = in[i];
    if (b == '\n' && sentenceOpen) out[written++] = '\r';
    out[written++] = b;
    if (b == '!' || b == '$') sentenceOpen = true;
    if (b == '\r' || b == '\n') sentenceOpen = false;
  }
  return written;
}

// Feeds one input to the intake in chunks of `chunk` bytes, as a reader
// thread delivers them (each read's last chunk may be shorter). Returns false
// when the input could not be read.
bool DecodeInput(const char* path, int chunk, const IntakeTarget& target) {
  static uint8_t buffer[1 << 16];
  static uint8_t lines[2 * sizeof buffer];
  const int fd = OpenInput(path);
  if (fd < 0) {
    ReportUnreadable(path, errno);
    return false;
  }
  bool ok = true;
  for (;;) {
    const long got = ReadInput(fd, buffer, sizeof buffer);
    if (got < 0) {
      ReportUnreadable(path, errno);
      ok = false;
      break;
    }
    if (got == 0) break;
    const long count = EndSentencesWithCarriageReturn(buffer, got, lines);
    for (long at = 0; at < count; at += chunk) {
      const int size = count - at < chunk ? static_cast<int>(count - at) : chunk;
      FeedIntake(&intake, &target, lines + at, size);
    }
    fflush(stdout);  // a live stream shows its messages as they come
  }
  CloseInput(fd);
  return ok;
}

int UsageError(const char* problem, const char* what) {
  fprintf(stderr, "asm-decode: %s '%s'\n%s", problem, what, kUsage);
  return 1;
}

bool ParseChunk(const char* text, int* chunk) {
  if (*text == '\0') return false;
  long value = 0;
  for (const char* c = text; *c; ++c) {
    if (*c < '0' || *c > '9') return false;
    value = value * 10 + (*c - '0');
    if (value > kMaxChunk) return false;
  }
  if (value < 1) return false;
  *chunk = static_cast<int>(value);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  int chunk = kDefaultChunk;
  std::vector<const char*> inputs;
  bool options = true;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (options && strcmp(arg, "--") == 0) {
      options = false;
    } else if (options && (strcmp(arg, "--help") == 0 || strcmp(arg, "-h") == 0)) {
      fputs(kUsage, stdout);
      fputs(
          "Feeds the NMEA sentences of each FILE (standard input when none, or for \"-\")\n"
          "to one sentence intake and prints one JSON line per logged VDM, VDO or ABK\n"
          "message: its slot, timeline row and message id, the view a click opens, the\n"
          "decoded fields and the texts of the view's cells. Lines may end in CR LF or\n"
          "in LF alone.\n"
          "  --chunk N  feed the intake N bytes at a time (1 to 128, default 128)\n",
          stdout);
      return 0;
    } else if (options && strncmp(arg, "--chunk", 7) == 0 && (arg[7] == '\0' || arg[7] == '=')) {
      const char* value = arg[7] == '=' ? arg + 8 : (i + 1 < argc ? argv[++i] : "");
      if (!ParseChunk(value, &chunk)) return UsageError("--chunk takes a number from 1 to 128, not", value);
    } else if (options && arg[0] == '-' && arg[1] != '\0') {
      return UsageError("unknown option", arg);
    } else {
      inputs.push_back(arg);
    }
  }
  if (inputs.empty()) inputs.push_back("-");

#ifdef _WIN32
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  InitLog(&messageLog);
  PrepareOutput();
  const IntakeTarget target = {&messageLog, OnStoredSlot, nullptr};

  int status = 0;
  for (const char* path : inputs)
    if (!DecodeInput(path, chunk, target)) status = 2;

  if (fflush(stdout) != 0 || output.writeFailed || ferror(stdout)) {
    fprintf(stderr, "asm-decode: cannot write the output: %s\n", strerror(errno));
    return 2;
  }
  return status;
}
