// Score fixtures from readable listings: one item a line, the streams of a
// score page built from them (the part records, page list and page starts
// set too). The listing grammar is at the top of ScoreListing.cpp.
#pragma once

#include <string>

// Builds the score from the listing text; false with a message in error for
// a line it cannot read.
bool BuildScoreFromListing(const std::string& listing, std::string* error);
// Reads the file and builds the score from it.
bool BuildScoreFromListingFile(const std::string& path, std::string* error);
std::string ReadTextFile(const std::string& path);
