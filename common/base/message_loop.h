// The plain message loop of a program's main thread.
#pragma once

// Runs until WM_QUIT (or a GetMessage failure) and returns the exit code
// WM_QUIT carried.
int RunMessageLoop();

// Answers the messages other threads have sent this thread, and takes
// nothing from its queue: for a thread that waits on MsgWaitForMultipleObjects
// with QS_SENDMESSAGE. Every PeekMessageA delivers sent messages first; the
// filter that would make it look at nothing else, PM_QS_SENDMESSAGE, is
// Windows 98's and 2000's, so none is given.
void DeliverSentMessages();
