#include "platform/button_latch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace kumodo {
namespace {

TEST(ButtonLatch, PressAndReleaseBetweenTwoPollsShowDownOnceThenUp) {
  ButtonLatch latch;
  latch.BeginPump();
  latch.Press();
  latch.Release();
  EXPECT_TRUE(latch.Observe());
  EXPECT_TRUE(latch.Observe());  // still the same pass: no pump in between
  latch.BeginPump();
  EXPECT_FALSE(latch.Observe());
}

TEST(ButtonLatch, AnUnobservedPressSurvivesPumpsUntilSeen) {
  ButtonLatch latch;
  latch.Press();
  latch.Release();
  latch.BeginPump();
  latch.BeginPump();
  EXPECT_TRUE(latch.Observe());
  latch.BeginPump();
  EXPECT_FALSE(latch.Observe());
}

TEST(ButtonLatch, APressIsUnseenUntilAPollSeesItNotAPeek) {
  ButtonLatch latch;
  EXPECT_FALSE(latch.PressUnseen());
  latch.Press();
  latch.Release();
  latch.BeginPump();
  EXPECT_TRUE(latch.Peek());
  EXPECT_TRUE(latch.PressUnseen());
  EXPECT_TRUE(latch.Observe());
  EXPECT_FALSE(latch.PressUnseen());
}

TEST(ButtonLatch, APeekDoesNotCountAsSeeingThePress) {
  ButtonLatch latch;
  latch.Press();
  latch.Release();
  EXPECT_TRUE(latch.Peek());
  latch.BeginPump();
  EXPECT_TRUE(latch.Observe()) << "still down for the poll after the peek";
  latch.BeginPump();
  EXPECT_FALSE(latch.Peek());
}

TEST(ButtonLatch, AHeldButtonReleasesAtOnce) {
  ButtonLatch latch;
  latch.Press();
  EXPECT_TRUE(latch.Observe());
  latch.BeginPump();
  latch.Release();
  EXPECT_FALSE(latch.Observe());
}

// What a poll after each pump sees, for `polls` pumps.
std::string PollsAfterPumps(ButtonLatch& latch, int polls) {
  std::string seen;
  for (int i = 0; i < polls; ++i) {
    latch.BeginPump();
    seen += latch.Observe() ? 'D' : 'u';
  }
  return seen;
}

TEST(ButtonLatch, ClicksBetweenTwoPollsAreEachSeenDownThenUpAtTheirOwnSpot) {
  ButtonLatch latch;
  latch.Press({10, 20});
  latch.Release();
  latch.Press({30, 40});
  latch.Release();
  latch.Press({50, 60});
  latch.Release();
  latch.BeginPump();
  EXPECT_EQ(latch.PressedAt().x, 10);
  EXPECT_TRUE(latch.Observe());
  EXPECT_EQ(PollsAfterPumps(latch, 5), "uDuDu");
  EXPECT_FALSE(latch.NeedsPump());
}

TEST(ButtonLatch, TheWaitingClickStartsWhereItWasPressedAndMayStillBeHeld) {
  ButtonLatch latch;
  latch.Press({1, 1});
  EXPECT_TRUE(latch.Observe());
  latch.Release();  // seen, so up at once
  latch.Press({7, 8});  // before any poll saw the button up: waits
  EXPECT_FALSE(latch.Peek());
  EXPECT_EQ(PollsAfterPumps(latch, 1), "u");
  latch.BeginPump();
  EXPECT_TRUE(latch.PressUnseen());
  EXPECT_EQ(latch.PressedAt().y, 8);
  EXPECT_EQ(PollsAfterPumps(latch, 3), "DDD") << "still held: down until its release";
  latch.Release();
  EXPECT_FALSE(latch.Observe());
}

TEST(ButtonLatch, EveryClickOfABurstIsSeenAndSettles) {
  ButtonLatch latch;
  for (int i = 0; i < 40; ++i) {
    latch.Press({i, 0});
    latch.Release();
  }
  latch.Release();  // a stray release settles at once
  EXPECT_EQ(latch.Received(), 81u);
  const std::string seen = PollsAfterPumps(latch, 90);
  EXPECT_EQ(std::count(seen.begin(), seen.end(), 'D'), 40) << seen;
  EXPECT_EQ(latch.Settled(), latch.Received());
  latch.Press();
  latch.Reset();
  EXPECT_FALSE(latch.Observe());
  EXPECT_EQ(latch.Settled(), latch.Received());
}

// A drag ends where the button was let go, however late the poll sees it.
TEST(ButtonLatch, AReleaseShowsWhereItHappened) {
  ButtonLatch latch;
  latch.Press({1, 1});
  latch.Release({2, 2});  // before a poll saw the press
  latch.Press({3, 3});
  latch.Release({4, 4});  // a click waiting its turn
  std::string seen;
  for (int poll = 0; poll < 4; ++poll) {
    latch.BeginPump();
    seen += latch.Observe() ? "D" + std::to_string(latch.PressedAt().x) : "u" + std::to_string(latch.ReleasedAt().x);
  }
  EXPECT_EQ(seen, "D1u2D3u4");
  latch.Press({5, 5});
  latch.BeginPump();
  ASSERT_TRUE(latch.Observe());
  latch.Release({6, 6});  // after the poll saw the press
  EXPECT_FALSE(latch.Observe());
  EXPECT_EQ(latch.ReleasedAt().x, 6);
}

// The keys a program asks about, as the main loop's first pass does.
void Read(KeyLatches& keys, std::initializer_list<int> codes) {
  for (int code : codes) keys.Observe(code);
}

// What `polls` passes of a program see of the keys, each after a pump and
// acting on what it saw: "Du uu" is the first key down and the second up,
// then both up.
std::string KeyPolls(InputLatches& input, std::initializer_list<int> codes, int polls) {
  std::string seen;
  for (int i = 0; i < polls; ++i) {
    input.BeginPump();
    if (i > 0) seen += ' ';
    for (int code : codes) seen += input.keys.Observe(code) ? 'D' : 'u';
    input.ActedOn();
  }
  return seen;
}

constexpr int kShift = 16, kControl = 17, kEscape = 27, kZ = 90, kF12 = 123;

TEST(KeyLatches, AChordStaysAChordWhenItsModifierIsLetGoBeforeThePoll) {
  InputLatches input(256);
  Read(input.keys, {kControl, kZ});
  input.PressKey(kControl);
  EXPECT_EQ(KeyPolls(input, {kControl, kZ}, 1), "Du");
  input.PressKey(kZ);  // all of it while the program is busy
  input.ReleaseKey(kZ);
  input.ReleaseKey(kControl);
  EXPECT_EQ(KeyPolls(input, {kControl, kZ}, 4), "DD Du uu uu");
  EXPECT_FALSE(input.AnyDown());
}

TEST(KeyLatches, KeysTappedOneAfterAnotherAreSeenOneAfterAnother) {
  InputLatches input(256);
  Read(input.keys, {kShift, kF12});
  input.PressKey(kShift);
  input.ReleaseKey(kShift);
  input.PressKey(kF12);
  input.ReleaseKey(kF12);
  input.PressKey(kShift);  // and a chord after them
  input.PressKey(kF12);
  input.ReleaseKey(kShift);
  input.ReleaseKey(kF12);
  EXPECT_EQ(KeyPolls(input, {kShift, kF12}, 9), "Du uu uD uu Du DD uD uu uu");
}

// Passes of the main loop: a pump and a poll of the left button, a second
// pump within the pass (a press handler waiting for the release), a poll of
// Escape, then acting on all of it. "D.u" is the button down, then Escape up.
std::string Passes(InputLatches& input, int passes) {
  std::string seen;
  for (int i = 0; i < passes; ++i) {
    input.BeginPump();
    seen += input.left.Observe() ? 'D' : 'u';
    input.BeginPump();
    seen += input.left.Observe() ? 'D' : 'u';
    seen += input.keys.Observe(kEscape) ? 'E' : '.';
    seen += ' ';
    input.ActedOn();
  }
  return seen;
}

TEST(KeyLatches, AKeyAfterAClickWaitsUntilTheProgramHasActedOnTheClick) {
  InputLatches input(256);
  Read(input.keys, {kEscape});
  input.PressKey(kEscape);  // before the click: seen first
  input.ReleaseKey(kEscape);
  input.PressButton(MouseButton::Left, {5, 5});
  input.ReleaseButton(MouseButton::Left);
  input.PressKey(kEscape);  // after it: not within the pass that took the click
  input.ReleaseKey(kEscape);
  EXPECT_EQ(Passes(input, 5), "uuE uu. Du. uuE uu. ");
}

TEST(InputLatches, AClickAfterAKeyWaitsUntilThePollsHaveSeenTheKey) {
  InputLatches input(256);
  Read(input.keys, {kEscape});
  input.PressButton(MouseButton::Left, {5, 5});  // a click, Escape, a click
  input.ReleaseButton(MouseButton::Left);
  input.PressKey(kEscape);
  input.ReleaseKey(kEscape);
  input.PressButton(MouseButton::Left, {9, 9});
  input.ReleaseButton(MouseButton::Left);
  EXPECT_EQ(Passes(input, 6), "Du. uuE uu. Du. uu. uu. ");
  EXPECT_EQ(input.left.PressedAt().x, 9);
  EXPECT_EQ(input.left.Settled(), input.left.Received());
  EXPECT_EQ(input.keys.Settled(), input.keys.Received());
}

TEST(KeyLatches, AKeyNotYetReadHoldsUpNothingButItsTapShowsToTheFirstPollThatAsks) {
  InputLatches input(256);
  Read(input.keys, {13});
  input.PressKey(81);
  input.PressKey(13);
  input.ReleaseKey(13);
  input.ReleaseKey(81);
  EXPECT_EQ(KeyPolls(input, {13}, 3), "D u u");
  EXPECT_FALSE(input.AnyDown());
  // A chord tapped before the program first asks for its keys, as when the
  // first pass is long: the first poll sees it, the next ones see it let go.
  input.PressKey(kControl);
  input.PressKey(kZ);
  input.ReleaseKey(kZ);
  input.ReleaseKey(kControl);
  EXPECT_EQ(KeyPolls(input, {kControl, kZ}, 3), "DD uu uu");
  input.PressKey(81);
  EXPECT_TRUE(input.AnyDown()) << "held on the keyboard";
  EXPECT_EQ(KeyPolls(input, {81}, 2), "D D");
  input.ReleaseKey(81);
  EXPECT_EQ(KeyPolls(input, {81}, 1), "u") << "read now: its changes take their turn";
  EXPECT_FALSE(input.AnyDown());
  EXPECT_FALSE(input.keys.Observe(-1));
  EXPECT_FALSE(input.keys.Observe(256));
}

TEST(KeyLatches, LettingAllGoAndForgettingEndWithEveryKeyUp) {
  InputLatches input(256);
  Read(input.keys, {40, 41});
  input.PressKey(40);
  input.PressKey(41);
  input.keys.ReleaseAll();
  EXPECT_EQ(KeyPolls(input, {40, 41}, 5), "Du DD uD uu uu") << "each change shown once, in order";
  input.PressKey(40);
  input.keys.Forget();
  EXPECT_EQ(KeyPolls(input, {40, 41}, 1), "uu");
  EXPECT_FALSE(input.AnyDown());
}

// A press held on the panels reads no keys: what was pressed while it was
// held goes, what came before or after keeps its turn.
TEST(KeyLatches, KeysPressedWhileTheButtonWasHeldAreForgottenTheOthersKeepTheirTurn) {
  InputLatches input(256);
  Read(input.keys, {13, 27, 32, 90, 123});
  input.PressKey(27);
  EXPECT_EQ(KeyPolls(input, {27}, 1), "D");  // seen, held through the press
  input.PressKey(13);                        // just before the click
  input.left.Press();
  input.BeginPump();
  ASSERT_TRUE(input.left.Observe());
  const std::uint64_t mark = input.Mark();
  input.PressKey(123);
  input.ReleaseKey(123);  // tapped while the button was held
  input.PressKey(32);     // pressed then, still held
  input.ReleaseKey(27);   // let go then
  input.left.Release();
  input.BeginPump();
  ASSERT_FALSE(input.left.Observe());
  input.PressKey(90);  // after the click
  input.ForgetKeysSince(mark);
  EXPECT_EQ(KeyPolls(input, {13, 27, 32, 123, 90}, 2), "Duuuu DuuuD");
  input.ReleaseKey(32);
  EXPECT_EQ(KeyPolls(input, {32}, 1), "u") << "its release changes nothing";
  input.PressKey(32);
  EXPECT_EQ(KeyPolls(input, {32}, 1), "D") << "pressed again, it acts";
}

// Enter held to answer a prompt: the window underneath gets its repeats as
// fresh presses, which must not act until the key is let go and pressed again.
TEST(InputLatches, AKeyStillHeldAfterAPromptActsOnlyWhenPressedAgain) {
  InputLatches input(256);
  Read(input.keys, {40});
  input.keys.Press(40);
  input.ForgetPrompt(false, false, {40});
  for (int repeat = 0; repeat < 3; ++repeat) {
    input.keys.Press(40);
    input.BeginPump();
    EXPECT_FALSE(input.keys.Observe(40)) << "repeat " << repeat;
  }
  EXPECT_FALSE(input.AnyDown());
  input.keys.Release(40);
  input.BeginPump();
  EXPECT_FALSE(input.keys.Observe(40));
  input.keys.Press(40);
  input.BeginPump();
  EXPECT_TRUE(input.keys.Observe(40)) << "pressed again, it acts";
  input.keys.Release(40);
  input.BeginPump();
  input.ForgetPrompt(false, false);
  input.keys.Press(40);
  input.BeginPump();
  EXPECT_TRUE(input.keys.Observe(40)) << "a prompt closed with the key up holds nothing back";
}

TEST(InputLatches, AfterAPromptOnlyAHeldButtonKeepsItsState) {
  InputLatches input(256);
  Read(input.keys, {123});
  input.left.Press();
  input.right.Press();
  input.right.Release();
  input.keys.Press(123);
  input.ForgetPrompt(true, false);
  input.BeginPump();
  EXPECT_TRUE(input.left.Observe());
  EXPECT_FALSE(input.right.Observe());
  EXPECT_FALSE(input.keys.Observe(123));
  EXPECT_TRUE(input.AnyDown());
}

}  // namespace
}  // namespace kumodo
