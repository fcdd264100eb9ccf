// The view templates against the view cell lists: every cell a view writes
// exists, empty, in the template its view code opens, and every empty cell of
// a template is written by some message that opens it. Read from the resource
// script itself, so a control id mistyped on either side fails here rather
// than as a cell that silently stays blank. The script must also be what its
// generator makes, which is where labels are placed over their cells.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "views/view_model.h"

namespace {

struct TemplateControls {
  std::set<int> emptyCells;  // value cells the dialog procedure may write
  std::set<int> otherIds;    // fixed cells and header lines with an id
  std::vector<int> allIds;   // every id but the anonymous -1
};

// Control id of a resource-script control line: the first number after the
// text, or the first number of an EDITTEXT.
int ControlId(const std::string& line, bool hasText) {
  size_t at = hasText ? line.find(',', line.rfind('"')) : line.find("EDITTEXT") + 8;
  return std::stoi(line.substr(at + (hasText ? 1 : 0)));
}

std::map<int, TemplateControls> ReadTemplates() {
  std::ifstream file(ASM_SOURCE_DIR "/res/view_dialogs.rc");
  EXPECT_TRUE(file.good()) << "cannot read res/view_dialogs.rc";
  std::map<int, TemplateControls> templates;
  TemplateControls* current = nullptr;
  std::string line;
  while (std::getline(file, line)) {
    std::istringstream words(line);
    std::string first, second;
    words >> first >> second;
    if (second == "DIALOGEX") {
      current = &templates[std::stoi(first)];
      continue;
    }
    if (!current) continue;
    const bool edit = first == "EDITTEXT";
    if (first != "CTEXT" && first != "LTEXT" && !edit) continue;
    const int id = ControlId(line, !edit);
    if (id == -1) continue;
    current->allIds.push_back(id);
    const bool empty = edit || (first == "CTEXT" && second.rfind("\"\",", 0) == 0);
    (empty ? current->emptyCells : current->otherIds).insert(id);
  }
  return templates;
}

DecodedMessage Record(uint8_t unitFlag, uint8_t commStateFlag, uint8_t partNumber) {
  DecodedMessage record;
  memset(&record, 0, sizeof record);
  record.unitFlag = unitFlag;
  record.commStateFlag = commStateFlag;
  record.partNumber = partNumber;
  return record;
}

// The template each view code opens, and the records that open it (the
// fields that choose the template or the cells).
struct Opening {
  int templateId;
  int viewCode;
  std::vector<DecodedMessage> records;
};

std::vector<Opening> Openings() {
  const DecodedMessage plain = Record(0, 0, 0);
  return {
      {1452, 1, {plain}},
      {1453, 2, {plain}},
      {1456, 3, {plain}},
      {120, 4, {plain}},
      {121, 5, {plain}},
      {129, 7, {plain}},
      {132, 13, {plain}},
      {1471, 18, {Record(0, 0, 0), Record(1, 0, 0)}},
      {142, 18, {Record(0, 1, 0), Record(1, 1, 0)}},
      {126, 21, {plain}},
      {151, 24, {Record(0, 0, 0)}},
      {152, 24, {Record(0, 0, 1)}},
      {1432, kViewAbk, {plain}},
      {1447, kViewTidalWindow, {plain}},
      {1448, kViewMetHydro, {plain}},
  };
}

TEST(ViewTemplates, ExactlyTheViewTemplatesWithUniqueControlIds) {
  const std::map<int, TemplateControls> templates = ReadTemplates();
  std::set<int> expected;
  for (const Opening& opening : Openings()) expected.insert(opening.templateId);
  std::set<int> found;
  for (const auto& [id, controls] : templates) {
    found.insert(id);
    std::set<int> seen;
    for (int control : controls.allIds)
      EXPECT_TRUE(seen.insert(control).second) << "template " << id << " repeats control " << control;
  }
  EXPECT_EQ(found, expected);
}

TEST(ViewTemplates, EveryWrittenCellExistsAndEveryCellIsWritten) {
  const std::map<int, TemplateControls> templates = ReadTemplates();
  for (const Opening& opening : Openings()) {
    SCOPED_TRACE("template " + std::to_string(opening.templateId));
    auto it = templates.find(opening.templateId);
    ASSERT_NE(it, templates.end());
    const TemplateControls& controls = it->second;
    std::set<int> written;
    for (const DecodedMessage& record : opening.records) {
      ViewCell cells[kMaxViewCells];
      const int count = FillViewCells(opening.viewCode, record, cells);
      for (int i = 0; i < count; ++i) {
        const int id = cells[i].controlId;
        EXPECT_TRUE(controls.emptyCells.count(id)) << "view " << opening.viewCode << " writes control " << id
                                                   << (controls.otherIds.count(id) ? ", a fixed text" : ", missing");
        written.insert(id);
      }
    }
    for (int id : controls.emptyCells) EXPECT_TRUE(written.count(id)) << "cell " << id << " is never written";
  }
}

TEST(ViewTemplates, AreWhatTheirGeneratorMakes) {
  const int status = std::system("python3 " ASM_SOURCE_DIR "/scripts/gen_view_dialogs.py --check");
  if (status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 127) GTEST_SKIP() << "no python3";
  EXPECT_EQ(status, 0) << "res/view_dialogs.rc differs from scripts/gen_view_dialogs.py's output, or the "
                          "generator found a label it cannot place; see its message above";
}

}  // namespace
