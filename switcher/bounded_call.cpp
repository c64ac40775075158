#include "bounded_call.h"

#include <memory>

#include "message_loop.h"
#include "thread_start.h"
#include "win_raii.h"

namespace {

DWORD WINAPI BoundedCallThread(LPVOID parameter) {
  std::unique_ptr<std::function<void()>> call(static_cast<std::function<void()>*>(parameter));
  (*call)();
  return 0;
}

}  // namespace

bool RunBoundedCall(std::function<void()> call, DWORD timeoutMs) {
  auto owned = std::make_unique<std::function<void()>>(std::move(call));
  HANDLE raw = StartThread(BoundedCallThread, owned.get());
  if (!raw) {
    // No thread to spare: make the call here, unbounded, rather than skip it.
    (*owned)();
    return true;
  }
  owned.release();  // the thread owns it now
  Handle thread(raw);
  const DWORD start = GetTickCount();
  for (;;) {
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= timeoutMs) return false;
    DWORD wait = MsgWaitForMultipleObjects(1, &raw, FALSE, timeoutMs - elapsed, QS_SENDMESSAGE);
    if (wait == WAIT_OBJECT_0) return true;
    if (wait != WAIT_OBJECT_0 + 1) return false;
    DeliverSentMessages();
  }
}
