#include "sequence/session.h"

#include <filesystem>
#include <numeric>
#include <sstream>

#include "files/csv_document.h"
#include "files/text_file.h"
#include "picture/replay.h"
#include "picture/view.h"

namespace kumodo::sequence {
namespace {

using Kind = ScriptEvent::Kind;

// How long past its last input an action may keep the editor from its main loop.
constexpr std::uint64_t kStepBudgetMs = 20'000;
constexpr int kLeft = 0;
constexpr int kRight = 1;

int FloorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

std::vector<OperationRecord> Records(const OperationList& list) {
  return {list.slots.begin(), list.slots.begin() + list.count};
}

std::string Text(const OperationRecord& record) {
  std::string text = "{";
  for (std::size_t i = 0; i < record.size(); ++i) text += (i ? ", " : "") + std::to_string(record[i]);
  return text + "}";
}

std::string ListChange(const std::vector<OperationRecord>& from, const std::vector<OperationRecord>& to) {
  std::size_t same = 0;
  while (same < from.size() && same < to.size() && from[same] == to[same]) ++same;
  std::ostringstream text;
  text << from.size() << " records became " << to.size() << ", the first " << same << " kept";
  if (same < to.size()) text << "; record " << same << " is now " << Text(to[same]);
  return text.str();
}

// Where two pictures first differ, if they do (the byte above the colour is ignored).
std::optional<std::string> Difference(const Bitmap& seen, const Bitmap& wanted, int width, int height) {
  if (seen.width < width || seen.height < height || wanted.width < width || wanted.height < height) {
    return "sizes " + std::to_string(seen.width) + "x" + std::to_string(seen.height) + " and " +
           std::to_string(wanted.width) + "x" + std::to_string(wanted.height);
  }
  bool same = true;
  for (int y = 0; y < height && same; ++y) {
    const auto seenRow = seen.pixels.begin() + static_cast<std::ptrdiff_t>(y) * seen.width;
    same = std::equal(seenRow, seenRow + width, wanted.pixels.begin() + static_cast<std::ptrdiff_t>(y) * wanted.width);
  }
  if (same) return std::nullopt;
  int differing = 0;
  std::optional<std::string> first;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (((seen.At(x, y) ^ wanted.At(x, y)) & 0xFFFFFF) == 0) continue;
      if (!first) {
        std::ostringstream text;
        text << "first at (" << x << ", " << y << "): " << std::hex << (seen.At(x, y) & 0xFFFFFF) << " instead of "
             << (wanted.At(x, y) & 0xFFFFFF);
        first = text.str();
      }
      ++differing;
    }
  }
  if (!first) return std::nullopt;
  return std::to_string(differing) + " pixels differ, " + *first;
}

// The tools of the tool panel, by button; F1 to F6 are buttons 0 to 5.
constexpr int kToolModes[] = {kind::Line, kind::Polyline, kind::Paint, kind::TilePaint,
                              kind::TwoColourLine, kind::Dot, kind::Trace};

bool NeedsPaintDisplay(int button) { return button == 2 || button == 3; }

}  // namespace

Session::Session(std::vector<TestPicture> pictures)
    : pictures_(std::move(pictures)), referencePlatform_({}, 1'000'000'000), reference_(referencePlatform_) {
  StartUp(reference_);
}

std::string Session::DocumentPath(int slot) const {
  return (app_.folder.Path() / ("doc" + std::to_string(slot) + ".csv")).string();
}

// Pointer onto the icon, press, release.
std::vector<ScriptEvent> Session::ClickIcon(std::uint64_t at, int panelIndex, int button) const {
  const PanelButton& icon = app_.editor.panels.buttons[panelIndex][button];
  const int x = icon.left + std::max(icon.width, 8) / 2;
  const int y = icon.top + std::max(icon.height, 8) / 2;
  return {{at, Kind::MovePointer, x, y}, {at + 4, Kind::PressButton, kLeft}, {at + 9, Kind::ReleaseButton, kLeft}};
}

// Ctrl held around a letter.
std::vector<ScriptEvent> Session::Chord(std::uint64_t at, char letter) {
  const int key = vk::LetterA + letter - 'A';
  return {{at, Kind::PressKey, vk::Control}, {at + 2, Kind::PressKey, key}, {at + 6, Kind::ReleaseKey, key},
          {at + 8, Kind::ReleaseKey, vk::Control}};
}

void Session::Run(const std::vector<ScriptEvent>& events, std::uint64_t endMs) {
  app_.platform.AddEvents(events);
  app_.platform.CloseWindowAt(endMs + kStepBudgetMs);
  app_.RunUntil(endMs);
}

void Session::Perform(const Action& action) {
  HeadlessPlatform& platform = app_.platform;
  const Editor& editor = app_.editor;
  const std::uint64_t t = platform.NowMs() + 1;
  auto append = [](std::vector<ScriptEvent>& to, const std::vector<ScriptEvent>& more) {
    to.insert(to.end(), more.begin(), more.end());
  };
  std::visit(
      Overloaded{
          [&](const KeyTap& a) {
            const std::uint64_t up = t + 2 + static_cast<std::uint64_t>(a.holdMs);
            std::vector<ScriptEvent> events = {{t + 2, Kind::PressKey, a.key}, {up, Kind::ReleaseKey, a.key}};
            if (a.modifier != 0) append(events, {{t, Kind::PressKey, a.modifier}, {up + 2, Kind::ReleaseKey, a.modifier}});
            Run(events, up + 22);
          },
          [&](const Click& a) {
            const std::uint64_t up = t + 4 + static_cast<std::uint64_t>(a.holdMs);
            Run({{t, Kind::MovePointer, a.x, a.y}, {t + 4, Kind::PressButton, kLeft}, {up, Kind::ReleaseButton, kLeft}},
                up + 20);
          },
          [&](const RightClick&) {
            Run({{t, Kind::PressButton, kRight}, {t + 5, Kind::ReleaseButton, kRight}}, t + 25);
          },
          [&](const IconClick& a) {
            std::vector<ScriptEvent> events = ClickIcon(t, a.panel, a.button);
            events.back().atMs = t + 14;
            if (a.keyWhileHeld != 0) {
              append(events, {{t + 6, Kind::PressKey, a.keyWhileHeld}, {t + 8, Kind::ReleaseKey, a.keyWhileHeld}});
            }
            Run(events, t + 35);
          },
          [&](const ScrollDrag& a) {
            const ViewState& view = editor.view;
            const int step = VerticalStep(editor.settings);
            const int x = a.vertical ? 652 : view.scrollX + view.visibleWidth / 2;
            const int y = a.vertical ? view.scrollY * step + view.visibleHeight * step / 2 : 412;
            std::vector<ScriptEvent> events = {{t, Kind::MovePointer, x, y}, {t + 4, Kind::PressButton, kLeft}};
            for (int k = 1; k <= 3; ++k) {
              const int moved = a.distance * k / 3;
              events.push_back({t + 4 + 4 * static_cast<std::uint64_t>(k), Kind::MovePointer,
                                a.vertical ? x : x + moved, a.vertical ? y + moved : y});
            }
            events.push_back({t + 20, Kind::ReleaseButton, kLeft});
            Run(events, t + 40);
          },
          [&](const SettingsVisit& a) {
            std::vector<ScriptEvent> events = ClickIcon(t, panel::Files, 3);
            std::uint64_t at = t + 30;
            auto click = [&](int panelIndex, int button) {
              append(events, ClickIcon(at, panelIndex, button));
              at += 20;
            };
            if (a.editingResolutionButton >= 0) click(panel::EditingResolution, a.editingResolutionButton);
            if (a.toggleOutput) click(panel::OutputResolution, editor.settings.outputResolution == 1 ? 1 : 0);
            if (a.toggleTiling) click(panel::Tiling, editor.settings.tiling == 1 ? 1 : 0);
            if (a.keyTapped != 0 && !a.keyHeldPastEnd) {
              append(events, {{at, Kind::PressKey, a.keyTapped}, {at + 5, Kind::ReleaseKey, a.keyTapped}});
              at += 15;
            }
            if (a.keyTapped != 0 && a.keyHeldPastEnd) {
              append(events, {{at + 1, Kind::PressKey, a.keyTapped}, {at + 40, Kind::ReleaseKey, a.keyTapped}});
            }
            click(panel::SettingsOkCancel, a.ok ? 0 : 1);
            Run(events, at + 40);
          },
          [&](const Import& a) {
            if (a.picture < 0) {
              platform.QueueFileDialogAnswer(std::nullopt);
            } else {
              const TestPicture& picture = pictures_[static_cast<std::size_t>(a.picture)];
              platform.QueueFileDialogAnswer(picture.path);
              // Only a picture that fits is asked about; the other boxes answer OK by themselves.
              if (picture.kind == TestPicture::Kind::Fits) {
                platform.QueueMessageBoxAnswer(a.digital ? MessageBoxAnswer::Ok : MessageBoxAnswer::Cancel);
              }
            }
            Run(ClickIcon(t, panel::Files, 2), t + 40);
          },
          [&](const Save& a) {
            std::error_code error;
            if (std::filesystem::exists(DocumentPath(a.slot), error)) {
              platform.QueueMessageBoxAnswer(a.overwrite ? MessageBoxAnswer::Ok : MessageBoxAnswer::Cancel);
            }
            platform.QueueFileDialogAnswer(DocumentPath(a.slot));
            Run(a.byKeys ? Chord(t, 'S') : ClickIcon(t, panel::Files, 1), t + 40);
          },
          [&](const Open& a) {
            platform.QueueFileDialogAnswer(DocumentPath(a.slot));
            // Asked once the file is read, so only about a document saved before.
            if (drawingUnsaved_ && expected_.saved.count(a.slot)) {
              platform.QueueMessageBoxAnswer(a.dropDrawing ? MessageBoxAnswer::Ok : MessageBoxAnswer::Cancel);
            }
            Run(a.byKeys ? Chord(t, 'O') : ClickIcon(t, panel::Files, 0), t + 40);
          },
      },
      action);
}

void Session::EndLine() {
  expected_.pendingStart.reset();
  expected_.chainOpen = false;
}

void Session::ChooseTool(int button) {
  if (NeedsPaintDisplay(button) && !expected_.paintDisplay) return;
  expected_.mode = kToolModes[button];
  expected_.chainOpen = false;
  // The two-colour line tool leaves a started line as it is.
  if (expected_.mode != kind::TwoColourLine) expected_.pendingStart.reset();
}

Session::Change Session::Expect(const Action& action) {
  Expected& e = expected_;
  const std::vector<OperationRecord> records = Records(app_.editor.operations);
  auto undo = [&]() {
    if (e.mode == kind::Polyline) EndLine();
    if (e.groups.empty()) return Change{};
    Change change{Change::Kind::Undo, records};
    change.replacement.resize(records.size() - static_cast<std::size_t>(e.groups.back()));
    e.undone.emplace_back(records.begin() + static_cast<std::ptrdiff_t>(change.replacement.size()), records.end());
    e.groups.pop_back();
    return change;
  };
  auto redo = [&]() {
    if (e.mode == kind::Polyline) EndLine();
    if (e.undone.empty()) return Change{};
    Change change{Change::Kind::Redo, records};
    change.replacement.insert(change.replacement.end(), e.undone.back().begin(), e.undone.back().end());
    e.groups.push_back(static_cast<int>(e.undone.back().size()));
    e.undone.pop_back();
    return change;
  };
  auto toolClick = [&](int x, int y) {
    const PointerPosition resting = app_.platform.Pointer();
    Change change;
    change.kind = Change::Kind::ToolClick;
    change.pointer = {x, y};
    change.pointerBefore = {resting.x, resting.y};
    return change;
  };
  auto key = [&](int k, int modifier) {
    if (modifier == vk::Shift && k == vk::F12) return redo();
    if (modifier == vk::Control) {
      if (k == vk::LetterA + 'Z' - 'A') return undo();
      if (k == vk::LetterA + 'Y' - 'A') return redo();
      return Change{};
    }
    if (k >= vk::F1 && k < vk::F1 + 6) ChooseTool(k - vk::F1);
    if (k == vk::F12) return undo();
    if (k == vk::Escape) EndLine();
    if (k >= vk::Numpad0 && k <= vk::Numpad0 + 7) e.drawingColour = k - vk::Numpad0;
    if (k >= vk::Digit0 && k <= vk::Digit0 + 7) e.borderColour = k - vk::Digit0;
    if (k == vk::Enter || k == vk::Space) {
      const PointerPosition pointer = app_.platform.Pointer();
      return toolClick(pointer.x, pointer.y);
    }
    return Change{};
  };
  return std::visit(
      Overloaded{
          [&](const KeyTap& a) { return key(a.key, a.modifier); },
          [&](const Click& a) { return toolClick(a.x, a.y); },
          [&](const RightClick&) {
            EndLine();
            return Change{};
          },
          [&](const IconClick& a) {
            switch (a.panel) {
              case panel::Tools:
                ChooseTool(a.button);
                break;
              case panel::PaintDisplay:
                e.paintDisplay = a.button == 0;
                break;
              case panel::Zoom:
                EndLine();
                break;
              case panel::Undo:
                return undo();
              case panel::DrawingColour:
                e.drawingColour = a.button;
                break;
              case panel::BorderColour:
                e.borderColour = a.button;
                break;
              case panel::TilePalette:
                e.drawingColour = app_.editor.panels.firstColours[static_cast<std::size_t>(a.button)];
                break;
              default:
                break;
            }
            return Change{};
          },
          [&](const ScrollDrag&) { return Change{}; },
          [&](const SettingsVisit& a) {
            EndLine();
            if (a.ok && a.editingResolutionButton >= 0) {
              const int chosen = a.editingResolutionButton == 0 ? 1 : 2;
              if (chosen != e.editingResolution) e.undone.clear();
              e.editingResolution = chosen;
            }
            return Change{};
          },
          [&](const Import& a) {
            EndLine();
            if (a.picture >= 0 && pictures_[static_cast<std::size_t>(a.picture)].kind == TestPicture::Kind::Fits) {
              e.undone.clear();
            }
            return Change{};
          },
          [&](const Save& a) {
            std::error_code error;
            if (!std::filesystem::exists(DocumentPath(a.slot), error) || a.overwrite) {
              e.saved[a.slot] = {records, e.groups};
              e.document = records;
            }
            return Change{};
          },
          [&](const Open& a) {
            EndLine();
            const auto document = e.saved.find(a.slot);
            if (document == e.saved.end() || (drawingUnsaved_ && !a.dropDrawing)) return Change{};
            e.document = document->second.records;
            e.groups = document->second.groups;
            e.undone.clear();
            return Change{Change::Kind::Replace, document->second.records};
          },
      },
      action);
}

std::optional<Failure> Session::Step(const Action& action) {
  const std::vector<OperationRecord> before = Records(app_.editor.operations);
  drawingUnsaved_ = before != expected_.document;
  const ViewState viewBefore = app_.editor.view;
  const Change change = Expect(action);
  try {
    Perform(action);
  } catch (const WindowClosed&) {
    return Failure{"stuck", "the editor did not come back to its main loop within " + std::to_string(kStepBudgetMs) +
                                " ms of the action's last input"};
  }
  if (app_.platform.UnusedAnswers() > 0) return Failure{"prompts", "a question the action answers was not asked"};
  if (auto failure = CheckRecords(change, before, viewBefore)) return failure;
  if (auto failure = CheckState()) return failure;
  if (auto failure = CheckPicture()) return failure;
  if (const Save* save = std::get_if<Save>(&action)) return CheckSavedFile(save->slot);
  return std::nullopt;
}

// The file holds what was saved last in that slot, and a program lies beside it.
std::optional<Failure> Session::CheckSavedFile(int slot) {
  const auto document = expected_.saved.find(slot);
  if (document == expected_.saved.end()) return std::nullopt;
  const std::optional<std::string> text = ReadWholeFile(DocumentPath(slot));
  OperationList reread;
  if (text) ParseCsv(*text, reread);
  if (!text || Records(reread) != document->second.records) {
    return Failure{"saved file", "doc" + std::to_string(slot) + ".csv does not read back to the list saved"};
  }
  std::error_code error;
  if (std::filesystem::file_size(WithExtension(DocumentPath(slot), ".txt"), error) == 0) {
    return Failure{"saved file", "no BASIC program beside doc" + std::to_string(slot) + ".csv"};
  }
  return std::nullopt;
}

std::optional<Failure> Session::CheckRecords(const Change& change, const std::vector<OperationRecord>& before,
                                             const ViewState& viewBefore) {
  const std::vector<OperationRecord> after = Records(app_.editor.operations);
  switch (change.kind) {
    case Change::Kind::None:
      if (after != before) return Failure{"stray or lost record", ListChange(before, after)};
      break;
    case Change::Kind::Undo:
      if (after != change.replacement) {
        return Failure{"undo", "undo should remove the last group of " +
                                   std::to_string(before.size() - change.replacement.size()) + " records: " +
                                   ListChange(before, after)};
      }
      break;
    case Change::Kind::Redo:
      if (after != change.replacement) {
        return Failure{"redo", "redo should put back the " + std::to_string(change.replacement.size() - before.size()) +
                                   " records undone last: " + ListChange(before, after)};
      }
      break;
    case Change::Kind::Replace:
      if (after != change.replacement) return Failure{"open", "the opened list is not the one saved: " + ListChange(change.replacement, after)};
      break;
    case Change::Kind::ToolClick:
      if (after.size() < before.size() || !std::equal(before.begin(), before.end(), after.begin())) {
        return Failure{"stray or lost record", "a click changed earlier records: " + ListChange(before, after)};
      }
      if (auto failure = CheckToolRecords({after.begin() + static_cast<std::ptrdiff_t>(before.size()), after.end()},
                                          change, viewBefore)) {
        return failure;
      }
      if (after.size() > before.size()) expected_.undone.clear();
      break;
  }
  const int grouped = std::accumulate(expected_.groups.begin(), expected_.groups.end(), 0);
  if (grouped != static_cast<int>(after.size())) {
    return Failure{"groups", std::to_string(after.size()) + " records, but the groups made hold " + std::to_string(grouped)};
  }
  return std::nullopt;
}

std::optional<Failure> Session::CheckToolRecords(const std::vector<OperationRecord>& appended, const Change& click,
                                                 const ViewState& view) {
  Expected& e = expected_;
  const Point pointer = click.pointer;
  const int lastRow = (e.editingResolution == 2 ? 200 : 400) - 1;
  // The outline tool also takes the row just below the view.
  const int lowestPointerRow = e.mode == kind::Trace ? 400 : 399;
  const bool inView = pointer.x >= 0 && pointer.x <= 639 && pointer.y >= 0 && pointer.y <= lowestPointerRow;
  const Point point{FloorDiv(pointer.x, view.zoomX) + view.scrollX, FloorDiv(pointer.y, view.zoomY) + view.scrollY};
  const bool inPicture = point.x >= 0 && point.x <= 639 && point.y >= 0 && point.y <= lastRow;
  const bool toolRuns = (e.mode != kind::Paint && e.mode != kind::TilePaint) || e.paintDisplay;
  const std::string where = " at picture point (" + std::to_string(point.x) + ", " + std::to_string(point.y) + ")";
  auto fail = [&](const std::string& category, const std::string& what) {
    return Failure{category, what + where + (appended.empty() ? "" : "; first new record " + Text(appended[0]))};
  };
  if (!inView || !inPicture || !toolRuns) {
    if (!appended.empty()) return fail("stray or lost record", "a click the tool must ignore recorded something");
    return std::nullopt;
  }
  for (const OperationRecord& r : appended) {
    const bool startInside = r[field::X1] >= 0 && r[field::X1] <= 639 && r[field::Y1] >= 0 && r[field::Y1] <= lastRow;
    const bool endInside = r[field::Kind] != kind::Line ||
                           (r[field::X2] >= 0 && r[field::X2] <= 639 && r[field::Y2] >= 0 && r[field::Y2] <= lastRow);
    // A two-colour line copies a line that may come from the other resolution.
    if (r[field::Kind] != kind::TwoColourLine && (!startInside || !endInside)) {
      return fail("outside the picture", "recorded " + Text(r) + " outside the picture");
    }
  }
  auto isChain = [&](int recordKind) {
    for (std::size_t i = 0; i < appended.size(); ++i) {
      if (appended[i][field::Kind] != recordKind || appended[i][field::Chain] != static_cast<int>(i) + 1) return false;
    }
    return true;
  };
  const std::size_t made = appended.size();
  switch (e.mode) {
    case kind::Line:
    case kind::Polyline: {
      if (!e.pendingStart) {
        if (made != 0) return fail("stray or lost record", "a first click recorded something");
        e.pendingStart = point;
        return std::nullopt;
      }
      if (made != 1) return fail("stray or lost record", "a second click made " + std::to_string(made) + " records");
      const OperationRecord& r = appended[0];
      const Point start = *e.pendingStart;
      if (r[field::Kind] != kind::Line || r[field::X1] != start.x || r[field::Y1] != start.y) {
        return fail("pending point moved", "the line should start at the first click (" + std::to_string(start.x) + ", " +
                                               std::to_string(start.y) + ")");
      }
      // Near the edges (and anywhere on the panels) a line under way scrolls
      // the view pass by pass: there the end is not known to the pixel.
      auto edge = [](Point p) { return p.x < 16 || p.y < 16 || p.x >= 625 || p.y >= 385; };
      const bool scrolls = view.maxScrollX > 0 || view.maxScrollY > 0;
      const bool scrolled = scrolls && (edge(pointer) || edge(click.pointerBefore));
      if (!scrolled && (r[field::X2] != point.x || r[field::Y2] != point.y)) {
        return fail("line end", "the line should end");
      }
      if (r[field::Colour] != e.drawingColour) return fail("colour", "the line is not in the drawing colour");
      const bool goesOn = e.mode == kind::Polyline && e.chainOpen;
      const int position = goesOn ? e.groups.back() + 1 : 1;
      if (r[field::Chain] != position) {
        return fail("chain", "the segment should have chain position " + std::to_string(position));
      }
      if (goesOn) {
        ++e.groups.back();
      } else {
        e.groups.push_back(1);
      }
      e.chainOpen = e.mode == kind::Polyline;
      e.pendingStart.reset();
      if (e.chainOpen) e.pendingStart = Point{r[field::X2], r[field::Y2]};
      return std::nullopt;
    }
    case kind::Dot:
      if (appended != std::vector<OperationRecord>{{kind::Dot, static_cast<std::int16_t>(point.x),
                                                    static_cast<std::int16_t>(point.y), 0, 0,
                                                    static_cast<std::int16_t>(e.drawingColour), 0, 1}}) {
        return fail("dot", "a dot click should make one dot record");
      }
      break;
    case kind::Paint:
    case kind::TilePaint: {
      if (made > 1) return fail("stray or lost record", "a fill made " + std::to_string(made) + " records");
      if (made == 0) return std::nullopt;
      const OperationRecord& r = appended[0];
      if (r[field::Kind] != e.mode || r[field::X1] != point.x || r[field::Y1] != point.y ||
          r[field::Colour] != e.drawingColour || r[field::Border] != e.borderColour || r[field::Chain] != 1) {
        return fail("fill", "the fill record is not the click's");
      }
      break;
    }
    case kind::Trace:
      if (!isChain(kind::Line)) return fail("chain", "an outline should be one chain of lines numbered from 1");
      break;
    case kind::TwoColourLine:
      if (!isChain(kind::TwoColourLine)) {
        return fail("chain", "a two-colour conversion should be one chain numbered from 1");
      }
      break;
    default:
      if (made != 0) return fail("stray or lost record", "no tool should have recorded anything");
      break;
  }
  if (made > 0) e.groups.push_back(static_cast<int>(made));
  return std::nullopt;
}

std::optional<Failure> Session::CheckState() {
  const Editor& editor = app_.editor;
  const Expected& e = expected_;
  const DrawingState& d = editor.drawing;
  auto differs = [](const std::string& what, int seen, int wanted) {
    return Failure{what, what + " is " + std::to_string(seen) + ", not " + std::to_string(wanted)};
  };
  if (d.mode != e.mode) return differs("tool", d.mode, e.mode);
  if (editor.picture.paintDisplay != e.paintDisplay) return differs("paint display", editor.picture.paintDisplay, e.paintDisplay);
  if (d.drawingColour != e.drawingColour) return differs("drawing colour", d.drawingColour, e.drawingColour);
  if (d.borderColour != e.borderColour) return differs("border colour", d.borderColour, e.borderColour);
  if (editor.settings.editingResolution != e.editingResolution) {
    return differs("editing resolution", editor.settings.editingResolution, e.editingResolution);
  }
  if (editor.loop.clicksTaken != (e.pendingStart ? 1 : 0)) {
    return differs("pending line", editor.loop.clicksTaken, e.pendingStart ? 1 : 0);
  }
  const bool lineTool = d.mode == kind::Line || d.mode == kind::Polyline;
  if (lineTool && e.pendingStart && (static_cast<int>(d.x1) != e.pendingStart->x || static_cast<int>(d.y1) != e.pendingStart->y)) {
    return Failure{"pending point moved", "the pending first point is (" + std::to_string(static_cast<int>(d.x1)) + ", " +
                                              std::to_string(static_cast<int>(d.y1)) + "), not (" +
                                              std::to_string(e.pendingStart->x) + ", " + std::to_string(e.pendingStart->y) + ")"};
  }
  if (d.mode == kind::Polyline) {
    const int chain = e.chainOpen ? e.groups.back() : 0;
    if (d.chainCounter != chain) return differs("chain", d.chainCounter, chain);
  }
  return std::nullopt;
}

std::optional<Failure> Session::CheckPicture() {
  Editor& editor = app_.editor;
  Editor& r = reference_;
  // The records and the slot after them, which the replay also draws.
  const OperationList& list = editor.operations;
  std::copy(list.slots.begin(), list.slots.begin() + list.count + 1, r.operations.slots.begin());
  r.operations.count = list.count;
  r.picture = editor.picture;
  r.settings = editor.settings;
  if (editor.picture.underlay == 1 || editor.picture.underlay == 2) {
    r.images.work[editor.picture.underlay].Pixels() = editor.images.work[editor.picture.underlay].Pixels();
  }
  r.view = ViewState();
  SetUpView(r);
  ReplayPicture(r, kNoProbe);
  const Bitmap& clean = editor.images.clean.Pixels();
  const int height = PictureHeight(editor.settings);
  if (auto difference = Difference(clean, r.images.canvas.Pixels(), 640, height)) {
    return Failure{"picture", "the picture is not a replay of its list: " + *difference};
  }
  if (editor.loop.clicksTaken == 0) {
    if (auto difference = Difference(editor.images.canvas.Pixels(), clean, 640, height)) {
      return Failure{"picture", "the canvas holds more than the picture: " + *difference};
    }
  }
  // The view as the canvas would show now.
  r.view = editor.view;
  r.images.viewCrop.Pixels() = Bitmap(editor.view.visibleWidth, editor.view.visibleHeight);
  r.images.canvas.Pixels() = editor.images.canvas.Pixels();
  ShowCanvas(r);
  if (auto difference = Difference(editor.screen.backBuffer, r.screen.backBuffer, 640, 400)) {
    return Failure{"view", "the view does not show the canvas: " + *difference};
  }
  return std::nullopt;
}

}  // namespace kumodo::sequence
