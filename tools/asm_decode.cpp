// asm-decode: reads NMEA sentences from files or standard input and prints,
// for every message the client would log, one JSON line with what the
// timeline notes, what a click on its column decodes and which view it opens
// with the texts of that view's cells; or, with --sentences, one line per
// sentence with its fate. One intake and a 50-slot log, exactly as the
// Presentation Port feeds them; single-threaded.
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif
#include <getopt.h>

#include "ais/decode.h"
#include "log/message_log.h"
#include "nmea/fate_ring.h"
#include "nmea/intake_counters.h"
#include "nmea/sentence_intake.h"
#include "tools/json_line.h"
#include "views/view_model.h"

namespace {

constexpr int kDefaultChunk = 128;
constexpr int kMaxChunk = 128;
constexpr const char kUsage[] = "usage: asm-decode [--chunk N] [--sentences] [--stats] [FILE ...]\n";

struct Options {
  int chunk = kDefaultChunk;
  bool sentences = false;  // one line per sentence and its fate, not per message
  bool stats = false;      // the counters at the end
};
Options options;

// The log, the intake and its observers are large and live for the whole run.
MessageLog messageLog;
SentenceIntake intake;
IntakeCounters counters;
FateRing fates;
DecodedMessage record;
ViewCell cells[kMaxViewCells];

// Most bytes one line can take: every field key and value at its widest, the
// payload in hex and every cell escaped byte by byte.
constexpr int kMaxDecodedFields = 128;
constexpr size_t kMaxFieldKey = 32;
constexpr size_t kMaxLine = kMaxDecodedFields * (kMaxFieldKey + JsonStringRoom(32)) + 2 * kPayloadAreaBytes +
                            kMaxViewCells * (16 + JsonStringRoom(kViewCellText)) + 256;

// Lines are gathered here and written out in blocks of about kWriteAt
// bytes, small enough for the buffer to stay in the cache.
constexpr size_t kWriteAt = 32 * 1024;
struct Output {
  char text[kWriteAt + kMaxLine];
  size_t used = 0;
  bool writeFailed = false;
};
Output output;

// Each field's key with the comma before it (`,"userId":`), copied as one
// fixed-size block; the first field of a line skips the comma.
struct FieldOut {
  char key[kMaxFieldKey];
  uint8_t keyLength;
  FieldKind kind;
  uint16_t offset;
  uint16_t room;  // of a text field, 0 for the others
};
FieldOut fieldOut[kMaxDecodedFields];

// The fields a record prints, in record order: those of its message id, or
// of the ABK. Ids without a decoder print none (their record stays empty).
struct FieldList {
  int count = 0;
  uint8_t field[kMaxDecodedFields];
};
FieldList messageFields[64];
FieldList abkFields;

// The cells by control id (16 bits, as the cell tables hold them). A view
// that writes one control twice shows the last text, in the place of the
// first: lastCell[id] holds the index of the last cell of each id, and is set
// back to -1 once that id is written.
int8_t lastCell[65536];
static_assert(kMaxViewCells <= 127, "cell indexes must fit lastCell");

// The key `,"id":` of each control id, made the first time the id is seen:
// views write the same few hundred controls over and over.
char cellKey[65536][9];
uint8_t cellKeyLength[65536];  // 0 until made

void AddField(FieldList* list, int index) {
  list->field[list->count++] = static_cast<uint8_t>(index);
}

// False when the field table outgrows the room set aside for it here.
bool PrepareOutput() {
  memset(lastCell, -1, sizeof lastCell);
  if (kDecodedFieldCount > kMaxDecodedFields) return false;
  for (int i = 0; i < kDecodedFieldCount; ++i) {
    const DecodedField& field = kDecodedFields[i];
    FieldOut& to = fieldOut[i];
    const int keyLength = snprintf(to.key, sizeof to.key, ",\"%s\":", field.name);
    if (keyLength < 0 || static_cast<size_t>(keyLength) >= sizeof to.key) return false;
    to.keyLength = static_cast<uint8_t>(keyLength);
    to.kind = field.kind;
    to.offset = field.offset;
    // Fields are listed in record order, so a text field's room ends where
    // the next field begins.
    const size_t end = i + 1 < kDecodedFieldCount ? kDecodedFields[i + 1].offset : offsetof(DecodedMessage, payload);
    to.room = field.kind == FieldKind::kText ? static_cast<uint16_t>(end - field.offset) : 0;
    if (to.room > 32) return false;
    if (field.carriedBy & kAbkFieldBit) AddField(&abkFields, i);
    for (int id = 0; id < 64; ++id)
      if (field.carriedBy & MessageFieldBit(id)) AddField(&messageFields[id], i);
  }
  return true;
}

void WriteOutput() {
  if (output.used == 0) return;
  if (fwrite(output.text, 1, output.used, stdout) != output.used) output.writeFailed = true;
  output.used = 0;
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

char* AppendLiteral(char* out, const char* text) {
  return AppendJsonRaw(out, text, strlen(text));
}

// Lowercase hex of every byte value, two characters each.
struct HexPairs {
  char of[256][2];
  constexpr HexPairs() : of() {
    constexpr char kDigits[] = "0123456789abcdef";
    for (int b = 0; b < 256; ++b) {
      of[b][0] = kDigits[b >> 4];
      of[b][1] = kDigits[b & 15];
    }
  }
};
constexpr HexPairs kHexPairs;

// The decimal text of every byte value, to be copied as four bytes.
struct ByteTexts {
  char text[256][4];
  uint8_t length[256];
  constexpr ByteTexts() : text(), length() {
    for (int v = 0; v < 256; ++v) {
      int n = 0;
      if (v >= 100) text[v][n++] = static_cast<char>('0' + v / 100);
      if (v >= 10) text[v][n++] = static_cast<char>('0' + v / 10 % 10);
      text[v][n++] = static_cast<char>('0' + v % 10);
      length[v] = static_cast<uint8_t>(n);
    }
  }
};
constexpr ByteTexts kByteTexts;

// The fields of the record's message by name, then the joined bytes in hex.
char* AppendFields(char* out, const FieldList& list) {
  const auto* base = reinterpret_cast<const unsigned char*>(&record);
  for (int n = 0; n < list.count; ++n) {
    const FieldOut& field = fieldOut[list.field[n]];
    const int skip = n == 0;  // no comma before the first
    memcpy(out, field.key + skip, sizeof field.key - 1);
    out += field.keyLength - skip;
    const unsigned char* at = base + field.offset;
    switch (field.kind) {
      case FieldKind::kU8:
        memcpy(out, kByteTexts.text[at[0]], 4);
        out += kByteTexts.length[at[0]];
        break;
      case FieldKind::kU16: {
        uint16_t v;
        memcpy(&v, at, sizeof v);
        out = AppendJsonUnsigned(out, v);
        break;
      }
      case FieldKind::kU32: {
        uint32_t v;
        memcpy(&v, at, sizeof v);
        out = AppendJsonUnsigned(out, v);
        break;
      }
      case FieldKind::kChar:
        // A channel not given is the empty text, not a NUL character.
        out = AppendJsonString(out, reinterpret_cast<const char*>(at), at[0] != 0);
        break;
      case FieldKind::kText:
        out = AppendJsonText(out, reinterpret_cast<const char*>(at), field.room);
        break;
    }
  }
  const int length = record.payloadLength < kPayloadAreaBytes ? record.payloadLength : kPayloadAreaBytes;
  out = AppendLiteral(out, list.count != 0 ? ",\"payload\":\"" : "\"payload\":\"");
  for (int i = 0; i < length; ++i, out += 2) memcpy(out, kHexPairs.of[record.payload[i]], 2);
  *out++ = '"';
  return out;
}

void MakeCellKey(uint16_t id) {
  char key[24];  // room for the number's fixed-size write
  char* end = key;
  *end++ = ',';
  *end++ = '"';
  end = AppendJsonUnsigned(end, id);
  *end++ = '"';
  *end++ = ':';
  memcpy(cellKey[id], key, sizeof cellKey[id]);  // at most `,"65535":`
  cellKeyLength[id] = static_cast<uint8_t>(end - key);
}

// One cell as `,"id":"text"`, without the comma when it comes first. Inline:
// a call per cell cost more than the copy it makes.
inline char* AppendCell(char* out, const ViewCell& shown, bool first) {
  const uint16_t id = static_cast<uint16_t>(shown.controlId);
  if (cellKeyLength[id] == 0) MakeCellKey(id);
  memcpy(out, cellKey[id] + first, sizeof cellKey[id] - 1);
  out += cellKeyLength[id] - first;
  return AppendJsonText(out, shown.text, sizeof shown.text);
}

char* AppendCells(char* out, int count) {
  // Views seldom write a control twice: a mask of the ids' low six bits
  // finds the lists that might, and only those take the exact way.
  uint64_t seen = 0;
  bool twice = false;
  for (int i = 0; i < count; ++i) {
    const uint64_t bit = uint64_t{1} << (cells[i].controlId & 63);
    twice |= (seen & bit) != 0;
    seen |= bit;
  }
  *out++ = '{';
  if (!twice) {
    for (int i = 0; i < count; ++i) out = AppendCell(out, cells[i], i == 0);
  } else {
    for (int i = 0; i < count; ++i) lastCell[static_cast<uint16_t>(cells[i].controlId)] = static_cast<int8_t>(i);
    bool first = true;
    for (int i = 0; i < count; ++i) {
      int8_t& last = lastCell[static_cast<uint16_t>(cells[i].controlId)];
      if (last < 0) continue;  // written already
      out = AppendCell(out, cells[last], first);
      last = -1;
      first = false;
    }
  }
  *out++ = '}';
  return out;
}

// The main window's part: note the slot, then do what a click on its column
// does, and print the result.
void OnStoredSlot(void*, uint32_t notification, int32_t slot) {
  NoteStoredSlot(&messageLog, slot, notification);
  if (options.sentences) return;  // the sentence's own line says where it went
  const ViewChoice choice = ChooseSlotView(&messageLog, slot, &record);
  const LogSlot& noted = messageLog.slots[slot];
  const int count = choice.templateId != 0 ? FillViewCells(choice.viewCode, record, cells) : 0;

  if (output.used >= kWriteAt) WriteOutput();
  char* out = output.text + output.used;
  out = AppendLiteral(out, "{\"slot\":");
  out = AppendJsonSigned(out, slot);
  out = AppendLiteral(out, ",\"kind\":");
  const char* kind = KindName(notification);
  out = AppendJsonString(out, kind, strlen(kind));
  out = AppendLiteral(out, ",\"channelRow\":");
  out = AppendJsonSigned(out, noted.channelRow);
  out = AppendLiteral(out, ",\"messageId\":");
  out = AppendJsonSigned(out, noted.messageId);
  if (choice.templateId != 0) {
    out = AppendLiteral(out, ",\"template\":");
    out = AppendJsonSigned(out, choice.templateId);
    out = AppendLiteral(out, ",\"view\":");
    out = AppendJsonSigned(out, choice.viewCode);
  } else {
    out = AppendLiteral(out, ",\"template\":null,\"view\":null");
  }
  out = AppendLiteral(out, ",\"fields\":{");
  out = AppendFields(out, notification == ID_LOG_ABK ? abkFields : messageFields[record.messageId & 63]);
  out = AppendLiteral(out, "},\"cells\":");
  out = AppendCells(out, count);
  out = AppendLiteral(out, "}\n");
  output.used = static_cast<size_t>(out - output.text);
}

// One line per fate the intake handed over since the last call.
void PrintFates() {
  SentenceFate fate;
  while (TakeFate(&fates, &fate)) {
    if (output.used >= kWriteAt) WriteOutput();
    char description[kFateDescriptionRoom];
    const size_t length = DescribeFate(fate, description, sizeof description);
    const char* name = FateName(fate.code);
    char* out = output.text + output.used;
    out = AppendLiteral(out, "{\"fate\":");
    out = AppendJsonString(out, name, strlen(name));
    out = AppendLiteral(out, ",\"slot\":");
    out = fate.code == kFateStored ? AppendJsonSigned(out, fate.details.slot) : AppendLiteral(out, "null");
    out = AppendLiteral(out, ",\"description\":");
    out = AppendJsonString(out, description, length);
    out = AppendLiteral(out, ",\"sentence\":");
    out = AppendJsonString(out, fate.text, fate.textLength);
    out = AppendLiteral(out, fate.textLonger ? ",\"longer\":true}\n" : ",\"longer\":false}\n");
    output.used = static_cast<size_t>(out - output.text);
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
  fputs("{\"stats\":{", to);
  for (int i = 0; i < n; ++i)
    fprintf(to, "%s\"%s\":%llu", i ? "," : "", IntakeCountName(order[i]),
            static_cast<unsigned long long>(counts.of[order[i]]));
  fputs("}}\n", to);
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
  static bool sentenceOpen = false;  // carries over reads and inputs
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

// Feeds one input to the intake in chunks of `chunk` bytes, as a reader
// thread delivers them (each read's last chunk may be shorter). Returns false
// when the input could not be read.
bool DecodeInput(const char* path, const IntakeTarget& target) {
  const int chunk = options.chunk;
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
      if (options.sentences) PrintFates();  // a chunk never holds more fates than the ring
    }
    WriteOutput();  // a live stream shows its messages as they come
    fflush(stdout);
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
      "                --sentences on standard error\n",
      stdout);
}

// Returns -1 to run, else the exit status.
int ParseOptions(int argc, char** argv) {
  enum { kChunk = 256, kSentences, kStats };
  static const option kLong[] = {
      {"chunk", required_argument, nullptr, kChunk},
      {"sentences", no_argument, nullptr, kSentences},
      {"stats", no_argument, nullptr, kStats},
      {"help", no_argument, nullptr, 'h'},
      {nullptr, 0, nullptr, 0},
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
  if (fflush(stdout) != 0 || output.writeFailed || ferror(stdout)) {
    fprintf(stderr, "asm-decode: cannot write the output: %s\n", strerror(errno));
    return 2;
  }
  return result;
}
