#include "platform/button_latch.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace kumodo
