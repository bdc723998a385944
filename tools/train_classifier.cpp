// Trains the shape classifier's two databases from a folder of training
// inputs (type lists, sample lines, context lists and sample bitmaps, see
// shapes/ShapeTraining.h) with the program's own training code, and writes
// "XxXData" and "Notation" into the output folder.
//
//   train_classifier <training folder> <output folder> [--log]
//
// --log prints the template statistics of the notation refinement. Their
// "Accuracy" counts the templates whose nearest other template has their
// class: a check of the refinement against its own training samples, not of
// how well the classifier reads. That is measured by classifier_bench on
// samples and pages training never sees (README.md, Benchmarks).
#include <cstdio>
#include <string>

#include "shapes/ClassifierDatabases.h"
#include "shapes/ClassifierLog.h"
#include "shapes/ShapeTraining.h"

namespace {
void PrintLine(const char* line) { std::fputs(line, stderr); }
std::u16string Wide(const std::string& s) { return std::u16string(s.begin(), s.end()); }
}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: train_classifier <training folder> <output folder> [--log]\n");
    return 2;
  }
  if (argc > 3 && std::string(argv[3]) == "--log") SetClassifierLogSink(PrintLine);
  SetDeveloperDataFolder(Wide(argv[1]));
  const std::string out = std::string(argv[2]) + "/";
  FolderTrainingInputs inputs;
  ShapeDatabase shapes;
  if (!TrainShapeDatabase(inputs, &shapes)) return 1;
  if (!SaveShapeDatabaseFile(shapes, Wide(out + "XxXData").c_str())) return 1;
  NotationDatabase notation;
  if (!TrainNotationDatabase(inputs, &notation)) return 1;
  if (!SaveNotationDatabaseFile(notation, Wide(out + "Notation").c_str())) return 1;
  std::fprintf(stderr, "train_classifier: %zu + %zu shape records, %u notation groups of %u templates\n",
               shapes.RecordCount(ZoneGrid::k8x8), shapes.RecordCount(ZoneGrid::k8x16), notation.groupCount,
               notation.descriptionCount);
  if (argc > 3)
    std::fprintf(stderr, "train_classifier: the refinement's accuracy compares templates with their own training "
                         "siblings; classifier_bench measures the classifier on its measuring sets\n");
  return 0;
}
