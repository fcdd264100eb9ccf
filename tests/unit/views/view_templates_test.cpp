// The view templates against the view cell lists: every cell a view writes
// exists, empty, in the template its view code opens, and every empty cell of
// a template is written by some message that opens it. Read from the resource
// script itself, so a control id mistyped on either side fails here rather
// than as a cell that silently stays blank. The script must also be what its
// generator makes, and each label must stand over its own cell, clear of the
// other labels, in any font: that is the geometry of the labels' boxes, in
// dialog units, which the dialog manager scales with the font.
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

// A control of a template as its resource-script line gives it: what it is,
// its id and its box in dialog units.
struct Control {
  bool valueCell;  // an edit, or a centred text empty in the template: written by the view
  bool label;      // a centred text without a border: a column label
  int id, x, y, width, height;
};

struct Template {
  int width = 0;
  std::vector<Control> controls;  // in the script's order
};

// The first five comma-separated numbers of a resource-script line from
// `at` on: a control's id, x, y, width and height after its text (or after
// EDITTEXT), a template's x, y, width and height after DIALOGEX.
std::vector<int> Numbers(const std::string& line, size_t at) {
  std::istringstream rest(line.substr(at));
  std::vector<int> numbers;
  std::string item;
  while (numbers.size() < 5 && std::getline(rest, item, ',')) {
    if (item.find_first_of("0123456789") != std::string::npos) numbers.push_back(std::stoi(item));
  }
  return numbers;
}

std::map<int, Template> ReadTemplates() {
  std::ifstream file(ASM_SOURCE_DIR "/res/view_dialogs.rc");
  EXPECT_TRUE(file.good()) << "cannot read res/view_dialogs.rc";
  std::map<int, Template> templates;
  Template* current = nullptr;
  std::string line;
  while (std::getline(file, line)) {
    std::istringstream words(line);
    std::string first, second;
    words >> first >> second;
    if (second == "DIALOGEX") {
      current = &templates[std::stoi(first)];
      current->width = Numbers(line, line.find("DIALOGEX") + 8).at(2);
      continue;
    }
    const bool edit = first == "EDITTEXT";
    if (!current || (first != "CTEXT" && first != "LTEXT" && !edit)) continue;
    const std::vector<int> n = Numbers(line, edit ? line.find("EDITTEXT") + 8 : line.rfind('"') + 1);
    const bool centred = first == "CTEXT";
    const bool sunken = line.find("SS_SUNKEN") != std::string::npos;
    current->controls.push_back({edit || (centred && second.rfind("\"\",", 0) == 0), centred && !sunken, n.at(0),
                                 n.at(1), n.at(2), n.at(3), n.at(4)});
  }
  return templates;
}

struct TemplateControls {
  std::set<int> emptyCells;  // value cells the dialog procedure may write
  std::set<int> otherIds;    // fixed cells and labels with an id
  std::vector<int> allIds;   // every id but the anonymous -1
};

TemplateControls ControlIds(const Template& t) {
  TemplateControls ids;
  for (const Control& control : t.controls) {
    if (control.id == -1) continue;
    ids.allIds.push_back(control.id);
    (control.valueCell ? ids.emptyCells : ids.otherIds).insert(control.id);
  }
  return ids;
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
      {41400, kViewGeneric, {plain}},  // a list view written by its own procedure: no cells
  };
}

TEST(ViewTemplates, ExactlyTheViewTemplatesWithUniqueControlIds) {
  const std::map<int, Template> templates = ReadTemplates();
  std::set<int> expected;
  for (const Opening& opening : Openings()) expected.insert(opening.templateId);
  std::set<int> found;
  for (const auto& [id, t] : templates) {
    found.insert(id);
    std::set<int> seen;
    for (int control : ControlIds(t).allIds)
      EXPECT_TRUE(seen.insert(control).second) << "template " << id << " repeats control " << control;
  }
  EXPECT_EQ(found, expected);
}

TEST(ViewTemplates, EveryWrittenCellExistsAndEveryCellIsWritten) {
  const std::map<int, Template> templates = ReadTemplates();
  for (const Opening& opening : Openings()) {
    SCOPED_TRACE("template " + std::to_string(opening.templateId));
    auto it = templates.find(opening.templateId);
    ASSERT_NE(it, templates.end());
    const TemplateControls controls = ControlIds(it->second);
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

TEST(ViewTemplates, EachLabelStandsOverItsCellClearOfTheOthers) {
  const std::map<int, Template> templates = ReadTemplates();
  ASSERT_EQ(templates.size(), Openings().size());
  for (const auto& [id, t] : templates) {
    SCOPED_TRACE("template " + std::to_string(id));
    // Labels and cells by line: a row of labels goes with the row of cells
    // next below it, label k over cell k.
    std::map<int, std::vector<Control>> labels, cells;
    for (const Control& control : t.controls) (control.label ? labels : cells)[control.y].push_back(control);
    EXPECT_EQ(labels.size(), cells.size());
    for (const auto& [y, row] : labels) {
      auto below = cells.upper_bound(y);
      ASSERT_NE(below, cells.end()) << "labels at y " << y << " over no cells";
      ASSERT_EQ(row.size(), below->second.size()) << "labels at y " << y;
      for (size_t k = 0; k < row.size(); ++k) {
        const Control& label = row[k];
        const Control& cell = below->second[k];
        // Doubled, to stay in whole numbers: the label's centre in the middle
        // half of its cell.
        const int centre = 2 * label.x + label.width;
        EXPECT_GE(2 * centre, 4 * cell.x + cell.width) << "label " << k << " at y " << y << " left of its cell";
        EXPECT_LE(2 * centre, 4 * cell.x + 3 * cell.width) << "label " << k << " at y " << y << " right of its cell";
        EXPECT_LE(label.y + label.height, cell.y) << "label " << k << " at y " << y << " reaches into its cell";
        EXPECT_GE(label.x, 0);
        EXPECT_LE(label.x + label.width, t.width);
        // A unit apart: each edge is rounded to pixels on its own.
        if (k > 0) {
          EXPECT_GE(label.x, row[k - 1].x + row[k - 1].width + 1) << "labels " << k - 1 << " and " << k;
        }
      }
    }
  }
}

TEST(ViewTemplates, AreWhatTheirGeneratorMakes) {
  const int status = std::system("python3 " ASM_SOURCE_DIR "/scripts/gen_view_dialogs.py --check");
  if (status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 127) GTEST_SKIP() << "no python3";
  EXPECT_EQ(status, 0) << "res/view_dialogs.rc differs from scripts/gen_view_dialogs.py's output, or the "
                          "generator found a label it cannot place; see its message above";
}

}  // namespace
