// The symbol stages' adapters on a page read without a loaded classifier.
#include <gtest/gtest.h>

#include <vector>

#include "reading/ReadingThread.h"
#include "stages/AppendageStep.h"
#include "stages/ArticulationStep.h"
#include "stages/BigSymbolStep.h"
#include "stages/RecognitionStages.h"
#include "shapes/ClassifierStartup.h"

namespace {

TEST(SymbolStagesWiring, WithoutAClassifierTheStagesGoOnAndChangeNothing) {
  ASSERT_EQ(Classifier(), nullptr);
  std::vector<SymbolRecord> symbols(4);
  std::vector<NoteRecord> notes(4);
  ReadingWorkLists lists;
  lists.symbols = symbols.data();
  lists.notes = notes.data();
  lists.symbolCount = 2;
  lists.noteCount = 1;
  StageContext context;
  context.lists = &lists;
  for (StageFunction stage : {&BigSymbolsStage, &ArticulationStage, &AppendituresStage}) {
    EXPECT_EQ(stage(context), 1);
    EXPECT_EQ(lists.symbolCount, 2u);
    EXPECT_EQ(lists.noteCount, 1u);
  }
}

}  // namespace
