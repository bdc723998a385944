// The text-API layer: one wrapper per Windows call that takes or returns text
// (or whose messages must match the family). On the NT family each calls the
// wide entry point with its arguments unchanged; on 9x the ANSI entry point
// with ANSI copies of the text, converting text results back. Text is UTF-16
// (char16_t); sizes of text buffers are in characters.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <ddeml.h>
#include <shellapi.h>
#include <io.h>
#include <cstdio>
#include <string>

static_assert(sizeof(wchar_t) == 2, "Windows wide characters are UTF-16 units");

// ---- No text: the same arguments to the A entry point on 9x ----------------
LRESULT UniCallWindowProc(WNDPROC proc, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT UniDefFrameProc(HWND frame, HWND mdiClient, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT UniDefMDIChildProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT UniDefWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT UniDispatchMessage(const MSG* message);
BOOL UniGetMessage(MSG* message, HWND window, UINT first, UINT last);
BOOL UniPeekMessage(MSG* message, HWND window, UINT first, UINT last, UINT remove);
LRESULT UniSendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL UniPostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT UniSendDlgItemMessage(HWND dialog, int item, UINT message, WPARAM wParam, LPARAM lParam);
LONG_PTR UniGetWindowLong(HWND window, int index);
LONG_PTR UniSetWindowLong(HWND window, int index, LONG_PTR value);
int UniTranslateAccelerator(HWND window, HACCEL table, MSG* message);
UINT UniDdeInitialize(DWORD* instance, PFNCALLBACK callback, DWORD command, DWORD reserved);

// ---- Text in: each text as an ANSI copy on 9x (resource ids unchanged) ------
void UniOutputDebugString(const char16_t* text);
DWORD UniGetFileVersionInfoSize(const char16_t* file, DWORD* handle);
BOOL UniGetFileVersionInfo(const char16_t* file, DWORD handle, DWORD size, void* data);
BOOL UniVerQueryValue(const void* block, const char16_t* subBlock, void** value, UINT* size);
HINSTANCE UniShellExecute(HWND window, const char16_t* operation, const char16_t* file,
                          const char16_t* parameters, const char16_t* directory, int show);
BOOL UniCopyFile(const char16_t* from, const char16_t* to, BOOL failIfExists);
// The value data passes and returns as stored (ANSI strings on 9x).
LONG UniRegCreateKeyEx(HKEY key, const char16_t* subKey, DWORD reserved, char16_t* className, DWORD options,
                       REGSAM access, SECURITY_ATTRIBUTES* security, HKEY* result, DWORD* disposition);
LONG UniRegOpenKeyEx(HKEY key, const char16_t* subKey, DWORD options, REGSAM access, HKEY* result);
LONG UniRegSetValueEx(HKEY key, const char16_t* name, DWORD reserved, DWORD type, const BYTE* data, DWORD size);
LONG UniRegQueryValueEx(HKEY key, const char16_t* name, DWORD* reserved, DWORD* type, BYTE* data, DWORD* size);
HMODULE UniGetModuleHandle(const char16_t* name);
HMENU UniLoadMenu(HINSTANCE instance, const char16_t* name);
HICON UniLoadIcon(HINSTANCE instance, const char16_t* name);
HCURSOR UniLoadCursor(HINSTANCE instance, const char16_t* name);
HBITMAP UniLoadBitmap(HINSTANCE instance, const char16_t* name);
HANDLE UniLoadImage(HINSTANCE instance, const char16_t* name, UINT type, int width, int height, UINT flags);
HACCEL UniLoadAccelerators(HINSTANCE instance, const char16_t* name);
HANDLE UniCreateMutex(SECURITY_ATTRIBUTES* security, BOOL initialOwner, const char16_t* name);
BOOL UniSetWindowText(HWND window, const char16_t* text);
BOOL UniSetDlgItemText(HWND dialog, int item, const char16_t* text);
UINT UniRegisterWindowMessage(const char16_t* name);
// Lengths in characters (-1: NUL-ended).
int UniCompareString(LCID locale, DWORD flags, const char16_t* a, int lengthA, const char16_t* b, int lengthB);
BOOL UniRemoveDirectory(const char16_t* path);
// The C runtime's stream open with shared access (mode as fopen's, e.g. u"rb").
std::FILE* UniFOpen(const char16_t* path, const char16_t* mode);
int UniMkDir(const char16_t* path);
int UniRemove(const char16_t* path);

// ---- Text out: the caller's buffer of count characters -------------------
// Where the call returns a text length it is in characters.
DWORD UniGetModuleFileName(HMODULE module, char16_t* out, DWORD count);
int UniLoadString(HINSTANCE instance, UINT id, char16_t* out, int count);
// count: the buffer's size in characters (the Windows call has no size).
HRESULT UniSHGetFolderPath(HWND owner, int folder, HANDLE token, DWORD flags, char16_t* out, int count);
BOOL UniSHGetSpecialFolderPath(HWND owner, char16_t* out, int folder, BOOL create, int count);
UINT UniDragQueryFile(HDROP drop, UINT index, char16_t* out, UINT count);
int UniGetMenuString(HMENU menu, UINT item, char16_t* out, int count, UINT flags);
int UniGetWindowText(HWND window, char16_t* out, int count);
UINT UniGetDlgItemText(HWND dialog, int item, char16_t* out, int count);
DWORD UniGetCurrentDirectory(DWORD count, char16_t* out);

// ---- Menu text: MF_BITMAP and MF_OWNERDRAW items pass their value unchanged -
enum : UINT { kMenuItemIsValue = MF_BITMAP | MF_OWNERDRAW };  // 0x104
BOOL UniModifyMenu(HMENU menu, UINT position, UINT flags, UINT_PTR id, const char16_t* item);
BOOL UniAppendMenu(HMENU menu, UINT flags, UINT_PTR id, const char16_t* item);
BOOL UniInsertMenu(HMENU menu, UINT position, UINT flags, UINT_PTR id, const char16_t* item);

// ---- Inside the program's activation context -------------------------------
// The program's activation context comes from its manifest (resource 1 of
// the program module). Where the system has no activation contexts, or the
// program no manifest, the calls run without one.
HMODULE LoadLibraryInActCtx(const char16_t* name);
ATOM UniRegisterClassEx(const WNDCLASSEXW* windowClass);
HWND UniCreateWindow(const char16_t* className, const char16_t* title, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, void* parameter);
HWND UniCreateWindowEx(DWORD exStyle, const char16_t* className, const char16_t* title, DWORD style, int x,
                       int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                       void* parameter);
// Both pass an initial parameter of 0 to the dialog.
HWND UniCreateDialogParam(HINSTANCE instance, const char16_t* templateName, HWND owner, DLGPROC proc);
INT_PTR UniDialogBoxParam(HINSTANCE instance, const char16_t* templateName, HWND owner, DLGPROC proc);
HMODULE UniLoadLibrary(const char16_t* name);
HIMAGELIST UniImageListLoadImage(HINSTANCE instance, const char16_t* name, int width, int grow, COLORREF mask,
                                 UINT type, UINT flags);
HWND UniCreateStatusWindow(LONG style, const char16_t* text, HWND parent, UINT id);
BOOL UniGetOpenFileName(OPENFILENAMEW* dialog);
BOOL UniGetSaveFileName(OPENFILENAMEW* dialog);

// ---- Structures --------------------------------------------------------------
HFONT UniCreateFontIndirect(const LOGFONTW* font);
BOOL UniGetTextMetrics(HDC dc, TEXTMETRICW* metrics);
void TextMetricAToW(const TEXTMETRICA& from, TEXTMETRICW* to);
LONG UniRegEnumKeyEx(HKEY key, DWORD index, char16_t* name, DWORD* nameLength, DWORD* reserved,
                     char16_t* className, DWORD* classLength, FILETIME* lastWrite);
BOOL UniCreateProcess(const char16_t* application, char16_t* commandLine, SECURITY_ATTRIBUTES* processSecurity,
                      SECURITY_ATTRIBUTES* threadSecurity, BOOL inheritHandles, DWORD creationFlags,
                      void* environment, const char16_t* directory, STARTUPINFOW* startup,
                      PROCESS_INFORMATION* process);
BOOL UniDrawState(HDC dc, HBRUSH brush, DRAWSTATEPROC output, LPARAM data, WPARAM dataLength, int x, int y,
                  int width, int height, UINT flags);
// The C runtime's file search (64-bit sizes); -1 when nothing matches.
intptr_t UniFindFirst(const char16_t* pattern, _wfinddatai64_t* record);
int UniFindNext(intptr_t handle, _wfinddatai64_t* record);

// Pieces of the 9x common-dialog path.
// The ANSI form of a filter list (pairs of NUL-ended texts ended by an empty
// one), ended by two zero bytes; empty when no double NUL lies within
// kFilterReach characters (or no list): then the dialog has no filter.
constexpr int kFilterReach = 5001;
std::string AnsiFilterList(const char16_t* filter);
// Copies the results of a successful ANSI dialog into the wide structure
// (numeric fields; the name offsets counted in characters of the file name).
void CopyOpenFileNameBack(const OPENFILENAMEA& from, OPENFILENAMEW* to);
// The characters that the first bytes of an ANSI text make.
WORD AnsiOffsetToChars(const char* text, WORD bytes);
