// Every test runs with a state folder of its own (support/state_folder.h),
// and so does whatever runs before the first: a journal one test's editor
// leaves is never offered to another's, nor left in the real home folder.
#include <gtest/gtest.h>

#include <optional>

#include "support/state_folder.h"

namespace kumodo::support {
namespace {

const StateFolder processFolder;

class StateFolderForEachTest : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo&) override { folder_.emplace(); }
  void OnTestEnd(const ::testing::TestInfo&) override { folder_.reset(); }
  std::optional<StateFolder> folder_;
};

const bool registered = [] {
  ::testing::UnitTest::GetInstance()->listeners().Append(new StateFolderForEachTest);
  return true;
}();

}  // namespace
}  // namespace kumodo::support
