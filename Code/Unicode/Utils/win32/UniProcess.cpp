// Structure wrappers of processes and registry enumeration.
#include <cstdlib>
#include <vector>

#include "Code/Unicode/Utils/win32/Uni.h"
#include "Code/Unicode/Utils/win32/UniText.h"

namespace {

// Writes the ANSI text back into the caller's wide text when the call changed
// it, never beyond the length the wide text had: unchanged buffers (perhaps
// read-only) are not touched.
void CopyBackIfChanged(const char* ansi, char16_t* wide) {
  if (!ansi || reinterpret_cast<uintptr_t>(wide) < 0x10000) return;
  int length = static_cast<int>(WideLength(wide));
  std::vector<char16_t> converted(static_cast<size_t>(length) + 1);
  AnsiToWideBounded(ansi, 0x7FFFFFFF, converted.data(), length + 1);
  if (std::char_traits<char16_t>::compare(converted.data(), wide, static_cast<size_t>(length) + 1) != 0)
    std::char_traits<char16_t>::copy(wide, converted.data(), static_cast<size_t>(length) + 1);
}

}  // namespace

LONG UniRegEnumKeyEx(HKEY key, DWORD index, char16_t* name, DWORD* nameLength, DWORD* reserved,
                     char16_t* className, DWORD* classLength, FILETIME* lastWrite) {
  if (IsWindowsNT())
    return RegEnumKeyExW(key, index, Wide(name), nameLength, reserved, Wide(className), classLength, lastWrite);
  CTextOutBuffer nameBuffer(name, nameLength ? static_cast<int>(*nameLength) : 0);
  CAnsiOutBuf classBuffer(className, classLength ? static_cast<int>(*classLength) : 0);
  DWORD ansiNameLength = static_cast<DWORD>(nameBuffer.CountForCall());
  DWORD ansiClassLength = className ? static_cast<DWORD>(classBuffer.AnsiBytes()) : (classLength ? *classLength : 0);
  LONG result = RegEnumKeyExA(key, index, nameBuffer.Ansi(), nameLength ? &ansiNameLength : nullptr, reserved,
                              Ansi(classBuffer), classLength ? &ansiClassLength : nullptr, lastWrite);
  if (result != ERROR_SUCCESS) return result;
  int nameChars = nameBuffer.Finish();
  if (nameBuffer.Truncated()) return ERROR_MORE_DATA;
  if (nameLength) *nameLength = static_cast<DWORD>(nameChars);
  if (classLength && className && Ansi(classBuffer)) {
    int classChars = 0;
    AnsiToWideBounded(Ansi(classBuffer), classBuffer.AnsiBytes(), nullptr, 0, &classChars);
    int room = classBuffer.WideCount() - 1;
    *classLength = static_cast<DWORD>(classChars < room ? classChars : (room > 0 ? room : 0));
  } else if (classLength) {
    *classLength = ansiClassLength;
  }
  return result;
}

BOOL UniCreateProcess(const char16_t* application, char16_t* commandLine, SECURITY_ATTRIBUTES* processSecurity,
                      SECURITY_ATTRIBUTES* threadSecurity, BOOL inheritHandles, DWORD creationFlags,
                      void* environment, const char16_t* directory, STARTUPINFOW* startup,
                      PROCESS_INFORMATION* process) {
  if (IsWindowsNT())
    return CreateProcessW(Wide(application), Wide(commandLine), processSecurity, threadSecurity, inheritHandles,
                          creationFlags, environment, Wide(directory), startup, process);
  CTempAnsi ansiApplication(application), ansiDirectory(directory);
  char* ansiCommand = commandLine ? NewAnsiCopy(commandLine, 0) : nullptr;

  STARTUPINFOA ansiStartup = {};
  CTempAnsi reservedText, desktopText, titleText;
  if (startup) {
    reservedText.Assign(reinterpret_cast<const char16_t*>(startup->lpReserved));
    desktopText.Assign(reinterpret_cast<const char16_t*>(startup->lpDesktop));
    titleText.Assign(reinterpret_cast<const char16_t*>(startup->lpTitle));
    ansiStartup.cb = sizeof(ansiStartup);
    ansiStartup.lpReserved = const_cast<char*>(Ansi(reservedText));
    ansiStartup.lpDesktop = const_cast<char*>(Ansi(desktopText));
    ansiStartup.lpTitle = const_cast<char*>(Ansi(titleText));
    ansiStartup.dwX = startup->dwX;
    ansiStartup.dwY = startup->dwY;
    ansiStartup.dwXSize = startup->dwXSize;
    ansiStartup.dwYSize = startup->dwYSize;
    ansiStartup.dwXCountChars = startup->dwXCountChars;
    ansiStartup.dwYCountChars = startup->dwYCountChars;
    ansiStartup.dwFillAttribute = startup->dwFillAttribute;
    ansiStartup.dwFlags = startup->dwFlags;
    ansiStartup.wShowWindow = startup->wShowWindow;
    ansiStartup.cbReserved2 = startup->cbReserved2;
    ansiStartup.lpReserved2 = startup->lpReserved2;
    ansiStartup.hStdInput = startup->hStdInput;
    ansiStartup.hStdOutput = startup->hStdOutput;
    ansiStartup.hStdError = startup->hStdError;
  }
  BOOL result = CreateProcessA(Ansi(ansiApplication), ansiCommand, processSecurity, threadSecurity, inheritHandles,
                               creationFlags, environment, Ansi(ansiDirectory), startup ? &ansiStartup : nullptr,
                               process);
  CopyBackIfChanged(ansiCommand, commandLine);
  if (startup) {
    CopyBackIfChanged(ansiStartup.lpReserved, reinterpret_cast<char16_t*>(startup->lpReserved));
    CopyBackIfChanged(ansiStartup.lpDesktop, reinterpret_cast<char16_t*>(startup->lpDesktop));
    CopyBackIfChanged(ansiStartup.lpTitle, reinterpret_cast<char16_t*>(startup->lpTitle));
  }
  std::free(ansiCommand);
  return result;
}
