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

TEST(ButtonLatch, ABurstBeyondTheQueueLosesOnlyTheExcess) {
  ButtonLatch latch;
  for (int i = 0; i < 10; ++i) {
    latch.Press({i, 0});
    latch.Release();
  }
  const std::string seen = PollsAfterPumps(latch, 12);
  EXPECT_EQ(std::count(seen.begin(), seen.end(), 'D'), 5) << seen;  // the one showing and four waiting
}

TEST(KeyLatches, ATapBetweenPollsShowsOnceAndHeldKeysAreCounted) {
  KeyLatches keys(256);
  keys.Press(123);
  keys.Press(13);
  EXPECT_TRUE(keys.AnyHeld());
  keys.Release(123);
  keys.BeginPump();
  EXPECT_TRUE(keys.Observe(123)) << "the tap shows once";
  keys.BeginPump();
  EXPECT_FALSE(keys.Observe(123));
  EXPECT_TRUE(keys.Observe(13));
  keys.Release(13);
  EXPECT_FALSE(keys.AnyHeld());
  EXPECT_FALSE(keys.Observe(-1));
  EXPECT_FALSE(keys.Observe(256));
}

TEST(KeyLatches, LettingAllGoKeepsAnUnseenTapButForgettingDropsIt) {
  KeyLatches keys(256);
  keys.Press(40);
  keys.Press(41);
  EXPECT_TRUE(keys.Observe(41));
  keys.ReleaseAll();
  EXPECT_FALSE(keys.AnyHeld());
  EXPECT_FALSE(keys.Observe(41)) << "seen already: up at once";
  keys.BeginPump();
  EXPECT_TRUE(keys.Observe(40)) << "not yet seen: shows once";
  keys.BeginPump();
  EXPECT_FALSE(keys.Observe(40));

  keys.Press(40);
  keys.Forget();
  keys.BeginPump();
  EXPECT_FALSE(keys.Observe(40));
}

TEST(KeyLatches, DroppingTheUnseenKeepsOnlyKeysAPollSawStillHeld) {
  KeyLatches keys(256);
  keys.Press(27);
  EXPECT_TRUE(keys.Observe(27));  // seen, still held
  keys.Press(123);
  keys.Release(123);  // a tap no poll saw
  keys.Press(32);     // pressed, unseen, still held
  keys.Press(13);
  EXPECT_TRUE(keys.Observe(13));
  keys.Release(13);
  keys.Press(13);  // a second press waiting its turn
  keys.DropUnseen();
  keys.BeginPump();
  EXPECT_TRUE(keys.Observe(27));
  EXPECT_FALSE(keys.Observe(123));
  EXPECT_FALSE(keys.Observe(32));
  EXPECT_FALSE(keys.Observe(13));
  keys.Release(32);
  keys.BeginPump();
  EXPECT_FALSE(keys.Observe(32)) << "its release changes nothing";
  keys.Press(32);
  keys.BeginPump();
  EXPECT_TRUE(keys.Observe(32)) << "pressed again, it acts";
}

// Enter held to answer a prompt: the window underneath gets its repeats as
// fresh presses, which must not act until the key is let go and pressed again.
TEST(InputLatches, AKeyStillHeldAfterAPromptActsOnlyWhenPressedAgain) {
  InputLatches input(256);
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
