// Debug lines of the classifier (template statistics, refused templates):
// never shown to the user. The program leaves them unsent; the training tool
// prints them.
#pragma once

using ClassifierLogSink = void (*)(const char* line);
// Installs the sink (null: lines are dropped); returns the old one.
ClassifierLogSink SetClassifierLogSink(ClassifierLogSink sink);
// printf-style; a line longer than 1023 characters is cut.
void ClassifierLog(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
