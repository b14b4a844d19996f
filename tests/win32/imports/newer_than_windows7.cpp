// What a careless change could link into the program: a function newer than
// Windows 7 that MinGW's headers still declare, and one from a DLL that
// Windows 7 lacks (declared by hand, as the headers hide it). Never run; the
// import check must refuse it.
#include <windows.h>

extern "C" HRESULT WINAPI GetDpiForMonitor(HMONITOR monitor, int type, UINT* x, UINT* y);

int main() {
    FILETIME now{};
    GetSystemTimePreciseAsFileTime(&now);
    UINT x = 0;
    UINT y = 0;
    GetDpiForMonitor(nullptr, 0, &x, &y);
    return static_cast<int>(now.dwLowDateTime + x + y);
}
