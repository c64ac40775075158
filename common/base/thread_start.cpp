#include "thread_start.h"

HANDLE StartThread(LPTHREAD_START_ROUTINE procedure, void* parameter) {
  DWORD threadId = 0;
  return CreateThread(nullptr, 0, procedure, parameter, 0, &threadId);
}
