// Calls made inside the program's activation context, so that windows,
// dialogs and common controls get the versions the program's manifest asks
// for. The activation-context calls are looked up at run time: systems
// without them (and programs without a manifest) run the calls plainly.
#include "Code/Unicode/Utils/win32/ActCtxScope.h"
#include "Code/Unicode/Utils/win32/Uni.h"
#include "Code/Unicode/Utils/win32/UniText.h"

namespace {

using CreateActCtxCall = HANDLE(WINAPI*)(const ACTCTXW*);
using ActivateActCtxCall = BOOL(WINAPI*)(HANDLE, ULONG_PTR*);
using DeactivateActCtxCall = BOOL(WINAPI*)(DWORD, ULONG_PTR);

constexpr WORD kManifestResourceId = 1;

struct ProgramActCtx {
  HANDLE context = INVALID_HANDLE_VALUE;
  ActivateActCtxCall activate = nullptr;
  DeactivateActCtxCall deactivate = nullptr;
};

ProgramActCtx MakeProgramActCtx() {
  ProgramActCtx result;
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  if (!kernel) return result;
  auto create = ProcAs<CreateActCtxCall>(GetProcAddress(kernel, "CreateActCtxW"));
  result.activate = ProcAs<ActivateActCtxCall>(GetProcAddress(kernel, "ActivateActCtx"));
  result.deactivate = ProcAs<DeactivateActCtxCall>(GetProcAddress(kernel, "DeactivateActCtx"));
  if (!create || !result.activate || !result.deactivate) return result;

  HMODULE program = GetModuleHandleW(nullptr);
  if (!FindResourceW(program, MAKEINTRESOURCEW(kManifestResourceId), MAKEINTRESOURCEW(24)))  // RT_MANIFEST
    return result;
  wchar_t programPath[MAX_PATH + 1] = {};
  if (GetModuleFileNameW(program, programPath, MAX_PATH) == 0) return result;

  ACTCTXW request = {};
  request.cbSize = sizeof(request);
  request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID | ACTCTX_FLAG_HMODULE_VALID;
  request.lpSource = programPath;
  request.lpResourceName = MAKEINTRESOURCEW(kManifestResourceId);
  request.hModule = program;
  result.context = create(&request);
  return result;
}

// Made once, on the first call that needs it; kept for the whole run.
const ProgramActCtx& ProgramContext() {
  static const ProgramActCtx context = MakeProgramActCtx();
  return context;
}

}  // namespace

ActCtxScope::ActCtxScope() {
  const ProgramActCtx& program = ProgramContext();
  if (program.context != INVALID_HANDLE_VALUE) active_ = program.activate(program.context, &cookie_) != FALSE;
}

ActCtxScope::~ActCtxScope() {
  if (active_) ProgramContext().deactivate(0, cookie_);
}

HMODULE LoadLibraryInActCtx(const char16_t* name) {
  ActCtxScope scope;
  if (IsWindowsNT()) return LoadLibraryW(Wide(name));
  CTempAnsi ansi(name);
  return LoadLibraryA(Ansi(ansi));
}

HMODULE UniLoadLibrary(const char16_t* name) { return LoadLibraryInActCtx(name); }

ATOM UniRegisterClassEx(const WNDCLASSEXW* windowClass) {
  ActCtxScope scope;
  if (IsWindowsNT()) return RegisterClassExW(windowClass);
  if (!windowClass) return RegisterClassExA(nullptr);
  CTempAnsi menuName(reinterpret_cast<const char16_t*>(windowClass->lpszMenuName));
  CTempAnsi className(reinterpret_cast<const char16_t*>(windowClass->lpszClassName));
  WNDCLASSEXA ansiClass = {};
  ansiClass.cbSize = sizeof(ansiClass);
  ansiClass.style = windowClass->style;
  ansiClass.lpfnWndProc = windowClass->lpfnWndProc;
  ansiClass.cbClsExtra = windowClass->cbClsExtra;
  ansiClass.cbWndExtra = windowClass->cbWndExtra;
  ansiClass.hInstance = windowClass->hInstance;
  ansiClass.hIcon = windowClass->hIcon;
  ansiClass.hCursor = windowClass->hCursor;
  ansiClass.hbrBackground = windowClass->hbrBackground;
  ansiClass.lpszMenuName = Ansi(menuName);
  ansiClass.lpszClassName = Ansi(className);
  ansiClass.hIconSm = windowClass->hIconSm;
  return RegisterClassExA(&ansiClass);
}

HWND UniCreateWindow(const char16_t* className, const char16_t* title, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, void* parameter) {
  return UniCreateWindowEx(0, className, title, style, x, y, width, height, parent, menu, instance, parameter);
}

HWND UniCreateWindowEx(DWORD exStyle, const char16_t* className, const char16_t* title, DWORD style, int x,
                       int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                       void* parameter) {
  ActCtxScope scope;
  if (IsWindowsNT())
    return CreateWindowExW(exStyle, Wide(className), Wide(title), style, x, y, width, height, parent, menu,
                           instance, parameter);
  CTempAnsi ansiClass(className), ansiTitle(title);
  return CreateWindowExA(exStyle, Ansi(ansiClass), Ansi(ansiTitle), style, x, y, width, height, parent, menu,
                         instance, parameter);
}

HWND UniCreateDialogParam(HINSTANCE instance, const char16_t* templateName, HWND owner, DLGPROC proc) {
  ActCtxScope scope;
  if (IsWindowsNT()) return CreateDialogParamW(instance, Wide(templateName), owner, proc, 0);
  CTempAnsi ansi(templateName);
  return CreateDialogParamA(instance, Ansi(ansi), owner, proc, 0);
}

INT_PTR UniDialogBoxParam(HINSTANCE instance, const char16_t* templateName, HWND owner, DLGPROC proc) {
  ActCtxScope scope;
  if (IsWindowsNT()) return DialogBoxParamW(instance, Wide(templateName), owner, proc, 0);
  CTempAnsi ansi(templateName);
  return DialogBoxParamA(instance, Ansi(ansi), owner, proc, 0);
}

HIMAGELIST UniImageListLoadImage(HINSTANCE instance, const char16_t* name, int width, int grow, COLORREF mask,
                                 UINT type, UINT flags) {
  ActCtxScope scope;
  if (IsWindowsNT()) return ImageList_LoadImageW(instance, Wide(name), width, grow, mask, type, flags);
  CTempAnsi ansi(name);
  return ImageList_LoadImageA(instance, Ansi(ansi), width, grow, mask, type, flags);
}

HWND UniCreateStatusWindow(LONG style, const char16_t* text, HWND parent, UINT id) {
  ActCtxScope scope;
  if (IsWindowsNT()) return CreateStatusWindowW(style, Wide(text), parent, id);
  CTempAnsi ansi(text);
  return CreateStatusWindowA(style, Ansi(ansi), parent, id);
}
