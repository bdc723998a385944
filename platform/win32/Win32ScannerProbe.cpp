// Asks the WIA device manager whether any device is attached.
#include <windows.h>
#include <objbase.h>
#include <wia.h>

#include "platform/ScannerProbe.h"

namespace {

// CLSID_WiaDevMgr and IID_IWiaDevMgr, here so that no GUID library is needed.
const CLSID kWiaDeviceManager = {0xa1f4e726, 0x8cf1, 0x11d1, {0xbf, 0x92, 0x00, 0x60, 0x08, 0x1e, 0xd8, 0x11}};
const IID kWiaDeviceManagerInterface = {0x5eb2502a, 0x8cf1, 0x11d1, {0xbf, 0x92, 0x00, 0x60, 0x08, 0x1e, 0xd8, 0x11}};

bool AnyWiaDevice() {
  IWiaDevMgr* manager = nullptr;
  if (FAILED(CoCreateInstance(kWiaDeviceManager, nullptr, CLSCTX_LOCAL_SERVER, kWiaDeviceManagerInterface,
                              reinterpret_cast<void**>(&manager))) ||
      !manager)
    return false;
  IEnumWIA_DEV_INFO* devices = nullptr;
  bool found = false;
  if (SUCCEEDED(manager->EnumDeviceInfo(WIA_DEVINFO_ENUM_LOCAL, &devices)) && devices) {
    ULONG count = 0;
    found = SUCCEEDED(devices->GetCount(&count)) && count > 0;
    devices->Release();
  }
  manager->Release();
  return found;
}

}  // namespace

bool ListSystemScanners(void* comboBox) {
  // The program has COM running by the time it asks; a caller without it
  // (a tool, a test) gets it for the question only.
  HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  bool found = AnyWiaDevice();
  if (SUCCEEDED(init)) CoUninitialize();
  return found;
}
