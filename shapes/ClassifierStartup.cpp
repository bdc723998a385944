#include "shapes/ClassifierStartup.h"

#include <memory>
#include <new>

#include "platform/Messages.h"
#include "platform/ShellFlags.h"

namespace {

enum : unsigned { kTextStartupMemory = 10021 };

std::unique_ptr<LoadedClassifier>& Loaded() {
  static std::unique_ptr<LoadedClassifier> loaded;
  return loaded;
}

}  // namespace

const LoadedClassifier* Classifier() { return Loaded().get(); }

bool BuildShapeDatabase() {
  std::unique_ptr<LoadedClassifier> next(new (std::nothrow) LoadedClassifier);
  if (!next) {
    MessageById(nullptr, kTextStartupMemory);
    return false;
  }
  if (LoadShapeDatabase(&next->shapes) != DatabaseLoad::kLoaded) return false;
  if (LoadNotationDatabase(&next->notation) != DatabaseLoad::kLoaded) return false;
  Loaded() = std::move(next);
  return true;
}

void BuildShapeDatabaseAtStartup() {
  if (!BuildShapeDatabase()) Flags().startupAbort = 1;
}

void FreeShapeDatabases() { Loaded().reset(); }
