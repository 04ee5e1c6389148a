#pragma once
// One sequence on the scripted editor: each action is performed as input
// (pointer moves, presses, keys, dialog answers) and then everything the
// user relies on is checked against an account of what the actions should
// have done:
// - the records change only as the action should (no stray or lost record):
//   a line starts at its first click, a polyline's segments form one chain,
//   a trace or conversion is one chain numbered from 1;
// - every point a tool records lies inside the picture of the resolution;
// - undo removes exactly the last group the user made, and redo puts
//   exactly that group back;
// - the picture (without a pending line) is a fresh replay of the list and
//   the view shows the canvas;
// - tool, colours and pending line are what the keys and icons chose;
// - a saved document reads back to the same list;
// - every action is back in the main loop within its step budget.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "sequence/actions.h"
#include "sequence/pictures.h"
#include "support/scripted_editor.h"

namespace kumodo::sequence {

struct Failure {
  std::string category;  // what kind of invariant broke, for shrinking
  std::string message;
};

class Session {
 public:
  explicit Session(std::vector<TestPicture> pictures);

  std::optional<Failure> Step(const Action& action);

 private:
  struct Point {
    int x;
    int y;
  };
  struct Document {
    std::vector<OperationRecord> records;
    std::vector<int> groups;
  };
  // What the actions so far should have left.
  struct Expected {
    int mode = kind::Line;
    bool paintDisplay = true;
    int drawingColour = 1;
    int borderColour = 0;
    int editingResolution = 1;
    std::optional<Point> pendingStart;  // the first point of a line under way
    bool chainOpen = false;             // the last group is a polyline that goes on
    std::vector<int> groups;            // sizes of the undo groups, oldest first
    std::vector<std::vector<OperationRecord>> undone;  // what redo puts back, newest last
    std::map<int, Document> saved;
    // The records of the document last opened or saved: an open over a
    // list that differs asks first.
    std::vector<OperationRecord> document;
  };
  // What an action should do to the records.
  struct Change {
    enum class Kind { None, Undo, Redo, Replace, ToolClick } kind = Kind::None;
    std::vector<OperationRecord> replacement;
    Point pointer{};
    Point pointerBefore{};  // where the pointer rested before the action
  };

  void Perform(const Action& action);
  void Run(const std::vector<ScriptEvent>& events, std::uint64_t endMs);
  std::vector<ScriptEvent> ClickIcon(std::uint64_t at, int panelIndex, int button) const;
  static std::vector<ScriptEvent> Chord(std::uint64_t at, char letter);
  std::string DocumentPath(int slot) const;

  Change Expect(const Action& action);
  void EndLine();
  void ChooseTool(int button);
  std::optional<Failure> CheckRecords(const Change& change, const std::vector<OperationRecord>& before,
                                      const ViewState& viewBefore);
  std::optional<Failure> CheckToolRecords(const std::vector<OperationRecord>& appended, const Change& click,
                                          const ViewState& view);
  std::optional<Failure> CheckState();
  std::optional<Failure> CheckPicture();
  std::optional<Failure> CheckSavedFile(int slot);

  std::vector<TestPicture> pictures_;
  scripted::ScriptedEditor app_;
  HeadlessPlatform referencePlatform_;
  Editor reference_;
  Expected expected_;
  bool drawingUnsaved_ = false;  // before the action under way
};

}  // namespace kumodo::sequence
