#include "Code/Quorm/Engerror.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "Code/Quorm/Engpaths.h"
#include "Code/Quorm/EngineHost.h"
#include "Code/Quorm/options.h"
#include "platform/Messages.h"
#include "platform/TextUtils.h"

const EngineErrorRecord EngineErrorTable[kEngineErrorCount] = {
    {1101, "Xftlinterr"},   {1102, "Xnooserr"},      {1103, "Xheapmem"},       {1104, "Xsheapmem"},
    {1105, "Xmalloc"},      {1201, "Xargc"},         {1301, "Xgfpinit"},       {1302, "Xmemmags"},
    {1303, "Xmemvdist"},    {1304, "Xrdprldat"},     {1305, "Xreaddat"},       {1311, "Xrdocrdat"},
    {1312, "Xnewldocr"},    {1321, "Xrdomrdat"},     {1322, "Xnewldomr"},      {1331, "Xspllinit"},
    {1332, "Xspllstp"},     {1334, "Xmemudic"},      {1335, "Xudicinit"},      {1341, "Xqurminit"},
    {1342, "Xdmainit"},     {1343, "Xcountry"},      {1344, "Xscrapdir"},      {1401, "Xopen1bpp"},
    {1402, "Xread1bpp"},    {1403, "Xmem1bpp"},      {1404, "Xbmpbig"},        {1410, "Xloadbmp"},
    {1411, "Xmembmp"},      {1412, "Xbmp1bpp"},      {1413, "Xopenbmp"},       {1414, "Xloadbmpv4v5"},
    {1415, "Xloadbmprgb"},  {1416, "Xloadbmpplanes"}, {1501, "Xrdqurmcfg"},    {1502, "Xbadqurmcfg"},
    {1601, "Xnovsegs"},     {1602, "Xtoocomplex"},   {1603, "Xtoonoisy"},      {1604, "Xnostaves"},
    {1605, "Xbigstaves"},   {1701, "Xmsmakesq"},     {1702, "Xmsmultstv"},     {1703, "Xmsfixtsig"},
    {1711, "Xmemniff"},     {1712, "Xopenniff"},     {1713, "Xwritniff"},      {1721, "Xmsopenw"},
    {1722, "Xmswrite"},     {1731, "Xopenxml"},      {1732, "Xwritexml"},      {1741, "Xopenmidi"},
    {1742, "Xwritmidi"},    {1743, "Xmidimem"},      {1744, "Xputcmidi"},      {kUnknownEngineError, ""},
};

namespace {

constexpr unsigned kErrorCaptionId = 19001;  // "Error from Quorm"
constexpr unsigned kErrorNumberId = 19002;   // "error number %d\n\n"
constexpr unsigned kTaskModalInformation = 0x2040;
constexpr uintptr_t kErrorNumberWParam = 2;

// The one format of the log and the box.
constexpr char kLogFormat[] = "error number %d\n\n";

}  // namespace

int EngineErrorNumber(EngineCode code) {
  if (code == nullptr || *code == '\0') return kUnknownEngineError;
  for (const EngineErrorRecord& record : EngineErrorTable) {
    if (std::strcmp(record.name, code) == 0) return record.number;
  }
  return kUnknownEngineError;
}

void ReportEngineError(EngineCode code) {
  ReportEngineErrorThrough({GetPostErrorOption(), GetShowErrorOption(), GetLogPathOption()}, code);
}

void ReportEngineErrorThrough(const EngineErrorOutlets& outlets, EngineCode code) {
  if (outlets.post) PostEngineErrorNumber(code);
  if (outlets.show) ShowEngineError(code);
  if (outlets.logPath != nullptr && std::strlen(outlets.logPath) > 1)
    LogEngineError(outlets.logPath, GetImageNameOption(), code);
}

void PostEngineErrorNumber(EngineCode code) {
  CurrentEngineHost().PostErrorNumber(kErrorNumberWParam, EngineErrorNumber(code));
}

void ShowEngineError(EngineCode code) {
  char16_t format[64];
  char16_t text[96];
  char16_t caption[64];
  LoadUiString(kErrorNumberId, format, 64);
  LoadUiString(kErrorCaptionId, caption, 64);
  FormatWide(text, 96, format, EngineErrorNumber(code));
  std::string ansiText = WideToAnsi(text);
  CurrentEngineHost().ShowMessageBox(ansiText.c_str(), WideToAnsi(caption), kTaskModalInformation);
}

void LogEngineError(const char* logPath, const char* imageName, EngineCode code) {
  std::FILE* log = OpenEngineFile(logPath, "ab");
  if (log == nullptr) return;
  std::fprintf(log, kLogFormat, EngineErrorNumber(code));
  std::fclose(log);
}

[[noreturn]] void EngineAssertFail(const char* file, int line) {
  EngineAssertFailCode(kCodeFailedCheck, file, line);
}

[[noreturn]] void EngineAssertFailCode(EngineCode code, const char* file, int line) {
  EngineHost& host = CurrentEngineHost();
  host.ClearReadingFlags();
  host.PostToFrame(kEngineFailedMessage, 0, 0);
  throw EngineFailure(code, true);
}

[[noreturn]] void EngineOutOfMemory(EngineCode code) { throw EngineFailure(code, false); }

int SetEngineFolderChecked(const char* path) {
  if (path == nullptr || *path == '\0') EngineAssertFail(__FILE__, __LINE__);
  SetEngineFolder(path);
  return 1;
}

void FreeEngineErrorTables() {}
