// The Source commands are the document's: each one is run and reported as
// handled, so that the window does not look for it among its own.
#include <gtest/gtest.h>

#include "document/commands.h"

namespace vantrel {
namespace {

TEST(SourceCommands, EachSlotIsChosenAndReportedHandled) {
  HeldClock clock;
  VantrelDoc doc(clock, "/opt/vantrel/");
  CancelledDialogs dialogs;
  for (int slot : {3, 0, 2, 1}) {
    EXPECT_TRUE(RunDocumentCommand(doc, dialogs, cmd::kSource1 + slot)) << slot;
    EXPECT_EQ(doc.soundCardSlot, slot);
  }
}

}  // namespace
}  // namespace vantrel
