// Exit status 0 while a Quenbrix.exe runs (the mutex it holds exists), 1
// otherwise: lets the package test wait until the program it started is
// really there before running the installer against it.
#include <windows.h>

int main() {
    HANDLE running = OpenMutexW(SYNCHRONIZE, FALSE, QUENBRIX_RUNNING_MUTEX);
    if (running == nullptr) {
        return 1;
    }
    CloseHandle(running);
    return 0;
}
