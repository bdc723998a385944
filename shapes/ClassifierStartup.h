// The classifier's start-up step: the two trained databases loaded once from
// the resources folder, before any page is read, and read-only afterwards
// (the reading thread scores shapes without a lock).
#pragma once

#include "shapes/ClassifierDatabases.h"

struct LoadedClassifier {
  ShapeDatabase shapes;
  NotationDatabase notation;
};

// Null until BuildShapeDatabase has loaded both files.
const LoadedClassifier* Classifier();

// Loads "XxXData" and then "Notation". A missing, damaged or unreadable file
// has been reported when this returns false, and nothing is kept. The
// program never trains at start-up: that is the training tool's work.
bool BuildShapeDatabase();
// The shell's start-up service: a failed load sets the start-up quit flag,
// so the program ends after start-up instead of failing later.
void BuildShapeDatabaseAtStartup();
void FreeShapeDatabases();
