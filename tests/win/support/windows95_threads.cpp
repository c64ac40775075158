#include "windows95_threads.h"

#include <windows.h>

#include <cstring>

namespace {

using CreateThreadFunction = HANDLE(WINAPI*)(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE,
                                             LPVOID, DWORD, LPDWORD);
CreateThreadFunction g_systemCreateThread = nullptr;

HANDLE WINAPI Windows95CreateThread(LPSECURITY_ATTRIBUTES security, SIZE_T stackSize,
                                    LPTHREAD_START_ROUTINE procedure, LPVOID parameter, DWORD flags,
                                    LPDWORD threadId) {
  if (!threadId) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return g_systemCreateThread(security, stackSize, procedure, parameter, flags, threadId);
}

// The import address table's slot of dll!name in module, or null.
ULONG_PTR* ImportSlot(HMODULE module, const char* dll, const char* name) {
  auto* base = reinterpret_cast<BYTE*>(module);
  auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& imports =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  auto* entry = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
  for (; entry->Name; ++entry) {
    if (lstrcmpiA(reinterpret_cast<const char*>(base + entry->Name), dll) != 0) continue;
    auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->OriginalFirstThunk);
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
    for (; names->u1.AddressOfData; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<const char*>(byName->Name), name) == 0) {
        return reinterpret_cast<ULONG_PTR*>(&slots->u1.Function);
      }
    }
  }
  return nullptr;
}

}  // namespace

bool RefuseThreadsWithoutId() {
  if (g_systemCreateThread) return true;
  ULONG_PTR* slot = ImportSlot(GetModuleHandleA(nullptr), "kernel32.dll", "CreateThread");
  if (!slot) return false;
  DWORD protection = 0;
  if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection)) return false;
  g_systemCreateThread = reinterpret_cast<CreateThreadFunction>(*slot);
  *slot = reinterpret_cast<ULONG_PTR>(&Windows95CreateThread);
  VirtualProtect(slot, sizeof *slot, protection, &protection);
  return true;
}
