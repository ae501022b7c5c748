// Program entry of the setup program. Until its windows exist it starts and ends at once.
#ifdef _WIN32
#include <windows.h>
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return 0; }
#else
int main() { return 0; }
#endif
