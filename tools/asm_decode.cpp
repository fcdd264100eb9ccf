// asm-decode: reads NMEA sentences from files or standard input and prints,
// for every message the client would log, one JSON line with what the
// timeline notes, what a click on its column decodes and which view it opens
// with the texts of that view's cells (of the generic view, its rows, label
// to value); or, with --sentences, one line per sentence with its fate. One
// intake and a 50-slot log, exactly as the Presentation Port feeds them;
// with --link, only the lines a recording says were received on that port.
// Single-threaded.
#include <cerrno>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif
#include <getopt.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include "ais/decode.h"
#include "log/message_log.h"
#include "nmea/fate_ring.h"
#include "nmea/intake_counters.h"
#include "nmea/sentence_intake.h"
#include "nmea/tag_block.h"
#include "views/generic_view.h"
#include "views/view_model.h"

namespace {

constexpr int kDefaultChunk = 128;
constexpr int kMaxChunk = 128;
constexpr const char kUsage[] = "usage: asm-decode [--chunk N] [--sentences] [--stats] [--link PORT] [FILE ...]\n";

struct Options {
  int chunk = kDefaultChunk;
  bool sentences = false;      // one line per sentence and its fate, not per message
  bool stats = false;          // the counters at the end
  const char* link = nullptr;  // only the lines received on this port (TAG block s:)
};
Options options;

// The log, the intake and its observers are large and live for the whole run.
MessageLog messageLog;
SentenceIntake intake;
IntakeCounters counters;
FateRing fates;
DecodedMessage record;
ViewCell cells[kMaxViewCells];
GenericRow genericRows[kMaxGenericRows];

// `length` bytes of `text` as valid UTF-8, which JSON text must be: each
// byte that begins no sequence, and each valid start of a sequence cut
// short, becomes one U+FFFD; the byte that cut it short is read again.
const char* ValidUtf8(const char* text, size_t* length);

// RapidJSON's writer with a short way for texts that need no escape (no
// control character, quote, backslash or byte above 0x7F), as nearly every
// key, number and text of a line is: one copy between quotes. Any other is
// made valid UTF-8 and escaped by the writer itself.
class LineWriter : public rapidjson::Writer<rapidjson::StringBuffer> {
 public:
  explicit LineWriter(rapidjson::StringBuffer& out) : Writer(out) {}

  // A key or string value that needs no escape by its making: the names of
  // the field table, the keys written here, control ids, hex digits.
  bool Name(const char* text, size_t length) {
    Prefix(rapidjson::kStringType);
    char* to = os_->Push(length + 2);
    to[0] = '"';
    memcpy(to + 1, text, length);
    to[length + 1] = '"';
    return EndValue(true);
  }
  bool Name(const char* text) { return Name(text, strlen(text)); }

  // Any other text.
  bool Text(const char* text, size_t length) {
    for (size_t i = 0; i < length; ++i) {
      const auto c = static_cast<unsigned char>(text[i]);
      if (c < 0x20 || c >= 0x80 || c == '"' || c == '\\') return Escaped(text, length);
    }
    return Name(text, length);
  }

 private:
  bool Escaped(const char* text, size_t length) {
    const char* valid = ValidUtf8(text, &length);
    return String(valid, static_cast<rapidjson::SizeType>(length));
  }
};

// Lines are gathered here and written out in blocks of about kWriteAt
// bytes, small enough for the buffer to stay in the cache; the buffer keeps
// its room between blocks, so nothing is allocated per line.
constexpr size_t kWriteAt = 32 * 1024;
rapidjson::StringBuffer output;
LineWriter json(output);
bool writeFailed = false;

// The fields a record prints, in record order: those of its message id, or
// of the ABK. Ids without a decoder print none (their record stays empty).
constexpr int kMaxDecodedFields = 128;
struct FieldList {
  int count = 0;
  uint8_t field[kMaxDecodedFields];
};
FieldList messageFields[64];
FieldList abkFields;
size_t nameLength[kMaxDecodedFields];  // of each field's name, counted once

// The cells by control id: the index of the last cell of each id in the
// list being written, -1 when there is none or it is written (WriteCells).
int8_t lastCell[65536];
static_assert(kMaxViewCells <= 127, "cell indexes must fit lastCell");

void AddField(FieldList* list, int index) {
  list->field[list->count++] = static_cast<uint8_t>(index);
}

// False when the field table outgrows the room set aside for it here.
bool PrepareOutput() {
  memset(lastCell, -1, sizeof lastCell);
  if (kDecodedFieldCount > kMaxDecodedFields) return false;
  for (int i = 0; i < kDecodedFieldCount; ++i) {
    const DecodedField& field = kDecodedFields[i];
    nameLength[i] = strlen(field.name);
    if (field.carriedBy & kAbkFieldBit) AddField(&abkFields, i);
    for (int id = 0; id < 64; ++id)
      if (field.carriedBy & MessageFieldBit(id)) AddField(&messageFields[id], i);
  }
  return true;
}

void WriteOutput() {
  if (output.GetSize() == 0) return;
  if (fwrite(output.GetString(), 1, output.GetSize(), stdout) != output.GetSize()) writeFailed = true;
  output.Clear();
}

// Returns `text` itself when it has no byte above 0x7F.
const char* ValidUtf8(const char* text, size_t* length) {
  const auto* in = reinterpret_cast<const uint8_t*>(text);
  const size_t size = *length;
  size_t i = 0;
  while (i < size && in[i] < 0x80) ++i;
  if (i == size) return text;
  static std::string repaired;  // keeps its room from one text to the next
  repaired.assign(text, i);
  while (i < size) {
    const uint8_t lead = in[i];
    if (lead < 0x80) {
      repaired += static_cast<char>(lead);
      ++i;
      continue;
    }
    const size_t need = lead >= 0xC2 && lead <= 0xDF   ? 2
                        : lead >= 0xE0 && lead <= 0xEF ? 3
                        : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                       : 0;
    // The second byte's range excludes overlong forms, surrogates and code
    // points above U+10FFFF.
    const uint8_t low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
    const uint8_t high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
    size_t got = 1;
    if (need != 0 && got < size - i && in[i + got] >= low && in[i + got] <= high) {
      ++got;
      while (got < need && got < size - i && in[i + got] >= 0x80 && in[i + got] <= 0xBF) ++got;
    }
    if (need != 0 && got == need)
      repaired.append(text + i, need);
    else
      repaired += "\xEF\xBF\xBD";
    i += got;
  }
  *length = repaired.size();
  return repaired.data();
}

const char* KindName(int32_t kind) {
  switch (kind) {
    case kSlotVdm:
      return "VDM";
    case kSlotVdo:
      return "VDO";
    case kSlotAbk:
      return "ABK";
  }
  return "";
}

// The fields of the record's message by name, then the joined bytes in hex.
void WriteFields(const FieldList& list) {
  const auto* base = reinterpret_cast<const unsigned char*>(&record);
  json.StartObject();
  for (int n = 0; n < list.count; ++n) {
    const DecodedField& field = kDecodedFields[list.field[n]];
    json.Name(field.name, nameLength[list.field[n]]);
    const unsigned char* at = base + field.offset;
    switch (field.kind) {
      case FieldKind::kU8:
        json.Uint(at[0]);
        break;
      case FieldKind::kU16: {
        uint16_t v;
        memcpy(&v, at, sizeof v);
        json.Uint(v);
        break;
      }
      case FieldKind::kU32: {
        uint32_t v;
        memcpy(&v, at, sizeof v);
        json.Uint(v);
        break;
      }
      case FieldKind::kChar:
        // A channel not given is the empty text, not a NUL character.
        json.Text(reinterpret_cast<const char*>(at), at[0] != 0);
        break;
      case FieldKind::kText:
        json.Text(reinterpret_cast<const char*>(at), strnlen(reinterpret_cast<const char*>(at), field.size));
        break;
    }
  }
  static constexpr char kHexDigits[] = "0123456789abcdef";
  char hex[2 * kPayloadAreaBytes];
  const int length = record.payloadLength < kPayloadAreaBytes ? record.payloadLength : kPayloadAreaBytes;
  for (int i = 0; i < length; ++i) {
    hex[2 * i] = kHexDigits[record.payload[i] >> 4];
    hex[2 * i + 1] = kHexDigits[record.payload[i] & 15];
  }
  json.Name("payload");
  json.Name(hex, static_cast<size_t>(2 * length));
  json.EndObject();
}

// One cell as `"id":"text"`.
void WriteCell(const ViewCell& shown) {
  char key[8];
  const auto end = std::to_chars(key, key + sizeof key, static_cast<uint16_t>(shown.controlId)).ptr;
  json.Name(key, static_cast<size_t>(end - key));
  json.Text(shown.text, strnlen(shown.text, sizeof shown.text));
}

// The cells by control id. A view that writes one control twice shows the
// last text, in the place of the first.
void WriteCells(int count) {
  for (int i = 0; i < count; ++i) lastCell[static_cast<uint16_t>(cells[i].controlId)] = static_cast<int8_t>(i);
  json.StartObject();
  for (int i = 0; i < count; ++i) {
    int8_t& last = lastCell[static_cast<uint16_t>(cells[i].controlId)];
    if (last < 0) continue;  // written already
    WriteCell(cells[last]);
    last = -1;
  }
  json.EndObject();
}

// The generic view's rows by label, in order. A label a message repeats
// ("Spare") is numbered from its second row on, "Spare (2)", so that every
// key of the object is its own.
void WriteGenericRows(int count) {
  json.StartObject();
  for (int i = 0; i < count; ++i) {
    const GenericRow& row = genericRows[i];
    int same = 1;
    for (int j = 0; j < i; ++j) same += strcmp(genericRows[j].label, row.label) == 0;
    if (same == 1) {
      json.Text(row.label, strlen(row.label));
    } else {
      char key[96];
      snprintf(key, sizeof key, "%s (%d)", row.label, same);
      json.Text(key, strlen(key));
    }
    json.Text(row.value, strnlen(row.value, sizeof row.value));
  }
  json.EndObject();
}

// The main window's part: note the slot, then do what a click on its column
// does, and print the result.
void OnStoredSlot(void*, int32_t kind, int32_t slot) {
  NoteStoredSlot(&messageLog, slot, kind);
  if (options.sentences) return;  // the sentence's own line says where it went
  const ViewChoice choice = ChooseSlotView(&messageLog, slot, &record);
  const LogSlot& noted = messageLog.slots[slot];
  const bool generic = choice.templateId != 0 && choice.viewCode == kViewGeneric;
  const int count = generic                  ? FillGenericRows(record, genericRows)
                    : choice.templateId != 0 ? FillViewCells(choice.viewCode, record, cells)
                                             : 0;

  if (output.GetSize() >= kWriteAt) WriteOutput();
  json.Reset(output);
  json.StartObject();
  json.Name("slot");
  json.Int(slot);
  json.Name("kind");
  json.Name(KindName(kind));
  json.Name("channelRow");
  json.Int(noted.channelRow);
  json.Name("messageId");
  json.Int(noted.messageId);
  json.Name("template");
  choice.templateId != 0 ? json.Int(choice.templateId) : json.Null();
  json.Name("view");
  choice.templateId != 0 ? json.Int(choice.viewCode) : json.Null();
  json.Name("fields");
  WriteFields(kind == kSlotAbk ? abkFields : messageFields[record.messageId & 63]);
  json.Name("cells");
  generic ? WriteGenericRows(count) : WriteCells(count);
  json.EndObject();
  output.Put('\n');
}

// One line per fate the intake handed over since the last call.
void PrintFates() {
  SentenceFate fate;
  while (TakeFate(&fates, &fate)) {
    if (output.GetSize() >= kWriteAt) WriteOutput();
    char description[kFateDescriptionRoom];
    const size_t length = DescribeFate(fate, description, sizeof description);
    json.Reset(output);
    json.StartObject();
    json.Name("fate");
    json.Name(FateName(fate.code));
    json.Name("slot");
    fate.code == kFateStored ? json.Int(fate.details.slot) : json.Null();
    json.Name("description");
    json.Text(description, length);
    json.Name("sentence");
    json.Text(fate.text, fate.textLength);
    json.Name("longer");
    json.Bool(fate.textLonger);
    json.EndObject();
    output.Put('\n');
  }
}

// The counters as one JSON line: bytes and sentences, every fate, then the
// unfinished messages given up.
void PrintStats(FILE* to) {
  const IntakeCounts counts = ReadIntakeCounts(counters);
  int order[kIntakeCounts];
  int n = 0;
  order[n++] = kCountBytes;
  order[n++] = kCountSentences;
  for (int code = 0; code < kFateCodes; ++code) order[n++] = code;
  order[n++] = kCountPartialMessagesDiscarded;
  rapidjson::StringBuffer line;
  rapidjson::Writer<rapidjson::StringBuffer> stats(line);
  stats.StartObject();
  stats.Key("stats");
  stats.StartObject();
  for (int i = 0; i < n; ++i) {
    stats.Key(IntakeCountName(order[i]));
    stats.Uint64(counts.of[order[i]]);
  }
  stats.EndObject();
  stats.EndObject();
  fprintf(to, "%s\n", line.GetString());
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
  WriteOutput();  // the output of the inputs before it comes first
  fflush(stdout);
  const char* shown = strcmp(path, "-") == 0 ? "standard input" : path;
  fprintf(stderr, "asm-decode: cannot read '%s': %s\n", shown, strerror(error));
}

// Log files often end their lines in a line feed alone, which the intake
// (made for the CR LF of a transponder) ignores: a line feed that ends a
// sentence begun on its line without a carriage return gets one in front of
// it. Other lines (comments) are left alone, since a carriage return there
// would end the previous sentence a second time. Returns the bytes written.
long EndSentencesWithCarriageReturn(const uint8_t* in, long count, uint8_t* out) {
  static bool sentenceOpen = false;  // carries over reads
  long written = 0;
  long at = 0;
  while (at < count) {
    const auto* newline = static_cast<const uint8_t*>(memchr(in + at, '\n', static_cast<size_t>(count - at)));
    const long end = newline ? newline - in : count;
    // The last "!", "$" or carriage return of the line so far says whether a
    // sentence is open; looked for from the end, where it usually stands.
    for (long i = end; i > at; --i) {
      const uint8_t b = in[i - 1];
      if (b == '!' || b == '$' || b == '\r') {
        sentenceOpen = b != '\r';
        break;
      }
    }
    memcpy(out + written, in + at, static_cast<size_t>(end - at));
    written += end - at;
    if (newline == nullptr) break;
    if (sentenceOpen) out[written++] = '\r';
    out[written++] = '\n';
    sentenceOpen = false;
    at = end + 1;
  }
  return written;
}

// --link: the lines of a recording that were received on one port, each
// put out whole (TAG block and all) with CR LF. Lines are cut at CR and LF
// as the recorder cuts them and may span reads; a line too long for any
// recorded one is passed over whole.
constexpr int kLinkLineRoom = 1024;
struct LinkLineFilter {
  char line[kLinkLineRoom];
  int length = 0;
  bool overlong = false;
};
LinkLineFilter linkFilter;

void EndLinkLine(uint8_t* out, long* written) {
  LinkLineFilter& f = linkFilter;
  if (f.length > 0 && !f.overlong) {
    TaggedLine tagged;
    ParseTaggedLine(f.line, f.length, &tagged);
    if (ReceivedOn(tagged.tag, options.link)) {
      memcpy(out + *written, f.line, static_cast<size_t>(f.length));
      *written += f.length;
      out[(*written)++] = '\r';
      out[(*written)++] = '\n';
    }
  }
  f.length = 0;
  f.overlong = false;
}

// Returns the bytes written to `out`: at most a carried line, `count` and
// one byte more for every line end.
long KeepLinkLines(const uint8_t* in, long count, uint8_t* out) {
  LinkLineFilter& f = linkFilter;
  long written = 0;
  for (long i = 0; i < count; ++i) {
    const char c = static_cast<char>(in[i]);
    if (c == '\r' || c == '\n') {
      EndLinkLine(out, &written);
    } else if (f.length == kLinkLineRoom) {
      f.overlong = true;
    } else {
      f.line[f.length++] = c;
    }
  }
  return written;
}

constexpr long kReadBytes = 1 << 16;

// Feeds bytes to the intake in chunks of --chunk bytes, as a reader thread
// delivers them.
void FeedInChunks(const IntakeTarget& target, const uint8_t* bytes, long count) {
  for (long at = 0; at < count; at += options.chunk) {
    const int size = count - at < options.chunk ? static_cast<int>(count - at) : options.chunk;
    FeedIntake(&intake, &target, bytes + at, size);
    if (options.sentences) PrintFates();  // a chunk never holds more fates than the ring
  }
}

// Feeds bytes as read to the intake: with --link only its port's lines, line
// ends made whole, in chunks.
void FeedRead(const IntakeTarget& target, const uint8_t* bytes, long count) {
  static uint8_t kept[2 * kReadBytes + kLinkLineRoom + 2];
  static uint8_t lines[2 * sizeof kept];
  if (options.link != nullptr) {
    count = KeepLinkLines(bytes, count, kept);
    bytes = kept;
  }
  FeedInChunks(target, lines, EndSentencesWithCarriageReturn(bytes, count, lines));
}

// Feeds one input to the intake, each read's last chunk possibly shorter.
// Returns false when the input could not be read.
bool DecodeInput(const char* path, const IntakeTarget& target) {
  static uint8_t buffer[kReadBytes];
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
    FeedRead(target, buffer, got);
    WriteOutput();  // a live stream shows its messages as they come
    fflush(stdout);
  }
  CloseInput(fd);
  // A last line without its line end is ended here, so that its sentence is
  // evaluated and each input ends where its file does.
  FeedRead(target, reinterpret_cast<const uint8_t*>("\n"), 1);
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

void PrintHelp() {
  fputs(kUsage, stdout);
  fputs(
      "Feeds the NMEA sentences of each FILE (standard input when none, or for \"-\")\n"
      "to one sentence intake and prints one JSON line per logged VDM, VDO or ABK\n"
      "message: its slot, timeline row and message id, the view a click opens, the\n"
      "decoded fields and the texts of the view's cells. Lines may end in CR LF or\n"
      "in LF alone.\n"
      "  --chunk N     feed the intake N bytes at a time (1 to 128, default 128)\n"
      "  --sentences   print one JSON line per sentence instead: its fate (stored,\n"
      "                fragment held, checksum mismatch, ...), the slot it was stored\n"
      "                in, a description and the sentence as received\n"
      "  --stats       print the intake's counters at the end: bytes (with the CR\n"
      "                added to lines ending in LF alone), sentences, each fate and\n"
      "                the unfinished messages discarded; as a last line, or with\n"
      "                --sentences on standard error\n"
      "  --link PORT   decode only the lines received on PORT (COM7): those whose\n"
      "                TAG block names it as source (s:), as a recording made by\n"
      "                the client or another recorder marks them; lines without a\n"
      "                TAG block belong to no port\n",
      stdout);
}

// Returns -1 to run, else the exit status.
int ParseOptions(int argc, char** argv) {
  enum { kChunk = 256, kSentences, kStats, kLink };
  static const option kLong[] = {
      {"chunk", required_argument, nullptr, kChunk}, {"sentences", no_argument, nullptr, kSentences},
      {"stats", no_argument, nullptr, kStats},       {"link", required_argument, nullptr, kLink},
      {"help", no_argument, nullptr, 'h'},           {nullptr, 0, nullptr, 0},
  };
  int c;
  while ((c = getopt_long(argc, argv, "h", kLong, nullptr)) != -1) {
    switch (c) {
      case kChunk:
        if (!ParseChunk(optarg, &options.chunk)) return UsageError("--chunk takes a number from 1 to 128, not", optarg);
        break;
      case kSentences:
        options.sentences = true;
        break;
      case kStats:
        options.stats = true;
        break;
      case kLink:
        if (optarg[0] == '\0' || strlen(optarg) > kTagStationChars)
          return UsageError("--link takes a port name of 1 to 15 characters, not", optarg);
        options.link = optarg;
        break;
      case 'h':
        PrintHelp();
        return 0;
      default:  // getopt has said what was wrong
        fputs(kUsage, stderr);
        return 1;
    }
  }
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  const int status = ParseOptions(argc, argv);
  if (status >= 0) return status;
  const char* const standardInput[] = {"-"};
  const char* const* inputs = optind < argc ? argv + optind : standardInput;
  const int inputCount = optind < argc ? argc - optind : 1;

#ifdef _WIN32
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  InitLog(&messageLog);
  if (!PrepareOutput()) {
    fputs("asm-decode: the decoded record has more fields than this build can print\n", stderr);
    return 3;
  }
  IntakeTarget target{&messageLog, OnStoredSlot, nullptr};
  target.counters = &counters;
  if (options.sentences) target.fates = &fates;

  int result = 0;
  for (int i = 0; i < inputCount; ++i)
    if (!DecodeInput(inputs[i], target)) result = 2;

  WriteOutput();
  if (options.stats) {
    fflush(stdout);  // the summary on a terminal comes after the lines
    PrintStats(options.sentences ? stderr : stdout);
  }
  if (fflush(stdout) != 0 || writeFailed || ferror(stdout)) {
    fprintf(stderr, "asm-decode: cannot write the output: %s\n", strerror(errno));
    return 2;
  }
  return result;
}
